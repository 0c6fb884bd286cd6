#include "Windows.h"

#include "GifEncoder.h"
#include "IconEncoder.h"
#include "Parts.h"
#include "SkinWriter.h"

#include "common/Bitmap.h"
#include "skin/SkinChoice.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>

#include <cmath>

namespace {

constexpr QRgb kMagenta = 0xFFFF00FFu;

int Ref(const QColor& c) { return int(Rgb(unsigned(c.red()), unsigned(c.green()), unsigned(c.blue()))); }

QPainterPath WindowShape(const QSizeF& size, double radius, bool roundTop, bool roundBottom) {
    const QRectF r(0, 0, size.width(), size.height());
    QPainterPath path;
    const double rt = roundTop ? radius : 0, rb = roundBottom ? radius : 0;
    path.moveTo(r.left() + rt, r.top());
    path.lineTo(r.right() - rt, r.top());
    if (rt > 0) path.arcTo(QRectF(r.right() - 2 * rt, r.top(), 2 * rt, 2 * rt), 90, -90);
    path.lineTo(r.right(), r.bottom() - rb);
    if (rb > 0) path.arcTo(QRectF(r.right() - 2 * rb, r.bottom() - 2 * rb, 2 * rb, 2 * rb), 0, -90);
    path.lineTo(r.left() + rb, r.bottom());
    if (rb > 0) path.arcTo(QRectF(r.left(), r.bottom() - 2 * rb, 2 * rb, 2 * rb), 270, -90);
    path.lineTo(r.left(), r.top() + rt);
    if (rt > 0) path.arcTo(QRectF(r.left(), r.top(), 2 * rt, 2 * rt), 180, -90);
    path.closeSubpath();
    return path;
}

// The frame every window of a skin shares: gradient body, outline and a
// light top edge.
void PaintFrame(QPainter& p, const Theme& t, const QSize& size, double radius, bool roundTop, bool roundBottom) {
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = WindowShape(size, radius, roundTop, roundBottom);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, t.frameTop);
    g.setColorAt(std::min(0.4, 60.0 / size.height()), t.frameMid);
    g.setColorAt(1, t.frameBottom);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(shape);
    // Light top edge inside the outline.
    p.save();
    p.setClipPath(shape);
    p.setPen(QPen(t.highlight, 1));
    p.drawLine(QPointF(radius * 0.6, 1.5), QPointF(size.width() - radius * 0.6, 1.5));
    p.restore();
    p.setPen(QPen(t.outline, 1));
    p.setBrush(Qt::NoBrush);
    const QPainterPath edge = WindowShape(QSizeF(size.width() - 1, size.height() - 1), radius, roundTop, roundBottom)
                                  .translated(0.5, 0.5);
    p.drawPath(edge);
}

// A sunken panel: the display of the player, list areas and page areas.
void PaintInset(QPainter& p, const Theme& t, const QRectF& r, const QColor& fill, double radius = 5) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, t.dark ? 22 : 90));
    p.drawRoundedRect(r.adjusted(-1, -1, 1, 1.2), radius + 1, radius + 1);
    p.setBrush(t.displayEdge);
    p.drawRoundedRect(r.adjusted(-1, -1, 1, 0), radius + 1, radius + 1);
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
}

void PaintBrand(QPainter& p, const Theme& t, QPointF at, double size, const QString& caption) {
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF badge(at.x(), at.y(), size, size);
    QLinearGradient g(badge.topLeft(), badge.bottomLeft());
    g.setColorAt(0, t.dark ? t.accent : QColor(0xff, 0xff, 0xff));
    g.setColorAt(1, t.dark ? t.accentDark : QColor(0xff, 0xe4, 0xc4));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(badge);
    DrawGlyph(p, Glyph::Note, badge.adjusted(size * 0.18, size * 0.18, -size * 0.18, -size * 0.18),
              t.dark ? t.accentInk : t.frameBottom);
    QFont f = UiFont(size * 0.78, true);
    p.setFont(f);
    p.setPen(t.dark ? QColor(0xe6, 0xea, 0xee) : QColor(0xff, 0xff, 0xff));
    const QRectF text(at.x() + size + 5, at.y() - 2, 200, size + 4);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Tonvik"));
    if (!caption.isEmpty()) {
        const double w = QFontMetricsF(f).horizontalAdvance(QStringLiteral("Tonvik"));
        p.setFont(UiFont(std::max(11.0, size * 0.66)));
        p.setPen(t.dark ? QColor(0x8b, 0x93, 0x9c) : QColor(0xff, 0xee, 0xd8));
        p.drawText(QRectF(text.left() + w + 6, text.top() + 1, 200, size + 4), Qt::AlignVCenter | Qt::AlignLeft, caption);
    }
}

