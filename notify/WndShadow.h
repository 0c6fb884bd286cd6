#pragma once
// A soft drop shadow behind a top-level window: a frameless, translucent
// window that lets the mouse through, owned by the shadowed window and kept
// beside it. An event filter on the parent stands in for a hooked window
// procedure: the parent's moves, sizes, paints, shows and hides drive the
// shadow.

#include "notify/WndShadowState.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <string_view>

class QEvent;

// The window that shows the shadow bitmap.
class CShadowWindow : public QWidget {
    Q_OBJECT
public:
    explicit CShadowWindow(QWidget* owner);
    void SetImage(QImage image);
    const QImage& Image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

class CWndShadow : public QObject {
    Q_OBJECT
public:
    CWndShadow();
    ~CWndShadow() override;
    CWndShadow(const CWndShadow&) = delete;
    CWndShadow& operator=(const CWndShadow&) = delete;

    // Whether this process can show translucent windows as such (a GUI
    // and a desktop that blends them); without them no shadow is created.
    static bool ShadowsAvailable();

    // Puts a shadow behind `parent`, a top-level window. False when shadows
    // are not available, the parent is missing or a shadow already exists.
    bool Create(QWidget* parent);

    bool SetShadowSize(int size);
    bool SetShadowSoftness(int sharpness);
    bool SetShadowDarkness(int darkness);
    bool SetShadowOffset(int x, int y);
    bool SetShadowColor(ColorRef color);

    // The desktop's composition may have been switched: asks again.
    void OnCompositionChanged();
    // The user finished moving or sizing the parent.
    void OnExitSizeMove();

    const CWndShadowState& State() const { return m_state; }
    // The shadow window; null before Create and after the parent is gone.
    CShadowWindow* ShadowWindow() const { return m_pShadow; }
    // How many times the shadow has been drawn.
    int RedrawCount() const { return m_nRedraws; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class CSurface;
    ShadowParentState ParentState() const;
    void Redraw();
    void Place(bool resize);

    std::unique_ptr<CSurface> m_pSurface;
    CWndShadowState m_state;
    QPointer<QWidget> m_pParent;
    QPointer<CShadowWindow> m_pShadow;
    int m_nRedraws = 0;
};

// The shadow behind the program's skinned windows: soft and dark around the
// rounded windows of the "Skin2" family, none around the others' square ones.
inline constexpr int kClassicShadowSize = 6;
inline constexpr int kClassicShadowSharpness = 8;
inline constexpr int kClassicShadowDarkness = 250;
void ApplySkinShadowLook(CWndShadow& shadow, std::string_view skinFolder);
