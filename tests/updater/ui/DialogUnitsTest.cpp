#include "updater/ui/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <climits>

namespace patchwell {
namespace {

struct MulDivCase {
    int a, b, c, expected;
};

class MulDivRoundTest : public ::testing::TestWithParam<MulDivCase> {};

TEST_P(MulDivRoundTest, RoundsHalfAwayFromZero) {
    const MulDivCase& c = GetParam();
    EXPECT_EQ(MulDivRound(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

INSTANTIATE_TEST_SUITE_P(Table, MulDivRoundTest,
                         ::testing::Values(MulDivCase{0, 6, 4, 0}, MulDivCase{216, 6, 4, 324},
                                           MulDivCase{1, 6, 4, 2},     // 1.5 rounds up
                                           MulDivCase{5, 7, 4, 9},     // 8.75
                                           MulDivCase{3, 5, 8, 2},     // 1.875
                                           MulDivCase{1, 5, 8, 1},     // 0.625
                                           MulDivCase{1, 3, 8, 0},     // 0.375
                                           MulDivCase{-1, 6, 4, -2},   // -1.5 rounds away from zero
                                           MulDivCase{7, 6, -4, -11},  // -10.5
                                           MulDivCase{5, 6, 0, 0},     // no division by zero
                                           MulDivCase{INT_MAX, 4, 4, INT_MAX},  // no overflow on the way
                                           MulDivCase{100000, 30000, 8, 375000000}));

TEST(DialogUnitsTest, ConvertsAQuarterOfTheWidthAndAnEighthOfTheHeight) {
    const DialogBaseUnits units{6, 13};
    EXPECT_EQ(DialogUnitsToPixelsX(216, units), 324);
    EXPECT_EQ(DialogUnitsToPixelsY(165, units), 268);  // 268.125
    EXPECT_EQ(DialogUnitsToPixelsX(4, units), 6);
    EXPECT_EQ(DialogUnitsToPixelsY(8, units), 13);
}

TEST(DialogUnitsTest, ConvertsARectangleCornerAndSizeSeparately) {
    // The OK button of the prompt: 147,146, 50 x 14.
    const QRect pixels = DialogRectToPixels(QRect(147, 146, 50, 14), DialogBaseUnits{6, 13});
    EXPECT_EQ(pixels, QRect(221, 237, 75, 23));  // 220.5, 237.25, 75, 22.75
    const QRect wide = DialogRectToPixels(QRect(5, 40, 206, 88), DialogBaseUnits{7, 16});
    EXPECT_EQ(wide, QRect(9, 80, 361, 176));  // 8.75, 80, 360.5, 176
}

TEST(DialogUnitsTest, BaseUnitsFollowTheFont) {
    QFont small;
    small.setPixelSize(10);
    QFont large = small;
    large.setPixelSize(30);
    const DialogBaseUnits smallUnits = BaseUnitsOfFont(small);
    const DialogBaseUnits largeUnits = BaseUnitsOfFont(large);
    EXPECT_GT(smallUnits.cx, 0);
    EXPECT_EQ(smallUnits.cy, QFontMetrics(small).height());
    EXPECT_EQ(largeUnits.cy, QFontMetrics(large).height());
    EXPECT_GT(largeUnits.cx, smallUnits.cx);
    // The width unit is the rounded average of the Latin letters.
    const double average =
        QFontMetrics(large).horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
        52.0;
    EXPECT_NEAR(largeUnits.cx, average, 1.0);
}

}  // namespace
}  // namespace patchwell
