#pragma once
// The X11 half of the translucency question, asked of a named display.

#include <string>

namespace tonvik::platform {

// Whether a compositing manager owns the "_NET_WM_CM_S<screen>" selection
// of `display` ("" for the DISPLAY of the environment) on its default
// screen. False when the display cannot be reached.
bool X11CompositorRuns(const std::string& display);

}  // namespace tonvik::platform
