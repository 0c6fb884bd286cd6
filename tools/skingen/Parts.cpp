#include "Parts.h"

#include "skin/SkinChoice.h"

namespace {

constexpr QRgb kMagenta = 0xFFFF00FFu;

}  // namespace

void CWindowParts::Faces(const std::string& name, const QRect& rect, ButtonLook look, Glyph glyph, const QString& text,
                         bool disable, bool current) {
    const QImage under = Crop(rect);
    m_writer.Bitmap(name, ButtonFace(under, m_theme, look, ButtonState::Normal, glyph, text));
    m_writer.Bitmap(name + "Over", ButtonFace(under, m_theme, look, ButtonState::Over, glyph, text));
    m_writer.Bitmap(name + "Click", ButtonFace(under, m_theme, look, ButtonState::Click, glyph, text));
    if (disable) m_writer.Bitmap(name + "Disable", ButtonFace(under, m_theme, look, ButtonState::Disable, glyph, text));
    if (current) m_writer.Bitmap(name + "Current", ButtonFace(under, m_theme, look, ButtonState::Current, glyph, text));
}

void CWindowParts::Button(const std::string& section, const QRect& rect, const std::string& name, ButtonLook look,
                          Glyph glyph, const QString& text, bool disable, bool current) {
    m_writer.Geometry(section, rect);
    m_writer.Name(section, name);
    Faces(name, rect, look, glyph, text, disable, current);
}

void CWindowParts::StateImages(const std::string& section, const QRect& rect, const std::string& name, ButtonLook look,
                               Glyph glyph, const QString& text) {
    m_writer.Name(section, name);
    Faces(name, rect, look, glyph, text, false, false);
}

void CWindowParts::Picture(const std::string& section, const QRect& rect, const std::string& name) {
    m_writer.Geometry(section, rect);
    m_writer.Name(section, name);
    m_writer.Bitmap(name, Crop(rect));
}

void CWindowParts::Slider(const std::string& section, const QRect& rect, const std::string& name, bool lowToHigh) {
    m_writer.Geometry(section, rect);
    m_writer.Name(section, name);
    m_writer.Set(section, "bTrans", 1);
    m_writer.Set(section, "Vert", 0);
    if (section == "Slider0") m_writer.Set(section, "LowToHight", lowToHigh ? 1 : 0);
    if (section == "Slider1") m_writer.Set(section, "Circle", 0);

    // The track runs through the thumb's centre: the thumb's top is 6
    // pixels below the slider's top.
    const QRectF track(3, 10, rect.width() - 6, 4);
    auto channel = [&](bool filled) {
        QImage image = Crop(rect).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(m_theme.trackEdge, 1));
        p.setBrush(m_theme.track);
        p.drawRoundedRect(track.adjusted(-0.5, -0.5, 0.5, 0.5), 2.5, 2.5);
        if (filled) {
            QLinearGradient g(track.topLeft(), track.bottomLeft());
            g.setColorAt(0, m_theme.dark ? m_theme.accent : QColor(0xff, 0xff, 0xff));
            g.setColorAt(1, m_theme.dark ? m_theme.accentDark : QColor(0xff, 0xe2, 0xb8));
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawRoundedRect(track, 2, 2);
        }
        p.end();
        return image.convertToFormat(QImage::Format_RGB32);
    };
    m_writer.Bitmap(name, channel(false));
    m_writer.Bitmap(name + "full", channel(true));
    m_writer.Bitmap(name + "thumb", SliderThumb(m_theme));
}

QImage SliderThumb(const Theme& theme) {
    QImage thumb = Canvas(12, 12, theme.scale);
    QPainter p(&thumb);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(4.5, 4), 8);
    g.setColorAt(0, QColor(0xff, 0xff, 0xff));
    g.setColorAt(1, theme.dark ? QColor(0xc8, 0xd0, 0xb8) : QColor(0xff, 0xd9, 0xae));
    p.setPen(QPen(theme.dark ? QColor(0x3c, 0x55, 0x14) : theme.outline, 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(0.5, 0.5, 11, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(theme.dark ? theme.accentDark : theme.frameMid);
    p.drawEllipse(QRectF(4, 4, 4, 4));
    p.end();
    return Keyed(thumb, kMagenta, theme.dark ? QColor(0x3c, 0x55, 0x14) : theme.outline);
}
