#include "skin/ScrollThumb.h"

#include <gtest/gtest.h>

namespace {

TEST(ScrollThumb, HeightShrinksWithPagesWithinItsBounds) {
    EXPECT_EQ(ScrollThumbHeight(1), 135);
    EXPECT_EQ(ScrollThumbHeight(10), 135);
    EXPECT_EQ(ScrollThumbHeight(11), 122);
    EXPECT_EQ(ScrollThumbHeight(27), 50);
    EXPECT_EQ(ScrollThumbHeight(100), 13);
    EXPECT_EQ(ScrollThumbHeight(168), 8);
    EXPECT_EQ(ScrollThumbHeight(200), 8);
    EXPECT_EQ(ScrollThumbHeight(0), 135);
    EXPECT_EQ(ScrollThumbHeight(-3), 135);
}

// Each source row has its own colour: red = row, green = column.
QImage NumberedSource(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(y, x, 7));
    return image;
}

TEST(ScrollThumb, FadingThumbTakesTheTopRowsAndTheEndRow) {
    const QImage thumb = ComposeScrollThumb(NumberedSource(17, 137), 100, true);  // height 13
    ASSERT_EQ(thumb.size(), QSize(17, 15));
    for (int y = 0; y <= 13; ++y) EXPECT_EQ(qRed(thumb.pixel(3, y)), y) << y;
    EXPECT_EQ(qRed(thumb.pixel(3, 14)), 136);
    EXPECT_EQ(qGreen(thumb.pixel(14, 5)), 14);
    // Only 15 columns are copied; the rest stays the key colour.
    EXPECT_EQ(thumb.pixel(15, 5), qRgb(255, 0, 255));
    EXPECT_EQ(thumb.pixel(16, 14), qRgb(255, 0, 255));
}

TEST(ScrollThumb, PlainThumbRepeatsItsBodyRowBetweenTheCaps) {
    const QImage thumb = ComposeScrollThumb(NumberedSource(17, 55), 27, false);  // height 50
    ASSERT_EQ(thumb.size(), QSize(17, 52));
    EXPECT_EQ(qRed(thumb.pixel(8, 0)), 0);
    EXPECT_EQ(qRed(thumb.pixel(8, 1)), 1);
    for (int y = 2; y <= 50; ++y) EXPECT_EQ(qRed(thumb.pixel(8, y)), 2) << y;
    EXPECT_EQ(qRed(thumb.pixel(8, 51)), 54);
    EXPECT_EQ(qGreen(thumb.pixel(16, 30)), 16);
}

TEST(ScrollThumb, RowsTheSourceLacksStayKeyColoured) {
    const QImage thumb = ComposeScrollThumb(NumberedSource(10, 20), 1, true);  // height 135
    ASSERT_EQ(thumb.size(), QSize(17, 137));
    EXPECT_EQ(qRed(thumb.pixel(2, 19)), 19);
    EXPECT_EQ(thumb.pixel(2, 20), qRgb(255, 0, 255));
    EXPECT_EQ(thumb.pixel(12, 3), qRgb(255, 0, 255));
    EXPECT_EQ(thumb.pixel(2, 136), qRgb(255, 0, 255));
}

}  // namespace
