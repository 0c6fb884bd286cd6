#pragma once
// CAddTipDlg: the borderless, colour-keyed notice through which the
// program shows short messages that close by themselves (album counts,
// "caching", network trouble). Owned by the window it is shown for and run
// modally; it closes itself after m_nDelay milliseconds.

#include "common/Bitmap.h"

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <string>
#include <vector>

inline constexpr int kTipWidth = 240;
inline constexpr int kTipHeight = 50;
inline constexpr int kTipDefaultDelay = 2000;
inline constexpr ColorRef kTipTextColour = 0x333333;
inline constexpr ColorRef kTipKeyColour = 0xFF00FF;

// One text of the tip and where its top-left corner goes.
struct TipLine {
    QPoint at;
    QString text;
};

// The texts a tip draws: `plain` puts the text at the left margin; else
// `counts` draws the two album count lines; else the text goes beside the
// picture of the background.
std::vector<TipLine> TipLayout(bool plain, bool counts, int added, int dropped, const QString& text);
// The background bitmap resource of a skin folder: 251 for the "Skin2"
// family, 236 for the others.
int TipBackgroundResource(const std::string& skinFolder);

class CAddTipDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAddTipDlg(QWidget* owner = nullptr);
    ~CAddTipDlg() override;

    // The notice text, CP936 like every text of the program.
    void SetText(const std::string& text);
    // The player's skin folder; until set, the skin chosen in
    // "TonvikMusic.ini".
    void SetSkinFolder(std::string folder) { m_strSkinFolder = std::move(folder); }
    // The folder holding "res"; until set, the program's folder.
    void SetResourceRoot(std::string root) { m_strResourceRoot = std::move(root); }

    // Loads the background and the window shape; done on the first show,
    // callable before to draw without showing. Each show starts the close
    // timer.
    void Initialise();
    // Paints the tip as it appears on screen (background, then texts).
    void Render(QPainter& painter) const;

    const QImage& Background() const { return m_bmpBack; }
    int BackgroundResource() const { return m_nBackResource; }
    const QFont& TextFont() const { return m_font; }

    int m_nAdded = 0;
    int m_nDropped = 0;
    int m_bCounts = 0;
    int m_nDelay = kTipDefaultDelay;
    int m_bPlain = 0;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnTimer();

    QImage m_bmpBack;
    int m_nBackResource = 0;
    std::string m_strText;
    QFont m_font;
    std::string m_strSkinFolder;
    std::string m_strResourceRoot;
    bool m_bInitialised = false;
    QTimer m_timer;
};
