// The program's own pictures: icons of the program and the tray, the list
// selection bar, the tip backgrounds and the update prompt picture.

#include "Windows.h"

#include "IconEncoder.h"
#include "SkinWriter.h"

#include <QDir>
#include <QLinearGradient>

namespace {

constexpr QRgb kMagenta = 0xFFFF00FFu;

enum class Badge { Program, Classic, Orange };

QImage BadgeIcon(int size, Badge badge, bool offline) {
    QImage image = Canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    const QRectF body(s * 0.04, s * 0.04, s * 0.92, s * 0.92);
    QColor top, bottom, ink;
    switch (badge) {
    case Badge::Program:
        top = QColor(0xc6, 0xff, 0x62);
        bottom = QColor(0xf0, 0x7a, 0x1a);
        ink = QColor(0xff, 0xff, 0xff);
        break;
    case Badge::Classic:
        top = QColor(0x44, 0x4a, 0x53);
        bottom = QColor(0x1c, 0x1e, 0x22);
        ink = QColor(0xba, 0xff, 0x4c);
        break;
    case Badge::Orange:
        top = QColor(0xff, 0xb2, 0x55);
        bottom = QColor(0xe0, 0x66, 0x10);
        ink = QColor(0xff, 0xff, 0xff);
        break;
    }
    if (offline) {
        top = QColor(0x9a, 0x9e, 0xa4);
        bottom = QColor(0x5e, 0x62, 0x68);
        ink = QColor(0xee, 0xee, 0xee);
    }
    QLinearGradient g(body.topLeft(), body.bottomRight());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(bottom.darker(150), std::max(1.0, s / 32)));
    p.setBrush(g);
    if (badge == Badge::Program)
        p.drawRoundedRect(body, s * 0.22, s * 0.22);
    else
        p.drawEllipse(body);
    DrawGlyph(p, Glyph::Note, body.adjusted(s * 0.18, s * 0.18, -s * 0.18, -s * 0.18), ink);
    if (offline) {
        // A small red slash badge in the corner.
        const QRectF mark(s * 0.52, s * 0.52, s * 0.46, s * 0.46);
        p.setPen(QPen(QColor(0xff, 0xff, 0xff), std::max(1.0, s / 24)));
        p.setBrush(QColor(0xd8, 0x2a, 0x20));
        p.drawEllipse(mark);
        p.setPen(QPen(QColor(0xff, 0xff, 0xff), std::max(1.2, s / 14), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(mark.topLeft() + QPointF(mark.width() * 0.3, mark.height() * 0.3),
                   mark.bottomRight() - QPointF(mark.width() * 0.3, mark.height() * 0.3));
    }
    p.end();
    return image;
}

QList<QImage> IconSizes(Badge badge, bool offline, QList<int> sizes) {
    QList<QImage> images;
    for (int size : sizes) images.append(BadgeIcon(size, badge, offline));
    return images;
}

QImage SelectionBar() {
    QImage bar = Canvas(310, 17);
    QPainter p(&bar);
    QLinearGradient g(0, 0, 0, 17);
    g.setColorAt(0, QColor(0x3a, 0x47, 0x26));
    g.setColorAt(1, QColor(0x26, 0x30, 0x1a));
    p.fillRect(bar.rect(), g);
    p.fillRect(QRect(0, 0, 310, 1), QColor(0x5b, 0x73, 0x33));
    p.fillRect(QRect(0, 16, 310, 1), QColor(0x1a, 0x22, 0x10));
    p.fillRect(QRect(0, 1, 2, 15), QColor(0xba, 0xff, 0x4c));
    // Fade out towards the right end.
    QLinearGradient fade(220, 0, 310, 0);
    fade.setColorAt(0, QColor(0x1e, 0x21, 0x25, 0));
    fade.setColorAt(1, QColor(0x1e, 0x21, 0x25, 150));
    p.fillRect(QRect(220, 1, 90, 15), fade);
    p.end();
    return bar.convertToFormat(QImage::Format_RGB32);
}

// The tip window: 240 × 50, light, with a coloured tab along its left edge.
// The long notices start their text 20 pixels in, the others 54: the tab
// keeps to the margin that every form leaves free.
QImage TipBackground(bool classic) {
    QImage tip = Canvas(240, 50);
    QPainter p(&tip);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor border = classic ? QColor(0x3a, 0x40, 0x48) : QColor(0xd0, 0x62, 0x0c);
    QLinearGradient g(0, 0, 0, 50);
    g.setColorAt(0, QColor(0xff, 0xff, 0xff));
    g.setColorAt(1, classic ? QColor(0xe8, 0xec, 0xe2) : QColor(0xff, 0xec, 0xd8));
    p.setPen(QPen(border, 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 239, 49), 8, 8);
    const QRectF tab(3, 4, 13, 42);
    QLinearGradient b(tab.topLeft(), tab.bottomLeft());
    b.setColorAt(0, classic ? QColor(0xc6, 0xff, 0x62) : QColor(0xff, 0xb2, 0x55));
    b.setColorAt(1, classic ? QColor(0x6f, 0xb8, 0x1c) : QColor(0xe0, 0x66, 0x10));
    p.setPen(Qt::NoPen);
    p.setBrush(b);
    p.drawRoundedRect(tab, 5, 5);
    DrawGlyph(p, Glyph::Note, QRectF(3, 18, 13, 13), classic ? QColor(0x17, 0x24, 0x08) : QColor(0xff, 0xff, 0xff));
    p.end();
    return Keyed(tip, kMagenta, border);
}

// The update prompt's picture; its first pixel is the see-through colour.
QImage UpdatePicture() {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0xf0, 0xf0, 0xf0));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 2, 0, 30);
    g.setColorAt(0, QColor(0xc6, 0xff, 0x62));
    g.setColorAt(1, QColor(0x4f, 0xa0, 0x14));
    p.setPen(QPen(QColor(0x3c, 0x6e, 0x10), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    p.setPen(QPen(QColor(0xff, 0xff, 0xff), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(16, 9), QPointF(16, 22));
    p.drawLine(QPointF(10.5, 17), QPointF(16, 22.5));
    p.drawLine(QPointF(21.5, 17), QPointF(16, 22.5));
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

bool WriteProgramResources(const QString& dataDir) {
    const QString res = dataDir + "/res/";
    bool ok = true;
    ok = WriteBytes(res + "128.ico", EncodeIcon(IconSizes(Badge::Program, false, {16, 24, 32, 48}))) && ok;
    ok = WriteBytes(res + "239.ico", EncodeIcon(IconSizes(Badge::Classic, false, {16, 32}))) && ok;
    ok = WriteBytes(res + "227.ico", EncodeIcon(IconSizes(Badge::Classic, true, {16, 32}))) && ok;
    ok = WriteBytes(res + "256.ico", EncodeIcon(IconSizes(Badge::Orange, false, {16, 32}))) && ok;
    ok = WriteBytes(res + "255.ico", EncodeIcon(IconSizes(Badge::Orange, true, {16, 32}))) && ok;
    ok = WriteBytes(res + "244.bmp", BitmapBytes(SelectionBar())) && ok;
    ok = WriteBytes(res + "251.bmp", BitmapBytes(TipBackground(true))) && ok;
    ok = WriteBytes(res + "236.bmp", BitmapBytes(TipBackground(false))) && ok;
    ok = WriteBytes(res + "106.bmp", BitmapBytes(UpdatePicture())) && ok;
    // The program's icon in the desktop's icon theme, one picture per size.
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/icons/hicolor/%2x%2/apps").arg(dataDir).arg(size);
        ok = QDir().mkpath(folder) && BadgeIcon(size, Badge::Program, false).save(folder + "/com.velora.TonvikMusic.png", "PNG") && ok;
    }
    return ok;
}
