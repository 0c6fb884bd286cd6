#include "Preview.h"

#include "Art.h"

#include "common/Bitmap.h"
#include "common/Text.h"
#include "skin/ScrollThumb.h"
#include "skin/SkinCatalogue.h"
#include "skin/SkinChoice.h"
#include "skin/SkinDescription.h"

#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>

namespace {

QColor FromRef(ColorRef c) { return QColor(int(RedOf(c)), int(GreenOf(c)), int(BlueOf(c))); }

QImage LoadBmp(const std::string& path) {
    const auto dib = LoadBitmapFile(path);
    return dib ? dib->ToImage() : QImage();
}

// Draws a bitmap leaving out its key-coloured pixels.
void DrawKeyed(QPainter& p, QPoint at, const QImage& image, ColorRef key = kSkinKeyColour) {
    if (image.isNull()) return;
    QImage copy = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb k = qRgb(int(RedOf(key)), int(GreenOf(key)), int(BlueOf(key)));
    for (int y = 0; y < copy.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
        for (int x = 0; x < copy.width(); ++x)
            if ((line[x] | 0xFF000000u) == k) line[x] = 0;
    }
    p.drawImage(at, copy);
}

QImage LoadIcon(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    return reader.read();
}

class CPreview {
public:
    CPreview(QPainter& p, const CSkinDescription& skin, QPoint origin) : m_p(p), m_skin(skin), m_origin(origin) {}

    // The window background cut to its region; returns its top-left on the canvas.
    QPoint Window(const std::string& section, ColorRef key, bool shadow, QPoint at) {
        const auto dib = LoadBitmapFile(m_skin.BitmapFile(section));
        if (!dib) return at;
        const QRegion region = BitmapToRegion(*dib, key).translated(at);
        if (shadow) {
            for (int i = 6; i >= 1; --i) {
                m_p.save();
                m_p.setClipRegion(region.translated(0, i / 2 + 1).united(region.translated(i / 2, i)).subtracted(region));
                m_p.fillRect(region.boundingRect().adjusted(-8, -8, 8, 8), QColor(0, 0, 0, 10 + 4 * (6 - i)));
                m_p.restore();
            }
        }
        m_p.save();
        m_p.setClipRegion(region);
        m_p.drawImage(at, dib->ToImage());
        m_p.restore();
        return at;
    }

    void Button(QPoint window, const std::string& section, const char* suffix = "", const std::string& imagesOf = {}) {
        const QRect r = m_skin.Rect(section);
        const std::string base = m_skin.Paths().ImageBase(m_skin.Name(imagesOf.empty() ? section : imagesOf));
        DrawKeyed(m_p, window + r.topLeft(), LoadBmp(base + suffix + ".bmp"));
    }

    void Picture(QPoint window, const std::string& section) {
        DrawKeyed(m_p, window + m_skin.Rect(section).topLeft(), LoadBmp(m_skin.BitmapFile(section)));
    }

    void Slider(QPoint window, const std::string& section, double fraction) {
        const QRect r = m_skin.Rect(section).translated(window);
        const SkinSliderFiles files = m_skin.SliderFiles(section);
        const QImage channel = LoadBmp(files.channel), full = LoadBmp(files.full), thumb = LoadBmp(files.thumb);
        if (channel.isNull() || thumb.isNull()) return;
        DrawKeyed(m_p, r.topLeft(), channel);
        const int tw = thumb.width();
        const int px = int((channel.width() - tw) * fraction) + tw / 2;
        DrawKeyed(m_p, r.topLeft(), full.copy(0, 0, px, full.height()));
        DrawKeyed(m_p, r.topLeft() + QPoint(px - tw / 2, 6), thumb);
    }

    void Text(const QRect& r, const QString& text, const QColor& colour, const QFont& font, int flags = Qt::AlignVCenter | Qt::AlignLeft) {
        m_p.setFont(font);
        m_p.setPen(colour);
        m_p.drawText(r, flags, text);
    }

