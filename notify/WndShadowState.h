#pragma once
// The decisions of a window shadow, apart from any window: when it shows,
// hides, moves and redraws as its parent window changes, and its settings
// with their ranges. CWndShadow feeds it the parent's events and carries out
// its orders on the real shadow window.

#include "notify/ShadowField.h"

#include <QSize>

#include <cstdint>

// What the state asks of the shadow window.
class IShadowSurface {
public:
    virtual ~IShadowSurface() = default;
    // Shows the shadow window without activating it.
    virtual void ShowShadow() = 0;
    virtual void HideShadow() = 0;
    // Draws the shadow anew for the parent's present shape and places it.
    virtual void RedrawShadow() = 0;
    // Places the shadow beside the parent's present position, same size.
    virtual void MoveShadow() = 0;
};

// The parent window as the state needs to know it.
struct ShadowParentState {
    bool visible = false;
    bool maximised = false;
    bool minimised = false;
    QSize clientSize;
};

class CWndShadowState {
public:
    enum Flag : std::uint8_t {
        kEnabled = 0x01,
        kShadowVisible = 0x02,
        kParentVisible = 0x04,
        kComposition = 0x08,  // the desktop draws shadows itself: none from here
    };

    explicit CWndShadowState(IShadowSurface& surface);

    // Switches the shadow on for a parent, with the desktop's composition.
    void Start(bool composition, const ShadowParentState& parent);
    // Hides or shows the shadow by the enabled and composition flags and the
    // parent's state.
    void ApplyShowRule(const ShadowParentState& parent);

    // The parent's events.
    void OnSize(const ShadowParentState& parent);
    void OnPaint();
    void OnShown(const ShadowParentState& parent);
    void OnHidden();
    void OnMove();
    void OnExitSizeMove();
    void OnCompositionChanged(bool composition, const ShadowParentState& parent);

    // Settings: out-of-range values are refused with false and change nothing.
    bool SetShadowSize(int size);
    bool SetShadowSoftness(int sharpness);
    bool SetShadowDarkness(int darkness);
    bool SetShadowOffset(int x, int y);
    bool SetShadowColor(ColorRef color);

    const ShadowParams& Params() const { return m_params; }
    std::uint8_t Flags() const { return m_nFlags; }
    bool Has(Flag flag) const { return (m_nFlags & flag) != 0; }
    bool UpdatePending() const { return m_bUpdate; }
    QSize LastSize() const { return m_lastSize; }

private:
    bool Active() const { return Has(kEnabled) && !Has(kComposition); }
    void RedrawIfVisible();

    IShadowSurface& m_surface;
    std::uint8_t m_nFlags = 0;
    ShadowParams m_params;
    QSize m_lastSize{0, 0};
    bool m_bUpdate = false;
};
