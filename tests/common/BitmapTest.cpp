#include "common/Bitmap.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

void Put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// Builds a BMP file. `pixel(x, y)` gives the stored value of the pixel in the
// row counted from the top: a palette index, a 16-bit word, or 0x00RRGGBB.
std::string MakeBmp(int width, int height, int bpp, const std::function<std::uint32_t(int, int)>& pixel,
                    const std::vector<std::uint32_t>& palette = {}, bool topDown = false) {
    const int stride = ((width * bpp + 31) / 32) * 4;
    const std::uint32_t paletteBytes = static_cast<std::uint32_t>(palette.size() * 4);
    const std::uint32_t offset = 14 + 40 + paletteBytes;
    std::string s = "BM";
    Put32(s, offset + static_cast<std::uint32_t>(stride * height));
    Put32(s, 0);
    Put32(s, offset);
    Put32(s, 40);
    Put32(s, static_cast<std::uint32_t>(width));
    Put32(s, static_cast<std::uint32_t>(topDown ? -height : height));
    Put16(s, 1);
    Put16(s, static_cast<unsigned>(bpp));
    Put32(s, 0);  // BI_RGB
    Put32(s, static_cast<std::uint32_t>(stride * height));
    Put32(s, 2835);
    Put32(s, 2835);
    Put32(s, static_cast<std::uint32_t>(palette.size()));
    Put32(s, 0);
    for (std::uint32_t c : palette) Put32(s, c);  // B, G, R, 0 little-endian = 0x00RRGGBB
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        std::string line;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixel(x, y);
            if (bpp == 8) line += static_cast<char>(v);
            else if (bpp == 16) Put16(line, v);
            else if (bpp == 24) {
                line += static_cast<char>(v & 0xFF);
                line += static_cast<char>((v >> 8) & 0xFF);
                line += static_cast<char>((v >> 16) & 0xFF);
            } else Put32(line, v);
        }
        line.resize(static_cast<size_t>(stride), '\0');
        s += line;
    }
    return s;
}

constexpr ColorRef kMagenta = Rgb(255, 0, 255);

// Every pixel's membership in the region against the expectation.
void ExpectRegion(const QRegion& region, int width, int height, const std::function<bool(int, int)>& opaque) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) ASSERT_EQ(region.contains(QPoint(x, y)), opaque(x, y)) << x << "," << y;
    EXPECT_FALSE(region.boundingRect().intersects(QRect(width, 0, 100, height)));
}

}  // namespace

TEST(BitmapRegion, RunsOfEachBitDepth) {
    // A ring: the key colour at the edges and in the middle of each row.
    auto opaque = [](int x, int y) { return y > 0 && y < 5 && x > 0 && x < 9 && x != 4; };
    for (int bpp : {8, 16, 24, 32}) {
        std::function<std::uint32_t(int, int)> pixel;
        std::vector<std::uint32_t> palette;
        if (bpp == 8) {
            palette = {0x000000, 0xFF00FF, 0x123456};
            pixel = [&](int x, int y) { return opaque(x, y) ? (x % 2 ? 0u : 2u) : 1u; };
        } else if (bpp == 16) {
            pixel = [&](int x, int y) { return opaque(x, y) ? 0x1234u : 0xF81Fu; };  // magenta as 5-6-5
        } else {
            pixel = [&](int x, int y) { return opaque(x, y) ? 0x00FF00FEu : 0x00FF00FFu; };
        }
        auto dib = ParseBitmap(MakeBmp(10, 6, bpp, pixel, palette));
        ASSERT_TRUE(dib) << bpp;
        EXPECT_EQ(dib->bitsPerPixel, bpp);
        SCOPED_TRACE(bpp);
        ExpectRegion(BitmapToRegion(*dib, kMagenta), 10, 6, opaque);
    }
}

