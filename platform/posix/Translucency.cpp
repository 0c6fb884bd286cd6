#include "platform/Composition.h"

#include <QGuiApplication>

#if defined(TONVIK_HAVE_XCB)
#include <xcb/xcb.h>

#include <qguiapplication_platform.h>

#include <cstdlib>
#include <memory>
#include <string>
#endif

namespace tonvik::platform {

#if defined(TONVIK_HAVE_XCB)
namespace {

// A compositing manager owns the selection "_NET_WM_CM_S<screen>".
bool CompositingManagerRuns(xcb_connection_t* connection, int screen) {
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    const xcb_intern_atom_cookie_t atomCookie =
        xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.c_str());
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(xcb_intern_atom_reply(connection, atomCookie, nullptr),
                                                                  &free);
    if (!atom || atom->atom == XCB_ATOM_NONE) return false;
    const xcb_get_selection_owner_cookie_t ownerCookie = xcb_get_selection_owner(connection, atom->atom);
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&free)> owner(
        xcb_get_selection_owner_reply(connection, ownerCookie, nullptr), &free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

}  // namespace
#endif

bool TranslucentWindowsShown() {
#if defined(TONVIK_HAVE_XCB)
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) return true;
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return true;
    // The program's windows live on the display's first screen.
    return CompositingManagerRuns(x11->connection(), 0);
#else
    return true;
#endif
}

}  // namespace tonvik::platform
