// The shadow bitmap computed from a window's shape, pixel by pixel.

#include "notify/ShadowField.h"

#include <QRect>
#include <QRegion>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

ShadowParams PlayerParams(int xOffset, int yOffset) {
    ShadowParams params;
    params.size = 6;
    params.sharpness = 8;
    params.darkness = 250;
    params.xOffset = xOffset;
    params.yOffset = yOffset;
    return params;
}

int AlphaAt(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)); }

// The distance from (x, y) to the nearest pixel of `core` placed at `origin`.
double DistanceToCore(const std::vector<ShadowSpan>& core, int origin, int x, int y) {
    double best = std::numeric_limits<double>::infinity();
    for (size_t row = 0; row < core.size(); ++row) {
        const ShadowSpan& span = core[row];
        if (span.Empty()) continue;
        const int dy = y - (static_cast<int>(row) + origin);
        const int nearestX = std::clamp(x, span.first + origin, span.last + origin);
        best = std::min(best, std::hypot(x - nearestX, dy));
    }
    return best;
}

}  // namespace

TEST(WndShadowFieldTest, SpansFollowTheShapeRowByRow) {
    // A window with its top-left corner cut away and a hole in the middle.
    QRegion shape(QRect(0, 0, 20, 10));
    shape -= QRect(0, 0, 4, 3);
    shape -= QRect(8, 5, 4, 2);
    const std::vector<ShadowSpan> spans = ShapeSpans(shape, QSize(20, 10));
    ASSERT_EQ(spans.size(), 10u);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(spans[y].first, 4) << y;
    for (int y = 3; y < 10; ++y) EXPECT_EQ(spans[y].first, 0) << y;
    for (const ShadowSpan& span : spans) EXPECT_EQ(span.last, 19);  // the hole is inside the span

    // Without a region the window is its whole rectangle; parts of a region
    // outside the window are ignored.
    for (const ShadowSpan& span : ShapeSpans(QRegion(), QSize(7, 3))) {
        EXPECT_EQ(span.first, 0);
        EXPECT_EQ(span.last, 6);
    }
    const std::vector<ShadowSpan> clipped = ShapeSpans(QRegion(-5, 1, 100, 1), QSize(7, 3));
    EXPECT_TRUE(clipped[0].Empty());
    EXPECT_EQ(clipped[1].first, 0);
    EXPECT_EQ(clipped[1].last, 6);
    EXPECT_TRUE(clipped[2].Empty());
}

TEST(WndShadowFieldTest, ShrinkingMovesTheOutlineInwards) {
    const std::vector<ShadowSpan> rectangle = ShapeSpans(QRegion(), QSize(40, 30));
    const std::vector<ShadowSpan> core = ShrinkSpans(rectangle, 2);
    for (int y = 0; y < 30; ++y) {
        if (y < 2 || y >= 28) {
            EXPECT_TRUE(core[y].Empty()) << y;
        } else {
            EXPECT_EQ(core[y].first, 2) << y;
            EXPECT_EQ(core[y].last, 37) << y;
        }
    }
    // A step in the outline pulls the neighbouring rows in with it.
    QRegion stepped(QRect(0, 0, 10, 5));
    stepped += QRect(0, 5, 20, 5);
    const std::vector<ShadowSpan> shrunk = ShrinkSpans(ShapeSpans(stepped, QSize(20, 10)), 1);
    EXPECT_EQ(shrunk[4].last, 8);
    EXPECT_EQ(shrunk[5].last, 8);
    EXPECT_EQ(shrunk[6].last, 18);
    // A shape thinner than twice the shrink vanishes instead of turning inside out.
    for (const ShadowSpan& span : ShrinkSpans(ShapeSpans(QRegion(), QSize(3, 40)), 2)) EXPECT_TRUE(span.Empty());
}

TEST(WndShadowFieldTest, BrushFallsOffFromItsCore) {
    const ShadowParams soft = PlayerParams(0, 0);  // sharpness above size: no flat core
    EXPECT_EQ(ShadowBrushAlpha(0.0, soft), 250);
    EXPECT_EQ(ShadowBrushAlpha(4.5, soft), 125);
    EXPECT_EQ(ShadowBrushAlpha(8.0, soft), 27);
    EXPECT_EQ(ShadowBrushAlpha(8.01, soft), 0);

    ShadowParams wide = soft;
    wide.size = 10;
    wide.sharpness = 4;  // a flat core of radius 6, then 5 steps down
    EXPECT_EQ(ShadowBrushAlpha(5.9, wide), 250);
    EXPECT_EQ(ShadowBrushAlpha(8.0, wide), 150);
    EXPECT_EQ(ShadowBrushAlpha(10.0, wide), 50);
    EXPECT_EQ(ShadowBrushAlpha(10.5, wide), 0);
}

