#include "platform/DesktopSession.h"

#include "platform/Shell.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace tonvik::platform {
namespace {

constexpr const char* kActivationName = "XDG_ACTIVATION_TOKEN";
constexpr const char* kStartupIdName = "DESKTOP_STARTUP_ID";

std::string Environment(const char* name) { return qEnvironmentVariable(name).toStdString(); }

bool Printable(std::string_view value) {
    if (value.empty() || value.size() > LaunchToken::kMaxValue) return false;
    for (unsigned char c : value)
        if (c < 0x21 || c > 0x7E) return false;
    return true;
}

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

// A connection to the X display of the environment, closed with it.
class XDisplay {
public:
    XDisplay() : m_connection(xcb_connect(nullptr, &m_screen)) {}
    ~XDisplay() {
        xcb_flush(m_connection);
        xcb_disconnect(m_connection);
    }
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    bool Open() const { return xcb_connection_has_error(m_connection) == 0 && Root() != XCB_WINDOW_NONE; }
    xcb_connection_t* Connection() const { return m_connection; }
    xcb_window_t Root() const {
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; screens.rem > 0; ++i, xcb_screen_next(&screens))
            if (i == m_screen) return screens.data->root;
        return XCB_WINDOW_NONE;
    }
    xcb_atom_t Atom(const char* name) const {
        const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

private:
    int m_screen = 0;
    xcb_connection_t* m_connection;
};

}  // namespace

DisplaySession ReadDisplaySession() {
    return {Environment("QT_QPA_PLATFORM"), Environment("XDG_SESSION_TYPE"), Environment("WAYLAND_DISPLAY"),
            Environment("DISPLAY")};
}

std::string PreferredDisplayPlatform(const DisplaySession& session) {
    if (!session.chosenPlatform.empty()) return {};
    const bool wayland = !session.waylandDisplay.empty() || session.sessionType == "wayland";
    return wayland && !session.xDisplay.empty() ? "xcb" : std::string();
}

std::string ApplyPreferredDisplayPlatform() {
    const std::string platform = PreferredDisplayPlatform(ReadDisplaySession());
    if (platform.empty()) return {};
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
    KeepFromChildren("QT_QPA_PLATFORM");
    return platform;
}

bool WindowsPlaceThemselves() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

std::string LaunchToken::Encode() const {
    std::string text;
    if (!activation.empty()) text += std::string(kActivationName) + "=" + activation + "\n";
    if (!startupId.empty()) text += std::string(kStartupIdName) + "=" + startupId + "\n";
    return text;
}

LaunchToken LaunchToken::Decode(std::string_view text) {
    LaunchToken token;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (!Printable(value)) continue;
        if (name == kActivationName) token.activation = value;
        if (name == kStartupIdName) token.startupId = value;
    }
    return token;
}

std::uint32_t LaunchToken::LaunchTime() const {
    const size_t at = startupId.rfind("_TIME");
    if (at == std::string::npos) return 0;
    std::uint64_t time = 0;
    const std::string digits = startupId.substr(at + 5);
    if (digits.empty() || digits.size() > 10) return 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        time = time * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return time <= 0xFFFFFFFFu ? static_cast<std::uint32_t>(time) : 0;
}

LaunchToken ReadLaunchToken() {
    LaunchToken token;
    if (const std::string value = Environment(kActivationName); Printable(value)) token.activation = value;
    if (const std::string value = Environment(kStartupIdName); Printable(value)) token.startupId = value;
    return token;
}

bool EndStartupNotice(const std::string& startupId) {
    if (!Printable(startupId)) return false;
    const XDisplay display;
    if (!display.Open()) return false;
    // The startup-notification protocol: "remove: ID=<id>" with its
    // terminating 0, in 20-byte pieces on the root window, the first as
    // _NET_STARTUP_INFO_BEGIN and the rest as _NET_STARTUP_INFO.
    std::string message = "remove: ID=";
    for (char c : startupId) {
        if (c == '"' || c == '\\') message += '\\';
        message += c;
    }
    message += '\0';
    const xcb_atom_t begin = display.Atom("_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = display.Atom("_NET_STARTUP_INFO");
    if (begin == XCB_ATOM_NONE || more == XCB_ATOM_NONE) return false;
    for (size_t sent = 0; sent < message.size(); sent += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = display.Root();
        event.type = sent == 0 ? begin : more;
        std::memcpy(event.data.data8, message.data() + sent, std::min<size_t>(20, message.size() - sent));
        xcb_send_event(display.Connection(), 0, display.Root(), XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
    }
    return true;
}

void RaiseForLaunch(QWindow& window, const LaunchToken& token) {
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland")) && !token.activation.empty()) {
        // Qt's Wayland client hands this token to the compositor with the
        // window's next activation, and forgets it then.
        qputenv(kActivationName, QByteArray::fromStdString(token.activation));
    }
    const std::uint32_t time = token.LaunchTime();
    if (platform != QLatin1String("xcb") || time == 0 || !window.isVisible()) {
        window.requestActivate();
        return;
    }
    // The request Qt would send, with the launch's time in place of the
    // last event this program saw.
    const XDisplay display;
    if (!display.Open()) {
        window.requestActivate();
        return;
    }
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window.winId());
    event.type = display.Atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 1;  // from an application
    event.data.data32[1] = time;
    event.data.data32[2] = XCB_WINDOW_NONE;
    xcb_send_event(display.Connection(), 0, display.Root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

}  // namespace tonvik::platform
