#include "platform/Composition.h"

#include "platform/posix/X11Composition.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>

namespace tonvik::platform {
namespace {
// 0 = ask the system, 1 = forced off, 2 = forced on.
std::atomic<int> g_override{0};
std::atomic<int> g_translucencyOverride{0};

int OverrideValue(std::optional<bool> state) { return state ? (*state ? 2 : 1) : 0; }

// xcb replies are released with free().
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;
}  // namespace

bool IsCompositionEnabled() {
    switch (g_override.load()) {
    case 1: return false;
    case 2: return true;
    // A POSIX desktop has no common query for it: count it as off, so that
    // windows that want a shadow draw their own.
    default: return false;
    }
}

void SetCompositionOverride(std::optional<bool> enabled) { g_override.store(OverrideValue(enabled)); }

bool X11CompositorRuns(const std::string& display) {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display.empty() ? nullptr : display.c_str(), &screen);
    bool owned = false;
    if (xcb_connection_has_error(connection) == 0) {
        const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
        // Only an existing atom can have an owner: no need to create it.
        const Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.data()), nullptr));
        if (atom && atom->atom != XCB_ATOM_NONE) {
            const Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
                connection, xcb_get_selection_owner(connection, atom->atom), nullptr));
            owned = owner && owner->owner != XCB_WINDOW_NONE;
        }
    }
    xcb_disconnect(connection);
    return owned;
}

bool TranslucentWindowsShown() {
    switch (g_translucencyOverride.load()) {
    case 1: return false;
    case 2: return true;
    default: break;
    }
    // Windows go to the display the environment names, the program takes
    // no command line that would point elsewhere.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) return X11CompositorRuns({});
    return true;
}

void SetTranslucencyOverride(std::optional<bool> shown) { g_translucencyOverride.store(OverrideValue(shown)); }

}  // namespace tonvik::platform
