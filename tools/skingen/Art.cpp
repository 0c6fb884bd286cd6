#include "Art.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

Theme ClassicTheme() {
    Theme t;
    t.dark = true;
    t.frameTop = QColor(0x3b, 0x40, 0x48);
    t.frameMid = QColor(0x27, 0x2a, 0x30);
    t.frameBottom = QColor(0x1c, 0x1e, 0x22);
    t.outline = QColor(0x08, 0x09, 0x0b);
    t.highlight = QColor(255, 255, 255, 34);
    t.display = QColor(0x10, 0x15, 0x12);
    t.displayEdge = QColor(0x05, 0x07, 0x06);
    t.ink = QColor(0xb4, 0xbb, 0xc4);
    t.inkHover = QColor(0xff, 0xff, 0xff);
    t.inkPressed = QColor(0xba, 0xff, 0x4c);
    t.halo = QColor(0xba, 0xff, 0x4c, 46);
    t.accent = QColor(0xb6, 0xf5, 0x52);
    t.accentDark = QColor(0x6f, 0xb8, 0x1c);
    t.accentInk = QColor(0x17, 0x24, 0x08);
    t.track = QColor(0x0b, 0x0d, 0x0e);
    t.trackEdge = QColor(0x4a, 0x50, 0x58);
    t.title = QColor(0xff, 0xf3, 0xbd);
    t.time = QColor(0xba, 0xff, 0x4c);
    t.listA = QColor(0x1e, 0x21, 0x25);
    t.listB = QColor(0x23, 0x26, 0x2b);
    t.panelText = QColor(0xc4, 0xc4, 0xc4);
    t.pill = QColor(0x33, 0x37, 0x3e);
    t.pillHover = QColor(0x41, 0x47, 0x50);
    t.pillPressed = QColor(0x24, 0x27, 0x2c);
    t.pillText = QColor(0xdd, 0xe2, 0xe8);
    t.pillBorder = QColor(0x4e, 0x55, 0x5f);
    return t;
}

Theme OrangeTheme() {
    Theme t;
    t.dark = false;
    t.frameTop = QColor(0xff, 0xb2, 0x55);
    t.frameMid = QColor(0xf5, 0x86, 0x24);
    t.frameBottom = QColor(0xe0, 0x66, 0x10);
    t.outline = QColor(0x9a, 0x3f, 0x04);
    t.highlight = QColor(255, 240, 210, 120);
    t.display = QColor(0x2e, 0x20, 0x15);
    t.displayEdge = QColor(0x7a, 0x34, 0x05);
    t.ink = QColor(0xff, 0xff, 0xff);
    t.inkHover = QColor(0xff, 0xf6, 0xc8);
    t.inkPressed = QColor(0x6e, 0x2a, 0x00);
    t.halo = QColor(255, 255, 255, 70);
    t.accent = QColor(0xff, 0xfb, 0xf2);
    t.accentDark = QColor(0xf3, 0xd9, 0xbc);
    t.accentInk = QColor(0xe8, 0x6a, 0x12);
    t.track = QColor(0x5a, 0x25, 0x03);
    t.trackEdge = QColor(0xff, 0xc9, 0x8a);
    t.title = QColor(0xff, 0xdd, 0xad);
    t.time = QColor(0xff, 0xa8, 0x40);
    t.listA = QColor(0x43, 0x43, 0x43);
    t.listB = QColor(0x35, 0x35, 0x35);
    t.panelText = QColor(0xc4, 0xc4, 0xc4);
    t.pill = QColor(0xff, 0xf1, 0xe0);
    t.pillHover = QColor(0xff, 0xff, 0xff);
    t.pillPressed = QColor(0xf0, 0xc6, 0x96);
    t.pillText = QColor(0xb8, 0x4a, 0x04);
    t.pillBorder = QColor(0xc8, 0x5a, 0x0a);
    return t;
}

