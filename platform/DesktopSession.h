#pragma once
// What the desktop session tells a program it starts, and what the program
// does with it: the windowing system to run on, and the launcher's token
// that lets a window take the focus and ends the launcher's busy cursor.

#include <cstdint>
#include <string>
#include <string_view>

class QWindow;

namespace tonvik::platform {

// What the session says about its windowing systems.
struct DisplaySession {
    std::string chosenPlatform;  // QT_QPA_PLATFORM: the user's own choice
    std::string sessionType;     // XDG_SESSION_TYPE ("wayland", "x11", "tty")
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string xDisplay;        // DISPLAY: an X server (XWayland in a Wayland session)
};

// This process's session, from its environment.
DisplaySession ReadDisplaySession();

// The windowing platform to ask Qt for: "xcb" in a Wayland session (by its
// type or its display) that has an X server (XWayland) when the user chose
// no platform, since windows that place themselves and dock to each other
// need X11; empty for Qt's own choice.
std::string PreferredDisplayPlatform(const DisplaySession& session);

// Before the application object exists: asks Qt for the preferred platform
// of this process's session (programs started from here get the user's
// own environment) and returns it; empty when Qt chooses.
std::string ApplyPreferredDisplayPlatform();

// Whether the windowing system lets a window place itself (X11, Windows);
// a Wayland compositor places the windows, and moves one only when asked
// to during a press of the user's (QWindow::startSystemMove).
bool WindowsPlaceThemselves();

// The launch's token, as a launcher sets it for the program it starts.
struct LaunchToken {
    std::string activation;  // XDG_ACTIVATION_TOKEN (Wayland)
    std::string startupId;   // DESKTOP_STARTUP_ID (X11 startup notification)

    bool Empty() const { return activation.empty() && startupId.empty(); }
    // A text for another process of this program: one "NAME=value" line
    // for each part that is set.
    std::string Encode() const;
    // The parts of such a text; a value longer than kMaxValue or with
    // anything but printable ASCII is dropped, and so is any other line.
    static LaunchToken Decode(std::string_view text);
    // The launcher's X server time, the "_TIME<n>" that ends a startup id;
    // 0 when it has none.
    std::uint32_t LaunchTime() const;

    static constexpr size_t kMaxValue = 256;
};

// The token of this process's launch, read from the environment before the
// windowing library takes it (it leaves the environment as it is).
LaunchToken ReadLaunchToken();

// Ends the launcher's startup notice (its busy cursor) for `startupId` on
// the X display of the environment: for a start that shows no window of
// its own. False when there is no id or no X display.
bool EndStartupNotice(const std::string& startupId);

// Shows `window` in front for a launch with `token`: Wayland hands the
// activation token to the compositor; on X11 the request carries the
// launch's time, which the window manager weighs against the user's other
// actions. Without a token the window asks as any window does.
void RaiseForLaunch(QWindow& window, const LaunchToken& token);

}  // namespace tonvik::platform