QImage PlayerBackground(const Theme& t, const PlayerLayout& l, QRgb key, const QString& caption) {
    QImage canvas = Canvas(l.size.width(), l.size.height(), t.scale);
    QPainter p(&canvas);
    PaintFrame(p, t, l.size, l.radius, true, l.roundBottom);
    if (!l.display.isEmpty()) PaintInset(p, t, l.display, t.display, 6);
    if (!l.searchField.isEmpty()) {
        p.setPen(QPen(t.dark ? QColor(0x4a, 0x50, 0x59) : QColor(0x8a, 0x5a, 0x34), 1));
        p.setBrush(t.dark ? QColor(0x17, 0x19, 0x1c) : QColor(0x45, 0x30, 0x22));
        p.drawRoundedRect(QRectF(l.searchField).adjusted(0.5, 0.5, -0.5, -0.5), l.searchField.height() / 2.0,
                          l.searchField.height() / 2.0);
    }
    if (l.showBrand) PaintBrand(p, t, QPointF(10, 6), 16, caption);
    if (!l.animation.isEmpty()) {
        // A faint frame around the animated picture.
        p.setPen(QPen(t.dark ? QColor(0x24, 0x2e, 0x22) : QColor(0x4e, 0x35, 0x22), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(l.animation).adjusted(-2.5, -2.5, 2.5, 2.5), 4, 4);
    }
    p.end();
    return Keyed(canvas, key, t.outline);
}

// The equaliser picture of the "Skin2" display; `phase` < 0 draws it at rest.
QImage Equaliser(const QImage& background, const Theme& t, int phase) {
    QImage frame = background.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&frame);
    p.setRenderHint(QPainter::Antialiasing);
    const int bars = 7;
    const double w = LayoutSize(frame).width(), h = LayoutSize(frame).height();
    const double slot = (w - 6) / bars;
    for (int i = 0; i < bars; ++i) {
        double level = 0.12;
        if (phase >= 0) {
            const double a = (phase * 2 * M_PI / 12.0);
            level = 0.25 + 0.7 * std::fabs(std::sin(a * (1 + (i % 3)) * 0.5 + i * 1.3)) * (0.55 + 0.45 * std::cos(i * 0.9 + a));
            level = std::clamp(level, 0.12, 0.95);
        }
        const int segments = 9;
        const double segH = (h - 8) / segments;
        const int lit = std::max(1, int(std::lround(level * segments)));
        for (int s = 0; s < segments; ++s) {
            const QRectF seg(3 + i * slot + 1, h - 4 - (s + 1) * segH + 1, slot - 2, segH - 1.2);
            QColor c = s < lit ? (s >= segments - 2 ? QColor(0xff, 0xf3, 0xbd) : t.accent) : QColor(0x1c, 0x24, 0x1d);
            if (s < lit && s < segments - 2) c = QColor::fromRgbF(c.redF() * (0.7 + 0.3 * s / segments), c.greenF() * (0.75 + 0.25 * s / segments), c.blueF() * 0.8);
            p.setPen(Qt::NoPen);
            p.setBrush(c);
            p.drawRoundedRect(seg, 1, 1);
        }
    }
    p.end();
    return frame.convertToFormat(QImage::Format_RGB32);
}