QFont UiFont(double pixelSize, bool bold) {
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(int(std::lround(pixelSize)));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QImage Canvas(int width, int height, int scale) {
    QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
}

QSizeF LayoutSize(const QImage& image) { return image.deviceIndependentSize(); }

QImage CropLayout(const QImage& image, const QRect& rect) {
    const int scale = int(std::lround(image.devicePixelRatio()));
    return image.copy(QRect(rect.topLeft() * scale, rect.size() * scale));
}

void FillRounded(QPainter& p, const QRectF& rect, double radius, const QColor& top, const QColor& bottom) {
    QLinearGradient g(rect.topLeft(), rect.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(rect, radius, radius);
}

QImage Keyed(const QImage& argb, QRgb key, const QColor& matte) {
    const QImage source = argb.convertToFormat(QImage::Format_ARGB32);
    QImage out(source.size(), QImage::Format_RGB32);
    out.setDevicePixelRatio(source.devicePixelRatio());
    const QRgb nudged = qRgb(qRed(key), qGreen(key), std::min(255, qBlue(key) + 1) == qBlue(key) ? qBlue(key) - 1 : qBlue(key) + 1);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb c = source.pixel(x, y);
            const int a = qAlpha(c);
            if (a < 110) {
                out.setPixel(x, y, key);
                continue;
            }
            auto mix = [a](int fg, int bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
            QRgb v = qRgb(mix(qRed(c), matte.red()), mix(qGreen(c), matte.green()), mix(qBlue(c), matte.blue()));
            if ((v & 0xFFFFFF) == (key & 0xFFFFFF)) v = nudged;
            out.setPixel(x, y, v);
        }
    }
    return out;
}

namespace {

QPainterPath Triangle(QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

QPainterPath RoundedTriangleRight(const QRectF& r) {
    // A play triangle with softened corners.
    QPainterPath path = Triangle(QPointF(r.left(), r.top()), QPointF(r.right(), r.center().y()), QPointF(r.left(), r.bottom()));
    return path;
}

void Speaker(QPainter& p, const QRectF& b, const QColor& c) {
    const double s = b.width();
    QPainterPath body;
    body.moveTo(b.left() + 0.08 * s, b.top() + 0.36 * s);
    body.lineTo(b.left() + 0.28 * s, b.top() + 0.36 * s);
    body.lineTo(b.left() + 0.52 * s, b.top() + 0.14 * s);
    body.lineTo(b.left() + 0.52 * s, b.top() + 0.86 * s);
    body.lineTo(b.left() + 0.28 * s, b.top() + 0.64 * s);
    body.lineTo(b.left() + 0.08 * s, b.top() + 0.64 * s);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(body);
}

}  // namespace

void DrawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double s = std::min(box.width(), box.height());
    const QRectF b(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
    const double lw = std::max(1.3, s / 11.0);
    QPen pen(colour, lw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    auto fill = [&](const QPainterPath& path) {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(path);
    };
    auto stroke = [&](const QPainterPath& path) {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    };
    auto at = [&](double fx, double fy) { return QPointF(b.left() + fx * s, b.top() + fy * s); };
    auto line = [&](double x1, double y1, double x2, double y2) {
        QPainterPath path;
        path.moveTo(at(x1, y1));
        path.lineTo(at(x2, y2));
        stroke(path);
    };
    switch (glyph) {
    case Glyph::Play:
        fill(RoundedTriangleRight(QRectF(at(0.32, 0.22), at(0.80, 0.78))));
        break;
    case Glyph::Pause: {
        QPainterPath path;
        path.addRoundedRect(QRectF(at(0.28, 0.24), at(0.43, 0.76)), s * 0.03, s * 0.03);
        path.addRoundedRect(QRectF(at(0.57, 0.24), at(0.72, 0.76)), s * 0.03, s * 0.03);
        fill(path);
        break;
    }
    case Glyph::Stop: {
        QPainterPath path;
        path.addRoundedRect(QRectF(at(0.28, 0.28), at(0.72, 0.72)), s * 0.06, s * 0.06);
        fill(path);
        break;
    }
    case Glyph::Previous:
    case Glyph::Next: {
        QPainterPath path;
        const bool next = glyph == Glyph::Next;
        auto X = [&](double f) { return next ? f : 1.0 - f; };
        path.addPath(Triangle(at(X(0.22), 0.28), at(X(0.52), 0.5), at(X(0.22), 0.72)));
        path.addPath(Triangle(at(X(0.48), 0.28), at(X(0.78), 0.5), at(X(0.48), 0.72)));
        path.setFillRule(Qt::WindingFill);
        fill(path);
        QPainterPath bar;
        bar.addRect(QRectF(at(next ? 0.76 : 0.16, 0.28), at(next ? 0.84 : 0.24, 0.72)).normalized());
        fill(bar);
        break;
    }
    case Glyph::Volume:
    case Glyph::Mute: {
        Speaker(p, b, colour);
        if (glyph == Glyph::Volume) {
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(at(0.42, 0.32), at(0.70, 0.68)), -50 * 16, 100 * 16);
            p.drawArc(QRectF(at(0.40, 0.18), at(0.88, 0.82)), -50 * 16, 100 * 16);
        } else {
            line(0.64, 0.38, 0.88, 0.62);
            line(0.88, 0.38, 0.64, 0.62);
        }
        break;
    }
    case Glyph::Menu:
        line(0.24, 0.32, 0.76, 0.32);
        line(0.24, 0.5, 0.76, 0.5);
        line(0.24, 0.68, 0.76, 0.68);
        break;
    case Glyph::Minimize:
        line(0.26, 0.62, 0.74, 0.62);
        break;
    case Glyph::Mini: {
        QPainterPath frame;
        frame.addRoundedRect(QRectF(at(0.2, 0.26), at(0.8, 0.74)), s * 0.05, s * 0.05);
        stroke(frame);
        QPainterPath inner;
        inner.addRect(QRectF(at(0.44, 0.48), at(0.68, 0.64)));
        fill(inner);
        break;
    }
    case Glyph::Restore: {
        QPainterPath frame;
        frame.addRoundedRect(QRectF(at(0.2, 0.26), at(0.8, 0.74)), s * 0.05, s * 0.05);
        stroke(frame);
        line(0.36, 0.36, 0.36, 0.40);
        line(0.36, 0.36, 0.56, 0.36);
        line(0.36, 0.36, 0.62, 0.62);
        break;
    }
    case Glyph::Close:
        line(0.3, 0.3, 0.7, 0.7);
        line(0.7, 0.3, 0.3, 0.7);
        break;
    case Glyph::Search: {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(at(0.2, 0.2), at(0.62, 0.62)));
        line(0.58, 0.58, 0.8, 0.8);
        break;
    }
    case Glyph::RepeatOff:
    case Glyph::RepeatOne: {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(at(0.16, 0.22), at(0.84, 0.78)), 30 * 16, 150 * 16);
        p.drawArc(QRectF(at(0.16, 0.22), at(0.84, 0.78)), 210 * 16, 150 * 16);
        fill(Triangle(at(0.76, 0.24), at(0.9, 0.42), at(0.7, 0.44)));
        fill(Triangle(at(0.24, 0.76), at(0.1, 0.58), at(0.3, 0.56)));
        if (glyph == Glyph::RepeatOne) {
            p.setPen(colour);
            QFont f = UiFont(s * 0.42, true);
            p.setFont(f);
            p.drawText(b, Qt::AlignCenter, QStringLiteral("1"));
        }
        break;
    }
    case Glyph::Library: {
        // A record with its label: the music library.
        QPainterPath disc;
        disc.addEllipse(QRectF(at(0.16, 0.16), at(0.84, 0.84)));
        disc.addEllipse(QRectF(at(0.4, 0.4), at(0.6, 0.6)));
        disc.setFillRule(Qt::OddEvenFill);
        fill(disc);
        break;
    }
    case Glyph::Lyric: {
        p.setPen(colour);
        p.setFont(UiFont(s * 0.72, true));
        p.drawText(b, Qt::AlignCenter, QStringLiteral("词"));
        break;
    }
    case Glyph::ListOpen:
    case Glyph::ListClose: {
        line(0.2, 0.3, 0.56, 0.3);
        line(0.2, 0.5, 0.56, 0.5);
        line(0.2, 0.7, 0.56, 0.7);
        if (glyph == Glyph::ListOpen)
            fill(Triangle(at(0.64, 0.42), at(0.86, 0.42), at(0.75, 0.6)));
        else
            fill(Triangle(at(0.64, 0.58), at(0.86, 0.58), at(0.75, 0.4)));
        break;
    }
    case Glyph::MyMusic: {
        QPainterPath heart;
        heart.moveTo(at(0.5, 0.78));
        heart.cubicTo(at(0.1, 0.52), at(0.16, 0.18), at(0.5, 0.36));
        heart.cubicTo(at(0.84, 0.18), at(0.9, 0.52), at(0.5, 0.78));
        fill(heart);
        break;
    }
    case Glyph::VolumeUp:
        line(0.3, 0.5, 0.7, 0.5);
        line(0.5, 0.3, 0.5, 0.7);
        break;
    case Glyph::VolumeDown:
        line(0.3, 0.5, 0.7, 0.5);
        break;
    case Glyph::Skin: {
        QPainterPath shirt;
        shirt.moveTo(at(0.36, 0.2));
        shirt.lineTo(at(0.16, 0.32));
        shirt.lineTo(at(0.24, 0.48));
        shirt.lineTo(at(0.32, 0.44));
        shirt.lineTo(at(0.32, 0.8));
        shirt.lineTo(at(0.68, 0.8));
        shirt.lineTo(at(0.68, 0.44));
        shirt.lineTo(at(0.76, 0.48));
        shirt.lineTo(at(0.84, 0.32));
        shirt.lineTo(at(0.64, 0.2));
        shirt.cubicTo(at(0.6, 0.3), at(0.4, 0.3), at(0.36, 0.2));
        fill(shirt);
        break;
    }
    case Glyph::Rotate: {
        QPainterPath a;
        a.addRoundedRect(QRectF(at(0.18, 0.36), at(0.56, 0.64)), s * 0.04, s * 0.04);
        stroke(a);
        QPainterPath v;
        v.addRoundedRect(QRectF(at(0.64, 0.2), at(0.84, 0.8)), s * 0.04, s * 0.04);
        stroke(v);
        break;
    }
    case Glyph::Up:
        fill(Triangle(at(0.2, 0.68), at(0.8, 0.68), at(0.5, 0.3)));
        break;
    case Glyph::Down:
        fill(Triangle(at(0.2, 0.32), at(0.8, 0.32), at(0.5, 0.7)));
        break;
    case Glyph::PageUp:
        fill(Triangle(at(0.3, 0.5), at(0.7, 0.5), at(0.5, 0.28)));
        fill(Triangle(at(0.3, 0.74), at(0.7, 0.74), at(0.5, 0.52)));
        break;
    case Glyph::PageDown:
        fill(Triangle(at(0.3, 0.26), at(0.7, 0.26), at(0.5, 0.48)));
        fill(Triangle(at(0.3, 0.5), at(0.7, 0.5), at(0.5, 0.72)));
        break;
    case Glyph::Back:
    case Glyph::Forward: {
        const bool back = glyph == Glyph::Back;
        auto X = [&](double f) { return back ? 1.0 - f : f; };
        line(X(0.26), 0.5, X(0.74), 0.5);
        line(X(0.52), 0.28, X(0.74), 0.5);
        line(X(0.52), 0.72, X(0.74), 0.5);
        break;
    }
    case Glyph::Refresh: {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(at(0.22, 0.22), at(0.78, 0.78)), 70 * 16, 290 * 16);
        fill(Triangle(at(0.5, 0.08), at(0.7, 0.22), at(0.5, 0.36)));
        break;
    }
    case Glyph::Note: {
        QPainterPath path;
        path.addEllipse(QRectF(at(0.18, 0.6), at(0.44, 0.82)));
        path.addEllipse(QRectF(at(0.56, 0.52), at(0.82, 0.74)));
        path.addRect(QRectF(at(0.38, 0.2), at(0.44, 0.72)));
        path.addRect(QRectF(at(0.76, 0.14), at(0.82, 0.64)));
        QPainterPath beam;
        beam.moveTo(at(0.38, 0.2));
        beam.lineTo(at(0.82, 0.12));
        beam.lineTo(at(0.82, 0.26));
        beam.lineTo(at(0.38, 0.34));
        beam.closeSubpath();
        path.addPath(beam);
        path.setFillRule(Qt::WindingFill);
        fill(path);
        break;
    }
    }
    p.restore();
}

