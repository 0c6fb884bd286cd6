// The lyric window's parts that need no window: the stretched background,
// the layout on resize, the context menu's rules and the stored options.

#include "lyrics/LyricLayout.h"
#include "lyrics/LyricMenu.h"
#include "lyrics/LyricOptions.h"
#include "lyrics/LyricWindowIds.h"

#include "tests/support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

// A picture whose every pixel differs from its neighbours.
QImage Patterned(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, (x * 7 + y * 13) % 256));
    return image;
}

QImage Stretch(const QImage& picture, QSize size) {
    QImage result(size, QImage::Format_RGB32);
    result.fill(Qt::black);
    QPainter painter(&result);
    for (const StretchPiece& piece : NinePieceStretch(picture.size(), size))
        painter.drawImage(piece.target, picture, piece.source);
    return result;
}

QImage Corner(const QImage& image, QRect rect) { return image.copy(rect); }

std::unique_ptr<QSettings> SettingsIn(const TempDir& folder) {
    return std::make_unique<QSettings>(QString::fromStdString((folder / "options.ini").string()), QSettings::IniFormat);
}

}  // namespace

TEST(LyricLayout, StretchKeepsThePictureCornersAndEdges) {
    // Odd sizes, so that the cuts fall between whole tenths.
    const QImage picture = Patterned(QSize(305, 343));
    EXPECT_EQ(Stretch(picture, picture.size()), picture);

    const QSize size(530, 611);
    const QImage stretched = Stretch(picture, size);
    const int rw = 305 - 305 * 9 / 10, bh = 343 - 343 * 7 / 10;
    const int x1 = 305 * 8 / 10, y1 = 343 * 6 / 10;
    EXPECT_EQ(Corner(stretched, QRect(0, 0, x1, y1)), Corner(picture, QRect(0, 0, x1, y1)));
    EXPECT_EQ(Corner(stretched, QRect(size.width() - rw, size.height() - bh, rw, bh)),
              Corner(picture, QRect(305 - rw, 343 - bh, rw, bh)));
    // The edges between the corners repeat the picture's middle band.
    const int mw = 305 / 10, mh = 343 / 10;
    const auto fromBand = [&picture](QRgb pixel, QRect band) {
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x)
                if (picture.pixel(x, y) == pixel) return true;
        return false;
    };
    for (int x = x1; x < size.width() - rw; x += 37)
        EXPECT_TRUE(fromBand(stretched.pixel(x, 5), QRect(x1, 5, mw, 1))) << x;
    for (int y = y1; y < size.height() - bh; y += 41)
        EXPECT_TRUE(fromBand(stretched.pixel(size.width() - 3, y), QRect(305 - 3, y1, 1, mh))) << y;

    EXPECT_TRUE(NinePieceStretch(QSize(0, 0), size).empty());
}

TEST(LyricLayout, PartsFollowTheWindowAndSizingStopsAtTheMinimum) {
    const LyricParts placed{QSize(300, 340), QRect(274, 4, 18, 16), QRect(135, 23, 30, 16), QRect(135, 301, 30, 16),
                            QRect(10, 42, 280, 256)};
    const LyricParts parts = LayoutLyricParts(placed, QSize(400, 440));
    EXPECT_EQ(parts.close, QRect(374, 4, 18, 16));
    EXPECT_EQ(parts.up, QRect(185, 23, 30, 16));
    EXPECT_EQ(parts.down, QRect(185, 401, 30, 16));
    EXPECT_EQ(parts.area, QRect(10, 42, 380, 356));
    EXPECT_EQ(DisplayRect(parts.area), QRect(16, 48, 368, 344));

    EXPECT_EQ(EdgesAt(QPoint(1, 338), QSize(300, 340), kSizingBorder), unsigned{kEdgeLeft | kEdgeBottom});
    EXPECT_EQ(EdgesAt(QPoint(150, 100), QSize(300, 340), kSizingBorder), unsigned{kEdgeNone});

    const QRect start(100, 100, 300, 340);
    const QSize minimum(300, 340);
    // The left edge cannot pass the minimum; the right edge grows.
    EXPECT_EQ(ResizedRect(start, kEdgeLeft, QPoint(50, 0), minimum), start);
    EXPECT_EQ(ResizedRect(start, kEdgeLeft | kEdgeTop, QPoint(-20, -30), minimum), QRect(80, 70, 320, 370));
    EXPECT_EQ(ResizedRect(start, kEdgeRight | kEdgeBottom, QPoint(-90, 40), minimum), QRect(100, 100, 300, 380));
}