    QPainter& m_p;
    const CSkinDescription& m_skin;
    QPoint m_origin;
};

const char* const kSongs[][3] = {
    {"晴天的风", "林夏", "04:18"},     {"海边的信", "苏然", "03:52"},   {"夜航星", "白川", "04:05"},
    {"一路向北方", "程屿", "03:37"},   {"小城故事多", "叶知秋", "03:11"}, {"月光下的你", "陈默", "04:44"},
    {"远方的歌", "沈念", "03:58"},     {"蓝色信笺", "周遥", "04:21"},     {"橘子汽水", "许小暖", "03:26"},
    {"银河列车", "乔木", "05:02"},     {"落日飞行", "江南北", "03:49"},
};

void DrawPlayer(CPreview& v, const CSkinDescription& skin, const std::string& skinName, QPoint at, bool mini) {
    const bool classic = IsClassicFamily(skinName);
    const QPoint w = v.Window("Wnd0", PlayerKeyColour(skinName), classic, at);
    for (const SkinSectionUse& use : mini ? MiniPlayerSections(skin.HasSection("Btn20")) : PlayerSections()) {
        const std::string s(use.section);
        if (use.part == SkinPart::Button) {
            if (s == "Btn0") v.Button(w, s, "", "Btn00");  // playing: the pause images
            else if (s == "Btn13") v.Button(w, s, "", "Btn15");  // the list is open
            else if (s == "Btn12") v.Button(w, s, "Over");  // under the mouse
            else v.Button(w, s);
        } else if (use.part == SkinPart::Picture) {
            v.Picture(w, s);
        } else if (use.part == SkinPart::Animation) {
            QImageReader reader(QString::fromStdString(skin.AnimationFiles(s).playing));
            reader.jumpToImage(5);
            QImage frame = reader.read();
            if (frame.isNull()) frame = LoadBmp(skin.BitmapFile(s));
            v.m_p.drawImage(w + skin.Rect(s).topLeft(), frame);
        }
    }
    if (skin.HasSection("Static1")) {
        for (const char* s : {"Static1", "Static5"}) {
            if (!skin.HasSection(s)) continue;
            const SkinFont f = skin.Font(s);
            QFont font(QStringLiteral("Arial Unicode MS"));
            font.setFamilies({QStringLiteral("Arial Unicode MS"), QStringLiteral("DejaVu Sans")});
            font.setPixelSize(f.height > 0 ? f.height : 12);
            font.setBold(f.weight >= 600);
            const QString text = s == std::string("Static1") ? QStringLiteral("01:42") : (classic ? QStringLiteral("/04:18") : QStringLiteral("04:18"));
            v.Text(skin.Rect(s).translated(w), text, FromRef(skin.TextColour(s)), font);
        }
    }
    // The rolling title: name bold in the classic skins, then the lyric link.
    const QRect title = skin.Rect("Static0").translated(w);
    v.m_p.save();
    v.m_p.setClipRect(title);
    QFont bold = UiFont(13, true), normal = UiFont(12);
    const QColor tc = FromRef(skin.TextColour("Static0"));
    const QString name = QStringLiteral("晴天的风"), rest = QStringLiteral(" -- 林夏");
    v.Text(title, name, tc, classic ? bold : normal);
    const int x1 = QFontMetrics(classic ? bold : normal).horizontalAdvance(name);
    v.Text(title.adjusted(x1, 0, 0, 0), rest, tc, normal);
    const int x2 = x1 + QFontMetrics(normal).horizontalAdvance(rest);
    QFont link = UiFont(12);
    link.setUnderline(true);
    v.Text(title.adjusted(x2, 0, 0, 0), QStringLiteral(" 歌词"), tc, link);
    v.m_p.restore();
    if (skin.HasSection("Slider1")) v.Slider(w, "Slider1", 0.4);
    if (skin.HasSection("Slider0")) v.Slider(w, "Slider0", 0.7);
    if (skin.HasSection("Edit0")) {
        QColor c = FromRef(skin.TextColour("Edit0"));
        c.setAlpha(150);
        v.Text(skin.Rect("Edit0").translated(w), QStringLiteral("搜索歌曲"), c, UiFont(12));
    }
}

void DrawPanel(CPreview& v, const CSkinDescription& skin, const QString& root, bool classic, QPoint at) {
    const QPoint w = v.Window("Wnd1", kSkinKeyColour, classic, at);
    for (const SkinSectionUse& use : PanelSections()) {
        const std::string s(use.section);
        if (use.part == SkinPart::TabButton) v.Button(w, s, s == "Btn100" ? "Current" : (s == "Btn101" ? "Over" : ""));
        // Only the play-list page's buttons show.
        else if (use.part == SkinPart::Button && s != "Btn109" && s != "Btn110" && s != "Btn111" && s != "Btn112" &&
                 s != "Btn113" && s != "Btn114" && s != "Btn115")
            v.Button(w, s);
    }
    // The play list: rows over the list background.
    const QRect list = skin.Rect("List100").translated(w);
    const QImage background = LoadBmp(skin.BitmapFile("List100"));
    const QImage selection = LoadBmp((root + "/res/244.bmp").toStdString());
    const QImage info = LoadIcon(skin.IconFile("Icon0")), infoOver = LoadIcon(skin.IconFile("Icon00"));
    const QImage playing = LoadIcon(skin.IconFile("Icon1"));
    const int rowH = 18;
    QFont font(QStringLiteral("宋体"));
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(12);
    v.m_p.save();
    v.m_p.setClipRect(list);
    for (int row = 0; row * rowH < list.height(); ++row) {
        const QRect r(list.left(), list.top() + row * rowH, list.width(), rowH);
        if (!background.isNull()) v.m_p.drawImage(r.topLeft(), background, QRect(0, (row % 2) * rowH, r.width(), rowH));
        if (row >= 11) continue;
        const bool selected = row == 3, isPlaying = row == 1;
        if (selected) {
            if (classic) v.m_p.drawImage(r.topLeft(), selection);
            else v.m_p.fillRect(r, FromRef(0x222222));
        }
        const QColor lime = FromRef(0x4CFFBA), grey = FromRef(0xC4C4C4), cream = FromRef(0xBDF3FF);
        const int number = row + 1;
        v.Text(QRect(r.left() + (number < 10 ? 8 : 4), r.top(), 30, rowH), QString::number(number), selected || isPlaying ? lime : grey, font);
        const QString name = QString::fromUtf8(kSongs[row][0]);
        const int nameX = r.left() + 40;
        if (isPlaying) v.m_p.drawImage(QPoint(nameX - 4, r.top() + 1), playing);
        v.Text(QRect(nameX, r.top(), 112, rowH), (isPlaying ? QStringLiteral("   ") : QString()) + name,
               selected || isPlaying ? lime : cream, font);
        v.Text(QRect(nameX + 118, r.top(), 60, rowH), QString::fromUtf8(kSongs[row][1]), selected || isPlaying ? lime : grey, font);
        v.Text(QRect(r.right() - 64, r.top(), 40, rowH), QString::fromUtf8(kSongs[row][2]), selected || isPlaying ? lime : grey, font);
        v.m_p.drawImage(QPoint(r.right() - 22, r.top() + 1), row == 5 ? infoOver : info);
    }
    v.m_p.restore();
    // The scroll bar.
    const QRect track = skin.Rect("Scroll00").translated(w);
    const SkinScrollFiles files = skin.ScrollFiles("Scroll00");
    v.m_p.drawImage(track.topLeft(), LoadBmp(files.channel));
    const QImage thumb = ComposeScrollThumb(LoadBmp(files.thumb), 3, skin.ScrollKeys("Scroll00").fade);
    DrawKeyed(v.m_p, track.topLeft() + QPoint(0, 2), thumb);
    // The pane under the toolbar shows a service page.
    const QRect pane = skin.Rect("Static105").translated(w);
    const QColor text = classic ? QColor(0xc4, 0xc4, 0xc4) : QColor(0x8a, 0x4a, 0x1a);
    v.Text(pane, QStringLiteral("每日推荐 · 新歌速递"), text, UiFont(12, true));
    v.Text(skin.Rect("Static114").translated(w), QStringLiteral("共 11 首歌曲"), text, UiFont(12));
}

void DrawLyric(CPreview& v, const CSkinDescription& skin, bool classic, QPoint at) {
    const QPoint w = v.Window("Wnd_Lyric", kSkinKeyColour, classic, at);
    for (const SkinSectionUse& use : LyricSections())
        if (use.part == SkinPart::Button) v.Button(w, std::string(use.section));
    const QRect area = skin.Rect("Wnd_Lyric_Static").translated(w);
    const QColor other = FromRef(skin.BackColour("Wnd_Lyric_Static")), current = FromRef(skin.TextColour("Wnd_Lyric_Static"));
    const char* lines[] = {"晴天的风 - 林夏", "", "清晨的光落在窗台", "你说风会带走所有的等待", "我把心事写进云彩",
                           "晴天的风吹过我的脸", "像你的笑一样温暖", "我们走过的那条街", "还留着夏天的蝉鸣", "",
                           "如果时间可以慢一点"};
    for (int i = 0; i < 11; ++i) {
        const bool now = i == 5;
        v.Text(QRect(area.left(), area.top() + 12 + i * 22, area.width(), 22), QString::fromUtf8(lines[i]), now ? current : other,
               UiFont(now ? 14 : 13, now), Qt::AlignCenter);
    }
}

void DrawLibrary(CPreview& v, const CSkinDescription& skin, bool classic, QPoint at) {
    const QPoint w = v.Window("Wnd_Lib", kSkinKeyColour, classic, at);
    v.Button(w, "Wnd_Lib_Btn0", "Disable");
    v.Button(w, "Wnd_Lib_Btn1", "Disable");
    v.Button(w, "Wnd_Lib_Btn2");
    v.Button(w, "Wnd_Lib_Btn3");
    // A service page in the page area.
    const QRect c = skin.Rect("Wnd_Lib_Client").translated(w);
    QPainter& p = v.m_p;
    p.save();
    p.setClipRect(c);
    const QColor accent = classic ? QColor(0x5c, 0x9a, 0x18) : QColor(0xe0, 0x66, 0x10);
    p.fillRect(QRect(c.left(), c.top(), c.width(), 34), QColor(0xf4, 0xf5, 0xf2));
    v.Text(QRect(c.left() + 14, c.top(), 200, 34), QStringLiteral("新歌推荐"), accent, UiFont(15, true));
    v.Text(QRect(c.left() + 110, c.top(), 300, 34), QStringLiteral("热门榜单    歌手    专辑    电台"), QColor(0x55, 0x55, 0x55), UiFont(12));
    for (int i = 0; i < 4; ++i) {
        const QRect cover(c.left() + 14 + i * 132, c.top() + 46, 120, 96);
        QLinearGradient g(cover.topLeft(), cover.bottomRight());
        g.setColorAt(0, QColor::fromHsv((40 + i * 70) % 360, 90, 235));
        g.setColorAt(1, QColor::fromHsv((80 + i * 70) % 360, 160, 170));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(cover, 4, 4);
        DrawGlyph(p, Glyph::Note, QRectF(cover.center().x() - 16, cover.center().y() - 16, 32, 32), QColor(255, 255, 255, 200));
        v.Text(QRect(cover.left(), cover.bottom() + 4, 120, 18), QString::fromUtf8(kSongs[i + 4][0]), QColor(0x33, 0x33, 0x33), UiFont(12, true));
    }
    for (int i = 0; i < 7; ++i) {
        const QRect r(c.left() + 14, c.top() + 176 + i * 26, c.width() - 28, 26);
        if (i % 2 == 0) p.fillRect(r, QColor(0xf7, 0xf7, 0xf5));
        v.Text(r.adjusted(8, 0, 0, 0), QString("%1").arg(i + 1, 2, 10, QChar('0')), accent, UiFont(12, true));
        v.Text(r.adjusted(40, 0, 0, 0), QString::fromUtf8(kSongs[i][0]), QColor(0x22, 0x22, 0x22), UiFont(12));
        v.Text(r.adjusted(220, 0, 0, 0), QString::fromUtf8(kSongs[i][1]), QColor(0x77, 0x77, 0x77), UiFont(12));
        v.Text(r.adjusted(r.width() - 90, 0, 0, 0), QStringLiteral("播放   添加"), accent, UiFont(12));
    }
    p.restore();
}

}  // namespace

