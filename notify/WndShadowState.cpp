#include "notify/WndShadowState.h"

namespace {
constexpr int kMaxSize = 20;
constexpr int kMaxSharpness = 20;
constexpr int kMaxOffset = 20;

bool InRange(int value, int low, int high) { return value >= low && value <= high; }
}  // namespace

CWndShadowState::CWndShadowState(IShadowSurface& surface) : m_surface(surface) {}

void CWndShadowState::Start(bool composition, const ShadowParentState& parent) {
    m_nFlags = kEnabled;
    if (composition) m_nFlags |= kComposition;
    ApplyShowRule(parent);
}

void CWndShadowState::ApplyShowRule(const ShadowParentState& parent) {
    m_nFlags &= kEnabled | kComposition;
    if (Active() && parent.visible) {
        m_nFlags |= kParentVisible;
        if (!parent.maximised && !parent.minimised) m_nFlags |= kShadowVisible;
    }
    if (Has(kShadowVisible)) {
        // Drawn and placed first, so that it never shows where it was.
        m_surface.RedrawShadow();
        m_surface.ShowShadow();
    } else {
        m_surface.HideShadow();
    }
}

void CWndShadowState::OnSize(const ShadowParentState& parent) {
    if (!Active()) return;
    if (parent.maximised || parent.minimised) {
        m_surface.HideShadow();
        m_nFlags &= static_cast<std::uint8_t>(~kShadowVisible);
    } else if (parent.visible) {
        m_nFlags |= kParentVisible;
        if (Has(kShadowVisible)) {
            const bool grew = parent.clientSize.width() > m_lastSize.width() ||
                              parent.clientSize.height() > m_lastSize.height();
            // A grown parent paints its new area next; the shadow follows
            // with it, so that it is not drawn around a half-painted window.
            if (grew) {
                m_bUpdate = true;
            } else {
                m_surface.RedrawShadow();
            }
        } else {
            m_nFlags |= kShadowVisible;
            m_surface.RedrawShadow();
            m_surface.ShowShadow();
            m_bUpdate = true;
        }
    }
    m_lastSize = parent.clientSize;
}

void CWndShadowState::OnPaint() {
    if (!m_bUpdate) return;
    m_surface.RedrawShadow();
    m_bUpdate = false;
}

void CWndShadowState::OnShown(const ShadowParentState& parent) {
    if (!Active()) return;
    m_surface.RedrawShadow();
    ApplyShowRule(parent);
    // The show rule has had the last word; a maximised or minimised parent
    // keeps its shadow hidden.
    if (Has(kShadowVisible)) m_surface.ShowShadow();
}

void CWndShadowState::OnHidden() {
    if (!Active()) return;
    m_surface.HideShadow();
    m_nFlags &= static_cast<std::uint8_t>(~(kShadowVisible | kParentVisible));
}

void CWndShadowState::OnMove() {
    if (Has(kShadowVisible)) m_surface.MoveShadow();
}

void CWndShadowState::OnExitSizeMove() { RedrawIfVisible(); }

void CWndShadowState::OnCompositionChanged(bool composition, const ShadowParentState& parent) {
    if (composition) {
        m_nFlags |= kComposition;
    } else {
        m_nFlags &= static_cast<std::uint8_t>(~kComposition);
    }
    ApplyShowRule(parent);
}

bool CWndShadowState::SetShadowSize(int size) {
    if (!InRange(size, -kMaxSize, kMaxSize)) return false;
    m_params.size = size;
    RedrawIfVisible();
    return true;
}

bool CWndShadowState::SetShadowSoftness(int sharpness) {
    if (!InRange(sharpness, 0, kMaxSharpness)) return false;
    m_params.sharpness = sharpness;
    RedrawIfVisible();
    return true;
}

bool CWndShadowState::SetShadowDarkness(int darkness) {
    if (!InRange(darkness, 0, 255)) return false;
    m_params.darkness = darkness;
    RedrawIfVisible();
    return true;
}

bool CWndShadowState::SetShadowOffset(int x, int y) {
    if (!InRange(x, -kMaxOffset, kMaxOffset) || !InRange(y, -kMaxOffset, kMaxOffset)) return false;
    m_params.xOffset = x;
    m_params.yOffset = y;
    RedrawIfVisible();
    return true;
}

bool CWndShadowState::SetShadowColor(ColorRef color) {
    m_params.color = color & 0x00FFFFFF;
    RedrawIfVisible();
    return true;
}

void CWndShadowState::RedrawIfVisible() {
    if (Has(kShadowVisible)) m_surface.RedrawShadow();
}
