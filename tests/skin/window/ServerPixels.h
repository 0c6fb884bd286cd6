#pragma once
// What a real X server shows of a widget, for the tests that compare it with
// what the widget paints.

#include <QGuiApplication>
#include <QImage>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>

inline bool OnX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

inline xcb_connection_t* QtConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// What the X server shows of a widget, after it handled every request Qt
// sent before (the mover's own connection waits for its server itself).
inline QImage ServerPixels(const QWidget& widget) {
    xcb_connection_t* connection = QtConnection();
    const QWidget* top = widget.window();
    const QPoint at = widget.mapTo(top, QPoint());
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(top->winId()), int16_t(at.x()),
                      int16_t(at.y()), uint16_t(widget.width()), uint16_t(widget.height()), ~0u),
        nullptr);
    if (!reply) return {};
    QImage image;
    if (xcb_get_image_data_length(reply) == widget.width() * widget.height() * 4)
        image = QImage(xcb_get_image_data(reply), widget.width(), widget.height(), widget.width() * 4,
                       QImage::Format_RGB32)
                    .copy();
    std::free(reply);
    return image;
}

inline int DifferentPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) count += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
    return count;
}
