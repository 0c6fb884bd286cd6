#pragma once
// A richer owner-painted label: solid or gradient background, its own font,
// border or sunken edge, rotation, link behaviour and flashing text or
// background (timer 1, every 500 ms). Every setter repaints the label and,
// for a see-through label, the part of the parent under it.

#include "common/Bitmap.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QTimer>
#include <QWidget>

class CLabelEx : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFlashTimerId = 1;
    static constexpr int kFlashIntervalMs = 500;

    explicit CLabelEx(QWidget* parent = nullptr, int controlId = 0);
    ~CLabelEx() override;

    void SetControlId(int controlId) { m_nControlId = controlId; }
    int ControlId() const { return m_nControlId; }

    CLabelEx& SetText(const QString& text);
    CLabelEx& SetTextColor(ColorRef color);
    // A solid background; with a second colour a gradient from left to right.
    CLabelEx& SetBkColor(ColorRef color, ColorRef gradientTo = kNoGradient);
    CLabelEx& SetFontName(const QString& face, int charset = 0);
    CLabelEx& SetFontSize(int points);
    CLabelEx& SetFontBold(bool bold);
    CLabelEx& SetFontItalic(bool italic);
    CLabelEx& SetFontUnderline(bool underline);
    CLabelEx& SetBorder(bool border);
    CLabelEx& SetSunken(bool sunken);
    CLabelEx& SetTransparent(bool transparent);
    // A link label shows the hand cursor and posts its clicks to the parent.
    CLabelEx& SetLink(bool link);
    CLabelEx& SetRotationAngle(int degrees);
    CLabelEx& FlashText(bool flash);
    CLabelEx& FlashBackground(bool flash);

    static constexpr ColorRef kNoGradient = 0xFFFFFFFF;

    QString Text() const { return m_strText; }
    const QFont& LabelFont() const { return m_font; }
    bool HasGradient() const { return m_bGradient; }
    bool IsLink() const { return m_bLink; }
    int RotationAngle() const { return m_nAngle; }
    bool IsFlashing() const { return m_flashTimer.isActive(); }
    // The phase of the flashing: true while the flashed part is hidden.
    bool FlashPhase() const { return m_bFlashPhase; }
    bool TextShown() const { return !(m_bFlashText && m_bFlashPhase); }
    bool BackgroundShown() const { return !m_bTransparent && !(m_bFlashBackground && m_bFlashPhase); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CLabelEx& Changed();
    void UpdateFlashTimer();
    void OnFlashTimer();

    int m_nControlId = 0;
    QString m_strText;
    QColor m_crText;
    QColor m_crBk;
    QColor m_crGradientTo;
    bool m_bGradient = false;
    QFont m_font;
    bool m_bBorder = false;
    bool m_bSunken = false;
    bool m_bTransparent = false;
    bool m_bLink = false;
    int m_nAngle = 0;
    bool m_bFlashText = false;
    bool m_bFlashBackground = false;
    bool m_bFlashPhase = false;
    QTimer m_flashTimer;
};