// The turning record of the orange display; `phase` < 0 draws it at rest.
QImage Record(const QImage& background, const Theme& t, int phase) {
    QImage frame = background.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&frame);
    p.setRenderHint(QPainter::Antialiasing);
    const QSizeF size = LayoutSize(frame);
    const double d = std::min(size.width(), size.height()) - 4;
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x14, 0x0e, 0x0a));
    p.drawEllipse(c, d / 2, d / 2);
    p.setPen(QPen(QColor(0x3a, 0x2c, 0x22), 0.8));
    p.setBrush(Qt::NoBrush);
    for (double r = d * 0.22; r < d / 2 - 1; r += 2.6) p.drawEllipse(c, r, r);
    // The sheen turns with the record.
    const double angle = phase < 0 ? 35 : phase * 30.0;
    p.save();
    p.translate(c);
    p.rotate(angle);
    QConicalGradient sheen(QPointF(0, 0), 0);
    sheen.setColorAt(0, QColor(255, 220, 180, 0));
    sheen.setColorAt(0.08, QColor(255, 220, 180, 70));
    sheen.setColorAt(0.16, QColor(255, 220, 180, 0));
    sheen.setColorAt(0.5, QColor(255, 220, 180, 0));
    sheen.setColorAt(0.58, QColor(255, 220, 180, 60));
    sheen.setColorAt(0.66, QColor(255, 220, 180, 0));
    sheen.setColorAt(1, QColor(255, 220, 180, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawEllipse(QPointF(0, 0), d / 2 - 1, d / 2 - 1);
    // The label with a mark that shows the turning.
    p.setBrush(t.frameMid);
    p.drawEllipse(QPointF(0, 0), d * 0.2, d * 0.2);
    p.setBrush(QColor(0xff, 0xe3, 0xbf));
    p.drawEllipse(QPointF(0, -d * 0.12), d * 0.045, d * 0.045);
    p.restore();
    p.setBrush(QColor(0x14, 0x0e, 0x0a));
    p.drawEllipse(c, 1.6, 1.6);
    p.end();
    return frame.convertToFormat(QImage::Format_RGB32);
}

void WritePlayer(CSkinWriter& w, const SkinDesign& d, const PlayerLayout& l, bool mini) {
    const Theme& t = d.theme;
    const QImage back = PlayerBackground(t, l, d.playerKey, mini ? QString() : d.caption);
    w.Geometry("Wnd0", QRect(l.position, l.size));
    w.Name("Wnd0", "PlayerBack");
    w.Bitmap("PlayerBack", back);
    CWindowParts parts(w, t, back);
    for (const ButtonSpec& b : l.buttons) {
        parts.Button(b.section, b.rect, b.name, b.look, b.glyph);
        if (b.otherSection) parts.StateImages(b.otherSection, b.rect, b.otherName, b.look, b.otherGlyph);
    }
    parts.Picture("Static0", l.title, "Title");
    w.Set("Static0", "TextColor", Ref(t.title));
    if (!l.elapsed.isEmpty()) {
        for (const auto& [section, rect, name] : {std::tuple{"Static1", l.elapsed, "Elapsed"}, std::tuple{"Static5", l.duration, "Duration"}}) {
            if (rect.isEmpty()) continue;
            parts.Picture(section, rect, name);
            w.Set(section, "TextColor", Ref(section == std::string("Static1") ? t.time : t.title.darker(125)));
            w.Set(section, "FontHeight", l.timeFontHeight);
            w.Set(section, "FontWidth", 0);
            w.Set(section, "FontWeight", section == std::string("Static1") ? 700 : 400);
        }
    }
    // The animation is composed at layout size; it has no double-size twin.
    if (!l.animation.isEmpty() && t.scale == 1) {
        parts.Picture("Static4", l.animation, "Playing");
        const QImage under = parts.Crop(l.animation);
        QList<QImage> frames;
        for (int i = 0; i < 12; ++i) frames.append(d.theme.dark ? Equaliser(under, t, i) : Record(under, t, i));
        w.Gif("Playing", frames, 8);
        w.Gif("PlayingStop", {d.theme.dark ? Equaliser(under, t, -1) : Record(under, t, -1)}, 0);
    }
    if (!l.volume.isEmpty()) parts.Slider("Slider0", l.volume, "Volume", true);
    if (!l.position2.isEmpty()) parts.Slider("Slider1", l.position2, "Seek", true);
    if (!l.search.isEmpty()) {
        parts.Area("Edit0", l.search);
        w.Set("Edit0", "TextColor", Ref(t.dark ? QColor(0xc8, 0xce, 0xd4) : QColor(0xff, 0xdc, 0xae)));
    }
}

// ---- the my-music panel ----------------------------------------------------

struct PanelGeometry {
    QRect tabs[3];
    QRect close;
    QRect list;
    QRect scrollColumn;
    QRect toolbar;
    QRect pane;
};

PanelGeometry PanelLayout(const QSize& s, bool squareTop) {
    PanelGeometry g;
    const int top = squareTop ? 6 : 8;
    const int tabW = (s.width() - 60) / 3;
    for (int i = 0; i < 3; ++i) g.tabs[i] = QRect(12 + i * (tabW + 2), top, tabW, 26);
    g.close = QRect(s.width() - 28, top + 4, 18, 18);
    g.list = QRect(12, top + 32, s.width() - 41, 196);
    g.scrollColumn = QRect(g.list.right() + 2, g.list.top(), 17, g.list.height());
    g.toolbar = QRect(12, g.list.bottom() + 7, s.width() - 24, 24);
    g.pane = QRect(12, g.toolbar.bottom() + 9, s.width() - 24, s.height() - g.toolbar.bottom() - 19);
    return g;
}

QImage ListStripes(const Theme& t, int width) {
    QImage stripes(width * t.scale, 36 * t.scale, QImage::Format_RGB32);
    stripes.setDevicePixelRatio(t.scale);
    QPainter p(&stripes);
    p.fillRect(0, 0, width, 18, t.listA);
    p.fillRect(0, 18, width, 18, t.listB);
    p.end();
    return stripes;
}

void WritePanel(CSkinWriter& w, const SkinDesign& d) {
    const Theme& t = d.theme;
    const QSize size = d.panel.size();
    const PanelGeometry g = PanelLayout(size, d.panelSquareTop);
    QImage canvas = Canvas(size.width(), size.height(), t.scale);
    {
        QPainter p(&canvas);
        PaintFrame(p, t, size, 10, !d.panelSquareTop, true);
        // The list area with its stripes, the scroll column and the web pane.
        PaintInset(p, t, QRectF(g.list.adjusted(-2, -2, g.scrollColumn.width() + 4, 2)), t.listB, 4);
        const QImage stripes = ListStripes(t, g.list.width());
        for (int y = g.list.top(); y < g.list.bottom(); y += 36)
            p.drawImage(QPoint(g.list.left(), y), CropLayout(stripes, QRect(0, 0, g.list.width(), std::min(36, g.list.bottom() + 1 - y))));
        p.fillRect(g.scrollColumn, t.dark ? QColor(0x17, 0x19, 0x1c) : QColor(0x2b, 0x2b, 0x2b));
        PaintInset(p, t, QRectF(g.pane), t.dark ? QColor(0x1a, 0x1c, 0x20) : QColor(0xff, 0xf4, 0xe8), 4);
        // A hair line under the tabs.
        p.setPen(QPen(t.dark ? QColor(0x44, 0x4a, 0x52) : QColor(0xff, 0xd2, 0xa0), 1));
        p.drawLine(QPointF(8, g.tabs[0].bottom() + 1.5), QPointF(size.width() - 8, g.tabs[0].bottom() + 1.5));
    }
    const QImage back = Keyed(canvas, kMagenta, t.outline);
    w.Geometry("Wnd1", d.panel);
    w.Name("Wnd1", "PanelBack");
    w.Bitmap("PanelBack", back);
    CWindowParts parts(w, t, back);

    const char* tabNames[3] = {"TabList", "TabRandom", "TabAlbum"};
    const QString tabTexts[3] = {QStringLiteral("播放列表"), QStringLiteral("随意听"), QStringLiteral("我的专辑")};
    for (int i = 0; i < 3; ++i)
        parts.Button("Btn10" + std::to_string(i), g.tabs[i], tabNames[i], ButtonLook::Tab, Glyph::Note, tabTexts[i], false, true);
    parts.Button("Btn103", g.close, "PanelClose", ButtonLook::Flat, Glyph::Close);

    // The toolbar under the list.
    const struct {
        const char* section;
        const char* name;
        const char* text;
    } tools[] = {{"Btn104", "ToolAdd", "添加"}, {"Btn105", "ToolDelete", "删除"}, {"Btn106", "ToolSort", "排序"},
                 {"Btn107", "ToolMode", "模式"}, {"Btn108", "ToolSave", "保存"}, {"Btn110", "ToolRefresh", "刷新"}};
    const int toolW = (g.toolbar.width() - 5 * 4) / 6;
    for (int i = 0; i < 6; ++i)
        parts.Button(tools[i].section, QRect(g.toolbar.left() + i * (toolW + 4), g.toolbar.top(), toolW, g.toolbar.height()),
                     tools[i].name, ButtonLook::Pill, Glyph::Note, QString::fromUtf8(tools[i].text));

    // The scroll column: page and row buttons around the track.
    const QRect col = g.scrollColumn;
    constexpr int kStep = 14;
    parts.Button("Btn118", QRect(col.left(), col.top(), 17, kStep), "ScrollTop", ButtonLook::Flat, Glyph::PageUp);
    parts.Button("Btn116", QRect(col.left(), col.top() + kStep, 17, kStep), "ScrollUp", ButtonLook::Flat, Glyph::Up);
    const QRect track(col.left(), col.top() + 2 * kStep, 17, col.height() - 4 * kStep);
    parts.Button("Btn117", QRect(col.left(), track.bottom() + 1, 17, kStep), "ScrollDown", ButtonLook::Flat, Glyph::Down);
    parts.Button("Btn119", QRect(col.left(), track.bottom() + 1 + kStep, 17, kStep), "ScrollBottom", ButtonLook::Flat, Glyph::PageDown);
    w.Geometry("Scroll00", track);
    w.Name("Scroll00", "Scroll\\Scroll");
    w.Set("Scroll00", "Vert", 1);
    w.Set("Scroll00", "bFade", d.scrollFade ? 1 : 0);
    {
        auto trackImage = [&](bool full) {
            QImage image = parts.Crop(track).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(full ? (t.dark ? QColor(0x2a, 0x30, 0x24) : QColor(0x4a, 0x3a, 0x2e)) : (t.dark ? QColor(0x0e, 0x10, 0x12) : QColor(0x22, 0x22, 0x22)));
            p.drawRoundedRect(QRectF(6, 1, 5, track.height() - 2), 2.5, 2.5);
            p.end();
            return image.convertToFormat(QImage::Format_RGB32);
        };
        w.Bitmap("Scroll\\Scroll", trackImage(false));
        w.Bitmap("Scroll\\Scrollfull", trackImage(true));
        // Thumb source: a fading thumb is 15 pixels of body, 137 rows,
        // row 136 its end; a plain one 17 wide with caps at rows 0-1 and 54.
        const int rows = d.scrollFade ? 137 : 55;
        QImage source = Canvas(17, rows);
        QPainter p(&source);
        p.setRenderHint(QPainter::Antialiasing);
        if (d.scrollFade) {
            for (int y = 0; y < rows; ++y) {
                const double f = 1.0 - double(y) / rows * 0.55;
                QColor c = QColor::fromRgbF(t.accent.redF() * f, t.accent.greenF() * f, t.accent.blueF() * f);
                if (y == 0 || y == rows - 1) c = t.accentDark.darker(140);
                p.fillRect(QRectF(4, y, 7, 1), c);
                p.fillRect(QRectF(3, y, 1, 1), c.darker(150));
                p.fillRect(QRectF(11, y, 1, 1), c.darker(150));
            }
        } else {
            // Caps of a rounded bar; the body row repeats.
            const QColor body = t.frameMid;
            p.fillRect(QRectF(4, 0, 9, 1), body.darker(130));
            p.fillRect(QRectF(3, 1, 11, 1), body);
            for (int y = 2; y < 54; ++y) {
                p.fillRect(QRectF(3, y, 11, 1), body);
                p.fillRect(QRectF(5, y, 3, 1), body.lighter(125));
            }
            p.fillRect(QRectF(4, 54, 9, 1), body.darker(130));
        }
        p.end();
        // The thumb is cut up by rows at layout size; it has no double-size twin.
        if (t.scale == 1) w.Bitmap("Scroll\\Scrollthumb", Keyed(source, kMagenta, t.outline));
    }

    // The lists, the tree and the page texts share the list area.
    // Two rows of stripes, tiled by the lists.
    for (const char* section : {"List100", "List101"}) {
        w.Geometry(section, g.list);
        w.Name(section, "ListBack");
    }
    w.Bitmap("ListBack", ListStripes(t, g.list.width()));
    w.Geometry("List102", g.list);
    const QColor song = QColor(0xc4, 0xc4, 0xc4), songOver = t.dark ? QColor(0xba, 0xff, 0x4c) : QColor(0xff, 0xb3, 0x5c);
    w.Set("List102", "SongOverColor", Ref(songOver));
    w.Set("List102", "SongColor", Ref(song));
    w.Set("List102", "AlbumOverColor", Ref(songOver));
    w.Set("List102", "AlbumColor", Ref(t.dark ? QColor(0xff, 0xf3, 0xbd) : QColor(0xff, 0xff, 0xff)));
    w.Set("List102", "BkColor", Ref(t.listB));

    const QRect l = g.list;
    const int cx = l.center().x();
    // Page 1 (empty play list) and page 4 (no album yet).
    w.Geometry("Static102", QRect(l.left() + 10, l.top() + 60, l.width() - 20, 22));
    w.Set("Static102", "TextColor", Ref(song));
    w.Set("Static102", "BkColor", Ref(t.listB));
    parts.Button("Btn112", QRect(cx - 104, l.top() + 100, 100, 26), "GoRandom", ButtonLook::Pill, Glyph::Note, QStringLiteral("进入随意听"));
    parts.Button("Btn113", QRect(cx + 4, l.top() + 100, 100, 26), "GoSearch", ButtonLook::Pill, Glyph::Note, QStringLiteral("进入搜索"));
    {
        const QRect art(cx - 32, l.top() + 18, 64, 64);
        QImage image = parts.Crop(art).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(t.dark ? QColor(0x4a, 0x52, 0x5c) : QColor(0x6a, 0x6a, 0x6a), 2, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(6, 6, 52, 52), 8, 8);
        DrawGlyph(p, Glyph::Note, QRectF(18, 18, 28, 28), t.dark ? QColor(0x6f, 0x78, 0x82) : QColor(0x8a, 0x8a, 0x8a));
        p.end();
        w.Geometry("Static103", art);
        w.Name("Static103", "NoAlbum");
        w.Set("Static103", "TextColor", Ref(song));
        w.Bitmap("NoAlbum", image.convertToFormat(QImage::Format_RGB32));
    }
    w.Geometry("Static104", QRect(l.left() + 10, l.top() + 92, l.width() - 20, 20));
    parts.Button("Btn111", QRect(cx - 50, l.top() + 122, 100, 26), "NewAlbum", ButtonLook::Pill, Glyph::Note, QStringLiteral("创建专辑"));
    // Page 12: the busy picture.
    {
        const QRect busy(cx - 60, l.top() + 80, 120, 30);
        QImage image = parts.Crop(busy).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 3; ++i) {
            QColor c = t.dark ? t.accent : QColor(0xff, 0xa8, 0x40);
            c.setAlphaF(0.35 + 0.3 * i);
            p.setPen(Qt::NoPen);
            p.setBrush(c);
            p.drawEllipse(QPointF(14 + i * 12, 15), 4, 4);
        }
        p.setFont(UiFont(12));
        p.setPen(song);
        p.drawText(QRectF(50, 0, 70, 30), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("加载中…"));
        p.end();
        w.Geometry("Static118", busy);
        w.Name("Static118", "Loading");
        w.Bitmap("Loading", image.convertToFormat(QImage::Format_RGB32));
    }
    // Page 3: the sign-in form.
    const int fx = l.left() + 40, fw = l.width() - 80;
    w.Geometry("Static106", QRect(fx, l.top() + 30, 56, 22));
    w.Set("Static106", "TextColor", Ref(song));
    w.Geometry("Edit100", QRect(fx + 58, l.top() + 30, fw - 58, 22));
    w.Set("Edit100", "TextColor", Ref(t.dark ? QColor(0xff, 0xf3, 0xbd) : QColor(0xff, 0xff, 0xff)));
    w.Geometry("Static109", QRect(fx, l.top() + 62, 56, 22));
    w.Set("Static109", "TextColor", Ref(song));
    w.Geometry("Edit101", QRect(fx + 58, l.top() + 62, fw - 58, 22));
    w.Set("Edit101", "TextColor", Ref(t.dark ? QColor(0xff, 0xf3, 0xbd) : QColor(0xff, 0xff, 0xff)));
    w.Geometry("Check100", QRect(fx + 58, l.top() + 98, 14, 14));
    w.Geometry("Static110", QRect(fx + 76, l.top() + 95, 64, 20));
    w.Set("Static110", "TextColor", Ref(song));
    w.Geometry("Check101", QRect(fx + 150, l.top() + 98, 14, 14));
    w.Geometry("Static112", QRect(fx + 168, l.top() + 95, 64, 20));
    w.Set("Static112", "TextColor", Ref(song));
    parts.Button("Btn109", QRect(fx + 58, l.top() + 126, fw - 58, 28), "Logon", ButtonLook::Pill, Glyph::Note, QStringLiteral("登  录"));
    parts.Button("Btn114", QRect(fx + 58, l.top() + 164, 64, 18), "ForgotPass", ButtonLook::Link, Glyph::Note, QStringLiteral("忘记密码"));
    parts.Button("Btn115", QRect(fx + 130, l.top() + 164, 80, 18), "Register", ButtonLook::Link, Glyph::Note, QStringLiteral("注册新帐号"));
    w.Geometry("Static113", QRect(fx, l.top() + 4, fw, 20));
    w.Set("Static113", "TextColor", Ref(songOver));
    // Headers and counters along the toolbar and the pane.
    w.Geometry("Static105", QRect(g.pane.left() + 8, g.pane.top() + 6, 150, 18));
    w.Geometry("Static111", QRect(g.pane.right() - 158, g.pane.top() + 6, 150, 18));
    w.Geometry("Static114", QRect(g.pane.left() + 8, g.pane.bottom() - 24, 150, 18));
    w.Set("Static114", "TextColor", Ref(song));
    w.Geometry("Static115", QRect(g.pane.right() - 158, g.pane.bottom() - 24, 150, 18));
    w.Set("Static115", "TextColor", Ref(song));
}

