#pragma once
// Whether the desktop composes windows itself (and so draws its own window
// shadows). Where the system gives no way to tell, composition counts as off.

#include <optional>

namespace tonvik::platform {

// True when the desktop composes windows; false when it does not or when
// the system cannot tell.
bool IsCompositionEnabled();

// True when the display shows the see-through parts of a window as such
// (a drop shadow beside a window, not a dark box). On an X11 display that
// takes a running compositing manager; other displays always can.
bool TranslucentWindowsShown();

// Test seam: while set, IsCompositionEnabled reports this state instead of
// asking the system. Reset with std::nullopt.
void SetCompositionOverride(std::optional<bool> enabled);

}  // namespace tonvik::platform
