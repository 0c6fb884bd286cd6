#include "common/TopLevelWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

QPoint PlaceInsideScreen(const QRect& wanted) {
    QScreen* screen = QGuiApplication::screenAt(wanted.center());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return wanted.topLeft();
    const QRect area = screen->availableGeometry();
    const int x = std::max(area.left(), std::min(wanted.left(), area.left() + area.width() - wanted.width()));
    const int y = std::max(area.top(), std::min(wanted.top(), area.top() + area.height() - wanted.height()));
    return {x, y};
}

void SetStaysOnTop(QWidget& window, bool onTop) {
    const Qt::WindowFlags flags = window.windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) != onTop) {
        const Qt::WindowFlags wanted = onTop ? flags | Qt::WindowStaysOnTopHint : flags & ~Qt::WindowStaysOnTopHint;
        if (QWindow* native = window.windowHandle()) {
            // The window system is told in place: the window stays on the
            // screen with the native window it has, so a click meant for it
            // right after the change still reaches it.
            window.overrideWindowFlags(wanted);
            native->setFlags(wanted);
        } else {
            // Not made yet: the flag is taken when it is.
            window.setWindowFlags(wanted);
        }
    }
    // Above the others from now on, also where no window manager keeps it there.
    if (onTop && window.isVisible()) window.raise();
}