QImage ButtonFace(const QImage& background, const Theme& t, ButtonLook look, ButtonState state, Glyph glyph,
                  const QString& text) {
    QImage face = background.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF r(QPointF(0, 0), LayoutSize(face));
    const bool pressed = state == ButtonState::Click;
    const QPointF shift = pressed ? QPointF(0, 1) : QPointF(0, 0);
    switch (look) {
    case ButtonLook::Flat: {
        if (state == ButtonState::Over || pressed) {
            QRadialGradient g(r.center(), std::max(r.width(), r.height()) * 0.6);
            QColor h = t.halo;
            g.setColorAt(0, h);
            h.setAlpha(h.alpha() / 2);
            g.setColorAt(0.6, h);
            h.setAlpha(0);
            g.setColorAt(1, h);
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawRoundedRect(r, 4, 4);
        }
        const QColor ink = state == ButtonState::Over ? t.inkHover : pressed ? t.inkPressed
                           : state == ButtonState::Disable                  ? QColor(t.ink.red(), t.ink.green(), t.ink.blue(), 90)
                                                                            : t.ink;
        DrawGlyph(p, glyph, r.adjusted(0, 0, 0, 0).translated(shift), ink);
        break;
    }
    case ButtonLook::Round: {
        const double d = std::min(r.width(), r.height()) - 2;
        const QRectF c(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
        // Soft shadow ring, then the accent disc with a glossy top.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, t.dark ? 110 : 60));
        p.drawEllipse(c.translated(0, 1));
        QColor top = t.accent, bottom = t.accentDark;
        if (state == ButtonState::Over) {
            top = top.lighter(112);
            bottom = bottom.lighter(118);
        } else if (pressed) {
            top = t.accentDark;
            bottom = t.accentDark.darker(115);
        }
        QLinearGradient g(c.topLeft(), c.bottomLeft());
        g.setColorAt(0, top);
        g.setColorAt(1, bottom);
        p.setBrush(g);
        p.setPen(QPen(t.dark ? QColor(0x0a, 0x10, 0x04, 200) : t.outline, 1));
        p.drawEllipse(c.adjusted(0.5, 0.5, -0.5, -0.5));
        QLinearGradient gloss(c.topLeft(), QPointF(c.left(), c.center().y()));
        gloss.setColorAt(0, QColor(255, 255, 255, pressed ? 40 : 110));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawEllipse(QRectF(c.left() + d * 0.14, c.top() + d * 0.05, d * 0.72, d * 0.5));
        DrawGlyph(p, glyph, c.adjusted(d * 0.12, d * 0.12, -d * 0.12, -d * 0.12).translated(shift), t.accentInk);
        break;
    }
    case ButtonLook::Pill:
    case ButtonLook::Tab: {
        const bool tab = look == ButtonLook::Tab;
        const bool lit = state == ButtonState::Current;
        QColor fill = state == ButtonState::Over ? t.pillHover : pressed ? t.pillPressed : t.pill;
        QColor ink = t.pillText;
        if (state == ButtonState::Disable) ink.setAlpha(110);
        if (tab) {
            fill = state == ButtonState::Over ? QColor(255, 255, 255, t.dark ? 18 : 50) : pressed ? QColor(0, 0, 0, 40) : QColor(0, 0, 0, 0);
            ink = t.dark ? t.panelText : QColor(0xff, 0xf4, 0xe6);
            if (state == ButtonState::Over) ink = t.dark ? QColor(0xff, 0xff, 0xff) : QColor(0xff, 0xff, 0xff);
            if (lit) {
                fill = t.dark ? QColor(0x2c, 0x31, 0x24) : QColor(0x35, 0x35, 0x35);
                ink = t.dark ? QColor(0xba, 0xff, 0x4c) : QColor(0xff, 0xb3, 0x5c);
            }
            QPainterPath shape;
            shape.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, 4), 5, 5);
            p.setPen(Qt::NoPen);
            p.setBrush(fill);
            p.setClipRect(r);
            p.drawPath(shape);
            if (lit) {
                p.setBrush(ink);
                p.drawRoundedRect(QRectF(r.center().x() - 14, r.bottom() - 3, 28, 3), 1.5, 1.5);
            }
            p.setClipping(false);
        } else {
            const QRectF body = r.adjusted(0.5, 0.5, -0.5, -0.5);
            QLinearGradient g(body.topLeft(), body.bottomLeft());
            g.setColorAt(0, fill.lighter(pressed ? 100 : 112));
            g.setColorAt(1, fill);
            p.setPen(QPen(t.pillBorder, 1));
            p.setBrush(g);
            p.drawRoundedRect(body, 4, 4);
            if (!pressed) {
                p.setPen(QPen(QColor(255, 255, 255, t.dark ? 26 : 140), 1));
                p.drawLine(QPointF(body.left() + 4, body.top() + 1), QPointF(body.right() - 4, body.top() + 1));
            }
        }
        p.setPen(ink);
        p.setFont(UiFont(12, lit));
        p.drawText(r.translated(shift), Qt::AlignCenter, text);
        break;
    }
    case ButtonLook::Link: {
        QColor ink = t.dark ? QColor(0x9f, 0xd8, 0x5a) : QColor(0xff, 0xb3, 0x5c);
        if (state == ButtonState::Over) ink = ink.lighter(125);
        if (pressed) ink = ink.darker(130);
        QFont f = UiFont(12);
        f.setUnderline(state != ButtonState::Normal);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(r.translated(shift), Qt::AlignVCenter | Qt::AlignLeft, text);
        break;
    }
    }
    p.end();
    return face.convertToFormat(QImage::Format_RGB32);
}
