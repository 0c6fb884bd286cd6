// The windowing platform the program asks for, session by session.

#include "platform/DesktopSession.h"

#include <gtest/gtest.h>

namespace {

using tonvik::platform::DisplaySession;
using tonvik::platform::PreferredDisplayPlatform;

TEST(DisplaySessionTest, AWaylandSessionWithAnXServerRunsOnX11UnlessTheUserChose) {
    struct Row {
        DisplaySession session;
        const char* platform;
    };
    const Row rows[] = {
        // Wayland, known by its type or its display, with XWayland.
        {{"", "wayland", "wayland-0", ":0"}, "xcb"},
        {{"", "wayland", "", ":1"}, "xcb"},
        {{"", "", "wayland-1", ":0"}, "xcb"},
        {{"", "tty", "wayland-0", ":0"}, "xcb"},
        // The user's own choice stands, whatever it is.
        {{"wayland", "wayland", "wayland-0", ":0"}, ""},
        {{"xcb", "wayland", "wayland-0", ":0"}, ""},
        {{"offscreen", "wayland", "wayland-0", ":0"}, ""},
        // Wayland without an X server: Qt's choice (its Wayland platform).
        {{"", "wayland", "wayland-0", ""}, ""},
        // Not Wayland: X11, a console, nothing known.
        {{"", "x11", "", ":0"}, ""},
        {{"", "", "", ":0"}, ""},
        {{"", "tty", "", ""}, ""},
        {{"", "", "", ""}, ""},
    };
    for (const Row& row : rows) {
        const DisplaySession& s = row.session;
        EXPECT_EQ(PreferredDisplayPlatform(s), row.platform)
            << "QT_QPA_PLATFORM=" << s.chosenPlatform << " XDG_SESSION_TYPE=" << s.sessionType
            << " WAYLAND_DISPLAY=" << s.waylandDisplay << " DISPLAY=" << s.xDisplay;
    }
}

}  // namespace
