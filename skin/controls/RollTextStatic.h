#pragma once
// The player's text fields drawn over the skin. The title variant shows the
// song title rolling from right to left over the "Static0" background, with
// the " 歌词" link after it; the plain variant shows a play time ("Static1"
// elapsed, "Static5" duration) at its left edge. The fonts and colours come
// from the player's skin description.
//
// The title rolls fifty steps a second for as long as a song plays. Where
// the window system can move a picture itself (IStripMover) and the
// background lets the same pixels be shown that way (a background that
// covers the control, each of its rows one colour), the window system moves
// the pre-drawn title and this thread neither wakes nor paints for it;
// otherwise a timer here moves it and the control repaints each step.

#include "skin/controls/ControlArithmetic.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <memory>

class CSkinDescription;
namespace tonvik::platform {
class IStripMover;
}

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
    // One tick of the rolling: move one pixel and repaint.
    void RollStep();
    int ScrollPos() const;
    int TextX() const { return -ScrollPos(); }
    // Whether the window system moves the title now (no ticks, no
    // repaints here).
    bool MovedByWindowSystem() const { return m_bMoverShows; }
    // Whether the window system may move it; true unless told otherwise.
    void SetWindowSystemMotion(bool allowed);
    // The time between two steps (a seam for tests: steps then come only
    // by hand when it is long).
    void SetRollInterval(std::chrono::milliseconds interval);
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
    // The roll moved one step here (a repaint is pending).
    void rolled();
    // The roll's ticks started or stopped running on this thread: while
    // they run, each emits rolled(). A title the window system moves does
    // not tick here.
    void tickingChanged(bool ticking);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
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
    // Puts the rolling on the window system or on the timer, whichever can
    // move it now, carrying the position over.
    void FollowRoll();
    bool ShowOnMover();
    void LeaveMover();
    void SetTicking(bool ticking);

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
    bool m_bTicking = false;
    QTimer m_rollTimer;
    std::unique_ptr<tonvik::platform::IStripMover> m_pMover;
    bool m_bMoverAllowed = true;
    bool m_bMoverMade = false;  // asked for once: null where there is none
    bool m_bMoverShows = false;
    bool m_bMoverFailTraced = false;
    std::chrono::milliseconds m_rollInterval{kRollIntervalMs};
};