TEST(BitmapRegion, AllKeyColourGivesAnEmptyRegion) {
    auto dib = ParseBitmap(MakeBmp(7, 3, 24, [](int, int) { return 0xFF00FFu; }));
    ASSERT_TRUE(dib);
    EXPECT_TRUE(BitmapToRegion(*dib, kMagenta).isEmpty());
    // The player's key colour of the second skin family.
    auto grey = ParseBitmap(MakeBmp(7, 3, 24, [](int x, int) { return x == 3 ? 0x202020u : 0x131313u; }));
    ASSERT_TRUE(grey);
    const QRegion region = BitmapToRegion(*grey, Rgb(0x13, 0x13, 0x13));
    EXPECT_EQ(region, QRegion(3, 0, 1, 3));
}

TEST(BitmapRegion, TopDownFilesAndTheAlphaByte) {
    auto opaque = [](int x, int y) { return x == y; };
    auto dib = ParseBitmap(MakeBmp(4, 4, 32, [&](int x, int y) { return opaque(x, y) ? 0x000000FFu : 0xFFFF00FFu; },
                                   {}, /*topDown=*/true));
    ASSERT_TRUE(dib);
    ExpectRegion(BitmapToRegion(*dib, kMagenta), 4, 4, opaque);
}

TEST(BitmapRegion, MatchesAPixelByPixelRegionOnRandomPictures) {
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        const int w = 1 + static_cast<int>(random() % 40), h = 1 + static_cast<int>(random() % 30);
        std::vector<bool> mask(static_cast<size_t>(w * h));
        for (size_t i = 0; i < mask.size(); ++i) mask[i] = random() % 3 != 0;
        auto opaque = [&](int x, int y) { return static_cast<bool>(mask[static_cast<size_t>(y * w + x)]); };
        auto dib = ParseBitmap(MakeBmp(w, h, 24, [&](int x, int y) { return opaque(x, y) ? 0x010203u : 0xFF00FFu; }));
        ASSERT_TRUE(dib);
        ExpectRegion(BitmapToRegion(*dib, kMagenta), w, h, opaque);
    }
}

TEST(Bitmap, DrawsTheSameColoursItCompares) {
    auto dib = ParseBitmap(MakeBmp(2, 1, 8, [](int x, int) { return static_cast<std::uint32_t>(x); }, {0xFF0000, 0x00FF80}));
    ASSERT_TRUE(dib);
    const QImage image = dib->ToImage();
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 255, 128));
    auto dib16 = ParseBitmap(MakeBmp(1, 1, 16, [](int, int) { return 0x7C00u; }));  // 5-5-5 red
    ASSERT_TRUE(dib16);
    EXPECT_EQ(dib16->ToImage().pixel(0, 0), qRgb(255, 0, 0));
}

TEST(Bitmap, BadFilesAreRefusedWithoutCrashing) {
    const std::string good = MakeBmp(5, 5, 24, [](int x, int y) { return static_cast<std::uint32_t>(x * y); });
    ASSERT_TRUE(ParseBitmap(good));
    for (size_t cut = 0; cut < good.size(); cut += 7) EXPECT_FALSE(ParseBitmap(good.substr(0, cut))) << cut;
    std::string rle = good;
    rle[30] = 1;  // BI_RLE8
    EXPECT_FALSE(ParseBitmap(rle));
    std::string huge = good;
    huge[18] = '\xFF';
    huge[19] = '\xFF';
    huge[20] = '\xFF';
    huge[21] = '\x7F';
    EXPECT_FALSE(ParseBitmap(huge));
    EXPECT_FALSE(ParseBitmap("not a bitmap at all, just some text here"));

    std::mt19937 random(3);
    for (int round = 0; round < 300; ++round) {
        std::string mutated = good;
        for (int k = 0; k < 4; ++k) mutated[random() % mutated.size()] = static_cast<char>(random());
        if (auto dib = ParseBitmap(mutated)) (void)BitmapToRegion(*dib, kMagenta);
    }
}

TEST(Bitmap, LoadsFromAFile) {
    TempDir dir;
    const auto path = dir.Write("Back.bmp", MakeBmp(3, 2, 8, [](int, int) { return 0u; }, {0x112233}));
    auto dib = LoadBitmapFile(path);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->width, 3);
    EXPECT_EQ(dib->height, 2);
    EXPECT_FALSE(LoadBitmapFile(dir / "missing.bmp"));
}