TEST(WndShadowFieldTest, RectangularParentHasDarkCoreClearWindowAndMonotoneFalloff) {
    const ShadowParams params = PlayerParams(5, 5);
    const QImage image = ComputeShadowField(QRegion(), QSize(40, 30), params);
    ASSERT_EQ(image.size(), QSize(52, 42));
    ASSERT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);

    // The window covers its rectangle moved back by the offsets; the core is
    // the shadowed rectangle at (6, 6) shrunk by sharpness − size = 2.
    const QRect window(6 - 5, 6 - 5, 40, 30);
    const QRect core(8, 8, 36, 26);
    int darkOutside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (window.contains(x, y)) {
                EXPECT_EQ(image.pixel(x, y), 0u) << x << "," << y;
            } else if (core.contains(x, y)) {
                EXPECT_EQ(AlphaAt(image, x, y), 250) << x << "," << y;
                ++darkOutside;
            }
        }
    }
    EXPECT_GT(darkOutside, 0);

    // Outward from the core's visible edge to the bitmap's edge: right,
    // down, up, left and diagonally.
    const struct { int x, y, dx, dy; } rays[] = {
        {43, 20, 1, 0}, {20, 33, 0, 1}, {42, 8, 0, -1}, {8, 32, -1, 0}, {43, 33, 1, 1}};
    const QRect bitmap = image.rect();
    for (const auto& ray : rays) {
        int previous = AlphaAt(image, ray.x, ray.y);
        EXPECT_EQ(previous, 250);
        int steps = 0;
        for (int x = ray.x + ray.dx, y = ray.y + ray.dy; bitmap.contains(x, y); x += ray.dx, y += ray.dy) {
            const int alpha = AlphaAt(image, x, y);
            EXPECT_LE(alpha, previous) << x << "," << y;
            EXPECT_LT(alpha, 250) << x << "," << y;
            previous = alpha;
            ++steps;
        }
        EXPECT_EQ(steps, 8);
    }
    // Straight out, the soft edge is still faint at the bitmap's edge.
    EXPECT_EQ(AlphaAt(image, 51, 20), 27);
    EXPECT_EQ(AlphaAt(image, 47, 20), 138);
}

TEST(WndShadowFieldTest, EveryPixelIsTheBrushAtItsDistanceFromTheCore) {
    // A round-cornered window, coloured shadow, nothing cleared: the stamped
    // field must equal the brush applied to the distance from the core.
    QRegion shape(QRect(0, 0, 30, 24), QRegion::Ellipse);
    shape += QRect(6, 0, 18, 24);
    ShadowParams params = PlayerParams(0, 0);
    params.color = Rgb(255, 0, 128);
    const QImage image = ComputeShadowField(shape, QSize(30, 24), params, false);
    const std::vector<ShadowSpan> core = ShrinkSpans(ShapeSpans(shape, QSize(30, 24)), 2);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const int expected = ShadowBrushAlpha(DistanceToCore(core, params.size, x, y), params);
            ASSERT_EQ(qAlpha(pixel), expected) << x << "," << y;
            // Premultiplied: red at full strength equals the alpha.
            ASSERT_EQ(qRed(pixel), expected);
            ASSERT_EQ(qGreen(pixel), 0);
            ASSERT_EQ(qBlue(pixel), 128 * expected / 255);
        }
    }
}

TEST(WndShadowFieldTest, ClearingFollowsTheWindowShapeNotItsRectangle) {
    const QRegion round(QRect(0, 0, 40, 40), QRegion::Ellipse);
    const ShadowParams params = PlayerParams(4, 4);
    const QImage image = ComputeShadowField(round, QSize(40, 40), params);
    // The window sits at (2, 2) in the bitmap: its centre is clear, while its
    // cut-away bottom-right corner shows the shadow beneath.
    EXPECT_EQ(AlphaAt(image, 22, 22), 0);
    EXPECT_GT(AlphaAt(image, 40, 40), 0);
}

TEST(WndShadowFieldTest, ZeroOrNegativeSizes) {
    ShadowParams params = PlayerParams(0, 0);
    params.size = 0;
    const QImage none = ComputeShadowField(QRegion(), QSize(40, 30), params);
    ASSERT_EQ(none.size(), QSize(40, 30));
    for (int y = 0; y < none.height(); ++y)
        for (int x = 0; x < none.width(); ++x) ASSERT_EQ(none.pixel(x, y), 0u);

    // A negative size draws a smaller shadow, moved inwards.
    params.size = -5;
    params.xOffset = 20;
    params.yOffset = 20;
    const QImage inner = ComputeShadowField(QRegion(), QSize(40, 30), params);
    ASSERT_EQ(inner.size(), QSize(30, 20));
    EXPECT_EQ(AlphaAt(inner, 21, 11), 250);  // the core's corner, beyond the window
    EXPECT_EQ(AlphaAt(inner, 22, 11), 222);
    EXPECT_EQ(AlphaAt(inner, 0, 0), 0);      // under the window

    // A size that leaves no bitmap at all gives an empty picture, not a fault.
    params.size = -20;
    EXPECT_TRUE(ComputeShadowField(QRegion(), QSize(30, 30), params).isNull());
}