TEST(LyricMenu, EntriesFollowTheWindowState) {
    CLyricMenuState state;
    state.hasLines = true;
    state.hasSongId = true;
    state.hasTiming = true;
    state.align = kAlignCentre;
    state.font = LyricFontChoice::Large;

    auto menu = BuildLyricMenu(state);
    EXPECT_TRUE(FindLyricSubmenu(menu, kLyricAlignMenu)->enabled);
    EXPECT_TRUE(FindLyricMenuCommand(menu, ID_LYRIC_ALIGN_CENTRE)->checked);
    EXPECT_FALSE(FindLyricMenuCommand(menu, ID_LYRIC_ALIGN_LEFT)->checked);
    EXPECT_TRUE(FindLyricMenuCommand(menu, ID_LYRIC_FONT_LARGE)->checked);
    EXPECT_TRUE(FindLyricMenuCommand(menu, ID_LYRIC_VERTICAL)->checked);
    EXPECT_TRUE(FindLyricMenuCommand(menu, ID_LYRIC_BACK)->enabled);
    EXPECT_FALSE(FindLyricMenuCommand(menu, ID_LYRIC_RESTORE)->enabled);
    EXPECT_TRUE(FindLyricMenuCommand(menu, ID_LYRIC_REPORT)->enabled);

    state.horizontal = true;
    state.restoreEnabled = true;
    menu = BuildLyricMenu(state);
    EXPECT_FALSE(FindLyricSubmenu(menu, kLyricAlignMenu)->enabled);
    EXPECT_TRUE(FindLyricMenuCommand(menu, ID_LYRIC_HORIZONTAL)->checked);
    EXPECT_TRUE(FindLyricMenuCommand(menu, ID_LYRIC_RESTORE)->enabled);

    // Corrections and the error report need a song of the service.
    state.hasSongId = false;
    menu = BuildLyricMenu(state);
    EXPECT_FALSE(FindLyricMenuCommand(menu, ID_LYRIC_NEXT_LINE)->enabled);
    EXPECT_FALSE(FindLyricMenuCommand(menu, ID_LYRIC_RESTORE)->enabled);
    EXPECT_FALSE(FindLyricMenuCommand(menu, ID_LYRIC_REPORT)->enabled);

    // Without lines only the first and the last entry are left.
    state = {};
    menu = BuildLyricMenu(state);
    EXPECT_TRUE(menu.front().enabled);
    EXPECT_TRUE(menu.back().enabled);
    for (size_t i = 1; i + 1 < menu.size(); ++i) {
        if (!menu[i].IsSeparator()) {
            EXPECT_FALSE(menu[i].enabled) << menu[i].text;
        }
    }

    EXPECT_TRUE(LyricMenuOpensUpwards(767, 600, 200));
    EXPECT_FALSE(LyricMenuOpensUpwards(767, 567, 200));
}

TEST(LyricOptions, CorrectionsKeepTheLatestSongsOnly) {
    TempDir folder;
    {
        CLyricOptions options(SettingsIn(folder));
        for (int song = 0; song <= CLyricOptions::kMaxShifts; ++song)
            options.StoreShift(std::to_string(song), song % 2 ? 500 : -500);
        options.StoreShift("5", 1500);  // corrected again: now the latest
    }
    CLyricOptions options(SettingsIn(folder));
    EXPECT_EQ(options.Shift("0"), 0) << "the oldest is dropped";
    EXPECT_EQ(options.Shift("1"), 500);
    EXPECT_EQ(options.Shift("5"), 1500);
    EXPECT_EQ(options.Shift(std::to_string(CLyricOptions::kMaxShifts)), -500);
    options.StoreShift("5", 0);
    EXPECT_EQ(options.Shift("5"), 0);

    auto settings = SettingsIn(folder);
    settings->setValue("Options/Lyric/Shifts", QStringList{"7=abc", "=500", "8=99999999999", "9=-700"});
    settings->sync();
    CLyricOptions garbled(SettingsIn(folder));
    EXPECT_EQ(garbled.Shift("7"), 0);
    EXPECT_EQ(garbled.Shift("8"), 0);
    EXPECT_EQ(garbled.Shift("9"), -700);
}

TEST(LyricOptions, NonsenseStoredValuesFallBackAndChangesAreStored) {
    TempDir folder;
    {
        auto settings = SettingsIn(folder);
        settings->setValue("Options/Lyric/Align", 5);
        settings->setValue("Options/Lyric/Horizontal", 7);
    }
    {
        CLyricOptions options(SettingsIn(folder));
        EXPECT_EQ(options.Align(), kAlignLeft);
        EXPECT_TRUE(options.Horizontal());
        EXPECT_FALSE(options.SetAlign(3));
        EXPECT_TRUE(options.SetAlign(kAlignRight));
        options.SetHorizontal(false);
        options.StoreWindowRect(QRect(-20, 30, 300, 340));
    }
    auto settings = SettingsIn(folder);
    EXPECT_EQ(settings->value("Options/Lyric/Align").toInt(), kAlignRight);
    EXPECT_EQ(settings->value("Options/Lyric/Horizontal").toInt(), 0);
    EXPECT_EQ(settings->value("Options/Lyric/LyricWindowLeft").toInt(), -20);
    EXPECT_EQ(settings->value("Options/Lyric/LyricWindowHeight").toInt(), 340);

    settings->setValue("Options/Lyric/Align", "centre");
    settings->setValue("Options/Lyric/Horizontal", "yes");
    settings->sync();
    CLyricOptions garbled(SettingsIn(folder));
    EXPECT_EQ(garbled.Align(), kAlignLeft);
    EXPECT_FALSE(garbled.Horizontal());
}
