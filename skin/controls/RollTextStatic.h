#pragma once
// The player's text fields drawn over the skin. The title variant shows the
// song title rolling from right to left over the "Static0" background, with
// the " 歌词" link after it; the plain variant shows a play time ("Static1"
// elapsed, "Static5" duration) at its left edge. The fonts and colours come
// from the player's skin description.

#include "skin/controls/ControlArithmetic.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

class CSkinDescription;

class CRollTextStatic : public QWidget {
    Q_OBJECT
public:
    enum class Variant { Title, Plain };
    static constexpr int kRollTimerId = 1;
    static constexpr int kRollIntervalMs = 20;

    explicit CRollTextStatic(QWidget* parent = nullptr, Variant variant = Variant::Title);
    ~CRollTextStatic() override;

    void SetVariant(Variant variant);
    Variant GetVariant() const { return m_variant; }
    // The duration field: the "/" rule of PlayTimeDisplayText applies.
    void SetTimeText(bool isTimeText);
    bool IsTimeText() const { return m_bTimeText; }

    // Reads the variant's section of the player's current skin: background
    // bitmap, text colour and, for the plain variant, the font. The skin is
    // kept: a later SetVariant or SetTimeText reads its own section.
    void SetSkin(const CSkinDescription& skin);
    bool IsSkin2() const { return m_bSkin2; }

    void SetText(const QString& text);
    QString Text() const { return m_strText; }
    // What the plain variant draws.
    QString DisplayText() const;

    void StartRolling();
    void StopRolling();
    bool IsRolling() const { return m_bRolling; }
    // One tick of the rolling timer: move one pixel and repaint.
    void RollStep();
    int ScrollPos() const { return m_roll.Position(); }
    int TextX() const { return m_roll.TextX(); }
    // The drawn width of the title (both fonts in Skin2 skins).
    int TextWidth() const;
    bool HasLyricLink() const;
    // Where the lyric link starts now.
    int LinkX() const { return TextX() + TextWidth(); }

    const QFont& NormalFont() const { return m_normalFont; }
    const QFont& BoldFont() const { return m_boldFont; }
    const QFont& TimeFont() const { return m_timeFont; }
    QColor TextColor() const { return m_crText; }

    static QString LyricLinkText() { return QStringLiteral(" 歌词"); }

signals:
    // A click on the lyric link: show or hide the lyric window.
    void lyricToggleRequested();
    // The roll moved one step (a repaint is pending).
    void rolled();
    // The roll started or stopped.
    void rollingChanged(bool rolling);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ApplySkin();
    void PaintTitle(QPainter& painter);
    void PaintPlain(QPainter& painter);
    // The title's texts are laid out and drawn once per change into a strip
    // that each tick of the rolling only moves: the title rolls fifty times
    // a second for as long as a song plays.
    void TitleChanged();
    const QPixmap& TitleStrip();
    // A background that covers the control makes what lies under it
    // needless to paint.
    void UpdateOpacity();

    std::unique_ptr<CSkinDescription> m_pSkin;
    Variant m_variant;
    bool m_bTimeText = false;
    bool m_bSkin2 = false;
    QString m_strText;
    QColor m_crText{Qt::white};
    QPixmap m_background;
    QFont m_normalFont;
    QFont m_underlineFont;
    QFont m_boldFont;
    QFont m_timeFont;
    mutable int m_nTextWidth = -1;  // -1: not measured since the last change
    QPixmap m_titleStrip;
    bool m_bStripValid = false;
    CRollPosition m_roll;
    bool m_bRolling = false;
    QTimer m_rollTimer;
};
