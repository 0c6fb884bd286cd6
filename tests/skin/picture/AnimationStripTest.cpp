// One loop of an animation composed into a strip: slots follow the frames'
// delays and show what the loop shows at that moment.

#include "skin/picture/AnimationStrip.h"
#include "tests/skin/picture/GifTestFiles.h"

#include <gtest/gtest.h>

namespace {

CAnimationFrame Solid(QRect rect, QColor colour, int delay, int disposal) {
    QImage image(rect.size(), QImage::Format_RGB32);
    image.fill(colour);
    return {image, rect.x(), rect.y(), rect.width(), rect.height(), delay, disposal};
}

QImage Slot(const CAnimationStrip& strip, int slot) {
    return strip.strip.copy(slot * strip.slotWidth, 0, strip.slotWidth, strip.strip.height());
}

}  // namespace

TEST(AnimationStrip, SlotsFollowTheDelaysAndShowTheComposedLoop) {
    QImage background(20, 20, QImage::Format_RGB32);
    background.fill(Qt::yellow);
    const CAnimationFrames frames{Solid({0, 0, 20, 10}, kGifRed, 10, 1),   // 100 ms, stays
                                  Solid({0, 0, 5, 5}, kGifBlue, 20, 3),    // 200 ms, area restored
                                  Solid({10, 10, 5, 5}, kGifGreen, 10, 2)};  // 100 ms, background back
    const auto strip = ComposeAnimationStrip(frames, QSize(20, 20), Qt::gray, background, 4000);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->period, std::chrono::milliseconds(100));
    EXPECT_EQ(strip->frameOfSlot, (std::vector<int>{0, 1, 1, 2}));
    EXPECT_EQ(strip->strip.size(), QSize(80, 20));
    EXPECT_EQ(strip->SlotOf(2), 3);
    EXPECT_EQ(strip->SlotOf(7), 0);

    EXPECT_TRUE(SameColour(Slot(*strip, 0).pixelColor(2, 2), kGifRed));
    EXPECT_TRUE(SameColour(Slot(*strip, 0).pixelColor(12, 12), Qt::yellow));
    for (int slot : {1, 2}) {
        EXPECT_TRUE(SameColour(Slot(*strip, slot).pixelColor(2, 2), kGifBlue)) << slot;
        EXPECT_TRUE(SameColour(Slot(*strip, slot).pixelColor(12, 5), kGifRed)) << slot;
    }
    EXPECT_TRUE(SameColour(Slot(*strip, 3).pixelColor(2, 2), kGifRed));
    EXPECT_TRUE(SameColour(Slot(*strip, 3).pixelColor(12, 12), kGifGreen));
}

TEST(AnimationStrip, NothingForAFrameWithoutEndATooWideStripOrAStill) {
    const QImage none;
    const CAnimationFrames two{Solid({0, 0, 20, 20}, kGifRed, 8, 1), Solid({0, 0, 20, 20}, kGifBlue, 8, 1)};
    EXPECT_TRUE(ComposeAnimationStrip(two, QSize(20, 20), Qt::gray, none, 40));
    EXPECT_FALSE(ComposeAnimationStrip(two, QSize(20, 20), Qt::gray, none, 39));
    EXPECT_FALSE(ComposeAnimationStrip({two.front()}, QSize(20, 20), Qt::gray, none, 4000));
    const CAnimationFrames endless{two.front(), Solid({0, 0, 20, 20}, kGifBlue, -1, 1)};
    EXPECT_FALSE(ComposeAnimationStrip(endless, QSize(20, 20), Qt::gray, none, 4000));
}
