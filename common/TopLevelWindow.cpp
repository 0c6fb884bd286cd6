#include "common/TopLevelWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
        // Changing the flag takes the window off the screen; it comes back where it was.
        const bool visible = window.isVisible();
        const QPoint at = window.pos();
        window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        window.move(at);
        if (visible) window.show();
    }
    // Above the others from now on, also where no window manager keeps it there.
    if (onTop && window.isVisible()) window.raise();
}