QImage ComposePreview(const QString& root, const QString& skinName) {
    const std::string rootPath = root.toStdString();
    const std::string name = skinName.toStdString();
    const bool classic = name == kSkinClassic;
    const CSkinDescription skin(rootPath, name);
    const QRect player = skin.Rect("Wnd0"), panel = skin.Rect("Wnd1"), lyric = skin.Rect("Wnd_Lyric"), library = skin.Rect("Wnd_Lib");
    const QPoint origin(player.left() - 40, player.top() - 36);
    const QSize size(library.right() - origin.x() + 40, library.bottom() - origin.y() + 40);
    QImage canvas(size, QImage::Format_RGB32);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient desk(0, 0, size.width(), size.height());
    desk.setColorAt(0, QColor(0x5b, 0x6f, 0x86));
    desk.setColorAt(1, QColor(0x2c, 0x36, 0x45));
    p.fillRect(canvas.rect(), desk);
    p.setFont(UiFont(13, true));
    p.setPen(QColor(255, 255, 255, 200));
    p.drawText(QRect(16, 8, 600, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("%1  \u201c%2\u201d").arg(skinName, FromAnsi(skin.String("Info", "Caption"))));

    CPreview v(p, skin, origin);
    const QPoint shift = -origin;
    // The panel docks under the player as the player window places it.
    const QPoint panelAt = classic ? player.topLeft() + QPoint(39, 164) : player.topLeft() + QPoint(0, 174);
    DrawPlayer(v, skin, name, player.topLeft() + shift, false);
    DrawPanel(v, skin, root, classic, panelAt + shift);
    DrawLyric(v, skin, classic, lyric.topLeft() + shift);
    DrawLibrary(v, skin, classic, library.topLeft() + shift);

    // The mini skins along the bottom left.
    QPoint miniAt(panelAt.x() + shift.x() - 20, panel.bottom() + shift.y() + 40);
    for (const char* mini : {"MiniSkin", "MiniSkin2"}) {
        const std::string folder = name + "/" + mini;
        const CSkinDescription miniSkin(rootPath, folder);
        if (!miniSkin.Loaded()) continue;
        CPreview mv(p, miniSkin, origin);
        p.setFont(UiFont(11));
        p.setPen(QColor(255, 255, 255, 170));
        p.drawText(miniAt + QPoint(0, -6), QString::fromStdString(folder));
        DrawPlayer(mv, miniSkin, folder, miniAt, true);
        miniAt.rx() += miniSkin.Rect("Wnd0").width() + 30;
    }
    p.end();
    return canvas;
}
