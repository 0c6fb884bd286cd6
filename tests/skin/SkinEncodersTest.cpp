// The generator's GIF and icon writers, checked by decoding what they wrote.

#include "GifEncoder.h"
#include "IconEncoder.h"

#include <QBuffer>
#include <QImageReader>

#include <gtest/gtest.h>

#include <random>

namespace {

QList<QImage> Decode(const QByteArray& bytes, const char* format) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    QList<QImage> images;
    for (QImage image = reader.read(); !image.isNull(); image = reader.read()) {
        images.append(image.convertToFormat(QImage::Format_ARGB32));
        if (!reader.jumpToNextImage() && reader.imageCount() <= images.size()) break;
    }
    return images;
}

// An image of `colours` distinct colours in a random pattern, so the
// compressor walks through many code widths and table resets.
QImage Noise(int width, int height, int colours, unsigned seed) {
    std::mt19937 random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int c = int(random() % unsigned(colours));
            image.setPixel(x, y, qRgb(c, 255 - c, (c * 7) & 0xFF));
        }
    return image;
}

TEST(GifEncoder, FramesDecodeToTheExactPixels) {
    const QList<QImage> frames{Noise(200, 150, 256, 1), Noise(200, 150, 256, 2), Noise(200, 150, 256, 3)};
    const QList<QImage> decoded = Decode(EncodeAnimatedGif(frames, 8), "gif");
    ASSERT_EQ(decoded.size(), 3);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(decoded[i].size(), frames[i].size());
        EXPECT_EQ(decoded[i], frames[i].convertToFormat(QImage::Format_ARGB32)) << "frame " << i;
    }
}

TEST(GifEncoder, SmallPalettesAndSinglePixelsSurvive) {
    for (int colours : {1, 2, 3, 5, 17}) {
        const QImage image = Noise(13, 7, colours, unsigned(colours));
        const QList<QImage> decoded = Decode(EncodeAnimatedGif({image}, 0), "gif");
        ASSERT_EQ(decoded.size(), 1) << colours;
        EXPECT_EQ(decoded[0], image.convertToFormat(QImage::Format_ARGB32)) << colours;
    }
    const QImage dot = Noise(1, 1, 1, 9);
    EXPECT_EQ(Decode(EncodeAnimatedGif({dot}, 0), "gif").value(0), dot.convertToFormat(QImage::Format_ARGB32));
}

TEST(GifEncoder, ManyColoursMapToTheNearestPaletteEntry) {
    QImage gradient(300, 4, QImage::Format_RGB32);
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 4; ++y) gradient.setPixel(x, y, qRgb(x * 255 / 299, 40 + y * 60, 255 - x * 255 / 299));
    const QVector<QRgb> palette = BuildGifPalette({gradient});
    EXPECT_LE(palette.size(), 256);
    const QList<QImage> decoded = Decode(EncodeAnimatedGif({gradient}, 0), "gif");
    ASSERT_EQ(decoded.size(), 1);
    for (int x = 0; x < 300; x += 13) {
        const QRgb want = gradient.pixel(x, 2), got = decoded[0].pixel(x, 2);
        EXPECT_LE(std::abs(qRed(want) - qRed(got)) + std::abs(qGreen(want) - qGreen(got)) + std::abs(qBlue(want) - qBlue(got)), 24) << x;
    }
}

// The player cuts frames apart by walking the blocks: after the header and
// the global table come the loop extension and then, per frame, a graphic
// control extension of 8 bytes and an image without a local table.
TEST(GifEncoder, BlocksAreWhatTheFrameCutterExpects) {
    const QByteArray gif = EncodeAnimatedGif({Noise(8, 8, 4, 1), Noise(8, 8, 4, 2)}, 10);
    ASSERT_TRUE(gif.startsWith("GIF89a"));
    const auto u8 = [&](int at) { return static_cast<unsigned char>(gif[at]); };
    ASSERT_TRUE(u8(10) & 0x80);
    int at = 13 + 3 * (2 << (u8(10) & 7));
    auto skipSubBlocks = [&](int from) {
        while (u8(from) != 0) from += u8(from) + 1;
        return from + 1;
    };
    ASSERT_EQ(gif[at], '!');
    ASSERT_EQ(u8(at + 1), 0xFF);
    at = skipSubBlocks(at + 14);
    for (int frame = 0; frame < 2; ++frame) {
        ASSERT_EQ(gif.mid(at, 3), QByteArray("\x21\xF9\x04", 3)) << frame;
        EXPECT_EQ(u8(at + 4) | (u8(at + 5) << 8), 10);
        EXPECT_EQ((u8(at + 3) >> 2) & 7, 1);
        at += 8;
        ASSERT_EQ(gif[at], ',') << frame;
        EXPECT_EQ(u8(at + 9) & 0x80, 0);
        at = skipSubBlocks(at + 11);
    }
    EXPECT_EQ(gif[at], ';');
    EXPECT_EQ(at, gif.size() - 1);
}

TEST(IconEncoder, EveryImageDecodesWithItsAlpha) {
    QImage small(16, 16, QImage::Format_ARGB32);
    small.fill(Qt::transparent);
    small.setPixel(3, 4, qRgba(10, 200, 30, 255));
    small.setPixel(15, 0, qRgba(250, 0, 5, 255));
    QImage large(32, 32, QImage::Format_ARGB32);
    large.fill(qRgba(0, 0, 255, 255));
    large.setPixel(0, 31, qRgba(0, 0, 0, 0));
    const QList<QImage> decoded = Decode(EncodeIcon({small, large}), "ico");
    ASSERT_EQ(decoded.size(), 2);
    EXPECT_EQ(decoded[0].size(), QSize(16, 16));
    EXPECT_EQ(decoded[0].pixel(3, 4), qRgba(10, 200, 30, 255));
    EXPECT_EQ(decoded[0].pixel(15, 0), qRgba(250, 0, 5, 255));
    EXPECT_EQ(qAlpha(decoded[0].pixel(8, 8)), 0);
    EXPECT_EQ(decoded[1].size(), QSize(32, 32));
    EXPECT_EQ(decoded[1].pixel(5, 5), qRgba(0, 0, 255, 255));
    EXPECT_EQ(qAlpha(decoded[1].pixel(0, 31)), 0);
}

}  // namespace
