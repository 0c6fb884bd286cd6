#pragma once
// How the desktop puts windows on the screen: whether it composes them
// itself (and so draws its own window shadows), and whether a window's
// see-through pixels show what lies beneath it.

#include <optional>

namespace tonvik::platform {

// True when the desktop composes windows and draws their shadows itself;
// false when it does not or when the system cannot tell.
bool IsCompositionEnabled();

// Test seam: while set, IsCompositionEnabled reports this state instead of
// asking the system. Reset with std::nullopt.
void SetCompositionOverride(std::optional<bool> enabled);

// True when a window's transparent pixels show the desktop beneath it. On
// X11 that takes a compositing manager (an owner of the display's
// "_NET_WM_CM_S<screen>" selection); without one they come out black.
// Wayland and the other window systems always blend.
bool TranslucentWindowsShown();

// Test seam for TranslucentWindowsShown, as above.
void SetTranslucencyOverride(std::optional<bool> shown);

}  // namespace tonvik::platform