// ---- the list and tree icons ------------------------------------------------

QImage SmallIcon(const Theme& t, int kind, bool hover) {
    QImage image = Canvas(16, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base = t.dark ? QColor(0x9a, 0xa2, 0xac) : QColor(0xc4, 0xc4, 0xc4);
    const QColor lit = t.dark ? QColor(0xba, 0xff, 0x4c) : QColor(0xff, 0xa8, 0x40);
    const QColor c = hover ? lit : base;
    switch (kind) {
    case 0: {  // details
        p.setPen(QPen(c, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QRectF(7.2, 4.3, 1.8, 1.8));
        p.drawRoundedRect(QRectF(7.3, 7, 1.6, 4.8), 0.6, 0.6);
        break;
    }
    case 1:  // playing mark
        p.setPen(Qt::NoPen);
        p.setBrush(lit);
        p.drawRoundedRect(QRectF(2, 6, 2.2, 4), 0.8, 0.8);
        p.drawRoundedRect(QRectF(5.6, 3, 2.2, 10), 0.8, 0.8);
        p.drawRoundedRect(QRectF(9.2, 5, 2.2, 6), 0.8, 0.8);
        p.drawRoundedRect(QRectF(12.8, 7, 2.2, 2.5), 0.8, 0.8);
        break;
    case 2: {  // manage: a pencil
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        QTransform tr;
        tr.translate(8, 8);
        tr.rotate(45);
        QPainterPath pen;
        pen.addRoundedRect(QRectF(-1.8, -6.5, 3.6, 9.5), 0.8, 0.8);
        pen.moveTo(-1.8, 3.6);
        pen.lineTo(1.8, 3.6);
        pen.lineTo(0, 6.5);
        pen.closeSubpath();
        p.drawPath(tr.map(pen));
        break;
    }
    case 3:  // play album
        p.setPen(QPen(c, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 2, 12, 12));
        DrawGlyph(p, Glyph::Play, QRectF(3, 3, 11, 10), c);
        break;
    case 4: {  // album
        QLinearGradient g(0, 2, 0, 14);
        g.setColorAt(0, lit.lighter(110));
        g.setColorAt(1, lit.darker(130));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(t.dark ? QColor(0x1e, 0x21, 0x25) : QColor(0x35, 0x35, 0x35));
        p.drawEllipse(QRectF(6, 6, 4, 4));
        break;
    }
    }
    p.end();
    return image;
}

void WriteListIcons(CSkinWriter& w, const Theme& t) {
    const struct {
        const char* section;
        const char* name;
        int kind;
        bool hover;
    } icons[] = {{"Icon0", "IconInfo", 0, false},    {"Icon00", "IconInfoOver", 0, true}, {"Icon1", "IconPlaying", 1, false},
                 {"Icon2", "IconManage", 2, false},  {"Icon20", "IconManageOver", 2, true}, {"Icon3", "IconPlayAlbum", 3, false},
                 {"Icon30", "IconPlayAlbumOver", 3, true}, {"Icon4", "IconAlbum", 4, false}};
    for (const auto& icon : icons) {
        w.Name(icon.section, std::string("Icons\\") + icon.name);
        w.Icon(std::string("Icons\\") + icon.name, {SmallIcon(t, icon.kind, icon.hover)});
    }
}

// ---- the lyric window and the library window --------------------------------

void WriteLyric(CSkinWriter& w, const SkinDesign& d) {
    const Theme& t = d.theme;
    const QSize size = d.lyric.size();
    const QRect area(10, 42, size.width() - 20, size.height() - 84);
    QImage canvas = Canvas(size.width(), size.height(), t.scale);
    {
        QPainter p(&canvas);
        PaintFrame(p, t, size, 10, true, true);
        PaintBrand(p, t, QPointF(9, 4), 14, QStringLiteral("歌词"));
        PaintInset(p, t, QRectF(area).adjusted(-2, -2, 2, 2), t.dark ? QColor(0x14, 0x17, 0x1a) : QColor(0xff, 0xf7, 0xee), 5);
    }
    const QImage back = Keyed(canvas, kMagenta, t.outline);
    w.Geometry("Wnd_Lyric", d.lyric);
    w.Name("Wnd_Lyric", "LyricBack");
    w.Bitmap("LyricBack", back);
    CWindowParts parts(w, t, back);
    parts.Button("Wnd_Lyric_Btn0", QRect(size.width() - 26, 4, 18, 16), "LyricClose", ButtonLook::Flat, Glyph::Close);
    parts.Button("Wnd_Lyric_Btn1", QRect(size.width() / 2 - 15, 23, 30, 16), "LyricUp", ButtonLook::Flat, Glyph::Up);
    parts.Button("Wnd_Lyric_Btn2", QRect(size.width() / 2 - 15, size.height() - 39, 30, 16), "LyricDown", ButtonLook::Flat, Glyph::Down);
    w.Geometry("Wnd_Lyric_Static", area);
    // Lines around the current one, and the current line.
    w.Set("Wnd_Lyric_Static", "BkColor", Ref(t.dark ? QColor(0x8c, 0x94, 0x9e) : QColor(0x9a, 0x6a, 0x48)));
    w.Set("Wnd_Lyric_Static", "TextColor", Ref(t.dark ? QColor(0xba, 0xff, 0x4c) : QColor(0xe8, 0x5e, 0x00)));
}

void WriteLibrary(CSkinWriter& w, const SkinDesign& d) {
    const Theme& t = d.theme;
    const QSize size = d.library.size();
    const QRect client(8, 36, size.width() - 16, size.height() - 44);
    QImage canvas = Canvas(size.width(), size.height(), t.scale);
    {
        QPainter p(&canvas);
        PaintFrame(p, t, size, 10, true, true);
        PaintBrand(p, t, QPointF(10, 9), 16, QStringLiteral("乐库"));
        PaintInset(p, t, QRectF(client), QColor(0xff, 0xff, 0xff), 2);
    }
    const QImage back = Keyed(canvas, kMagenta, t.outline);
    w.Geometry("Wnd_Lib", d.library);
    w.Name("Wnd_Lib", "LibBack");
    w.Bitmap("LibBack", back);
    w.Geometry("Wnd_Lib_Client", client);
    CWindowParts parts(w, t, back);
    const int x = 118;
    parts.Button("Wnd_Lib_Btn0", QRect(x, 7, 28, 22), "LibBackPage", ButtonLook::Flat, Glyph::Back, {}, true);
    parts.Button("Wnd_Lib_Btn1", QRect(x + 30, 7, 28, 22), "LibForward", ButtonLook::Flat, Glyph::Forward, {}, true);
    parts.Button("Wnd_Lib_Btn2", QRect(x + 60, 7, 28, 22), "LibRefresh", ButtonLook::Flat, Glyph::Refresh, {}, true);
    parts.Button("Wnd_Lib_Btn3", QRect(size.width() - 28, 9, 18, 18), "LibClose", ButtonLook::Flat, Glyph::Close);
}

bool WriteSkinAt(const QString& dataDir, const SkinDesign& d) {
    bool ok = true;
    {
        CSkinWriter w(dataDir, d.folder, d.theme.scale);
        w.Set("Info", "Caption", d.caption.toStdString());
        WritePlayer(w, d, d.player, false);
        WritePanel(w, d);
        WriteListIcons(w, d.theme);
        WriteLyric(w, d);
        WriteLibrary(w, d);
        ok = w.Finish() && ok;
    }
    for (const auto& [folder, layout] : d.minis) {
        CSkinWriter w(dataDir, d.folder + "/" + folder, d.theme.scale);
        w.Set("Info", "Caption", d.caption.toStdString());
        WritePlayer(w, d, layout, true);
        ok = w.Finish() && ok;
    }
    return ok;
}

}  // namespace

bool WriteSkin(const QString& dataDir, const SkinDesign& design) {
    // The pictures at layout size, then their double-size twins for
    // high-density screens, drawn anew rather than enlarged.
    SkinDesign twice = design;
    twice.theme.scale = 2;
    const bool ok = WriteSkinAt(dataDir, design);
    return WriteSkinAt(dataDir, twice) && ok;
}
