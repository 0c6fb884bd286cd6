#include "skin/controls/ControlArithmetic.h"

#include <gtest/gtest.h>

namespace {

// ---- slider value <-> pixel -------------------------------------------------

struct SliderCase {
    const char* name;
    SliderAxis axis;
    int minimum, maximum;
    int value;
    int pixel;
};

class SliderMapping : public ::testing::TestWithParam<SliderCase> {};

TEST_P(SliderMapping, ValueAndPixelMeetBothWays) {
    const SliderCase& c = GetParam();
    EXPECT_EQ(SliderValueToPixel(c.axis, c.minimum, c.maximum, c.value), c.pixel);
    EXPECT_EQ(SliderPixelToValue(c.axis, c.minimum, c.maximum, c.pixel), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Tracks, SliderMapping,
    ::testing::Values(
        // 100 wide, thumb 10, no margins
        SliderCase{"Middle", {100, 10, 0, 0}, 0, 100, 50, 50},
        SliderCase{"LowEnd", {100, 10, 0, 0}, 0, 100, 0, 5},
        SliderCase{"HighEnd", {100, 10, 0, 0}, 0, 100, 100, 95},
        // margins shift the low end and shorten the track
        SliderCase{"MarginsLow", {120, 10, 7, 13}, 0, 100, 0, 12},
        SliderCase{"MarginsHigh", {120, 10, 7, 13}, 0, 100, 100, 102},
        SliderCase{"MarginsMiddle", {120, 10, 7, 13}, 0, 100, 50, 57},
        // a range that does not start at zero
        SliderCase{"OffsetRange", {110, 10, 0, 0}, -50, 50, 0, 55},
        SliderCase{"OffsetRangeLow", {110, 10, 0, 0}, -50, 50, -50, 5}),
    [](const ::testing::TestParamInfo<SliderCase>& info) { return std::string(info.param.name); });

TEST(SliderMappingEdges, PixelsTruncateTowardZero) {
    const SliderAxis axis{100, 10, 0, 0};  // 90 pixels for 100 values
    EXPECT_EQ(SliderValueToPixel(axis, 0, 100, 33), 34);  // 5 + floor(29.7)
    EXPECT_EQ(SliderPixelToValue(axis, 0, 100, 34), 32);  // 29 × 100 / 90 = 32.2
    EXPECT_EQ(SliderPixelToValue(axis, 0, 100, 35), 33);
}

TEST(SliderMappingEdges, ValuesOutsideTheTrackAreKeptInTheRange) {
    const SliderAxis axis{100, 10, 0, 0};
    EXPECT_EQ(SliderPixelToValue(axis, 0, 100, -40), 0);
    EXPECT_EQ(SliderPixelToValue(axis, 0, 100, 400), 100);
    // An odd thumb leaves the clamped high pixel one past the track's end.
    const SliderAxis odd{100, 11, 0, 0};
    EXPECT_EQ(SliderPixelToValue(odd, 0, 100, SliderClampPixel(odd, 1000)), 100);
}

TEST(SliderMappingEdges, DegenerateTracksAndRangesGiveTheMinimum) {
    EXPECT_EQ(SliderPixelToValue({10, 10, 0, 0}, 3, 9, 7), 3);    // track as short as the thumb
    EXPECT_EQ(SliderPixelToValue({8, 10, 2, 2}, 3, 9, 7), 3);     // shorter still
    EXPECT_EQ(SliderPixelToValue({100, 10, 0, 0}, 4, 4, 60), 4);  // empty range
    EXPECT_EQ(SliderValueToPixel({100, 10, 0, 0}, 4, 4, 4), 5);
}

TEST(SliderMappingEdges, ClampKeepsTheWholeThumbOnTheTrack) {
    const SliderAxis axis{100, 10, 3, 4};
    EXPECT_EQ(SliderClampPixel(axis, -20), 8);
    EXPECT_EQ(SliderClampPixel(axis, 50), 50);
    EXPECT_EQ(SliderClampPixel(axis, 99), 91);
}

TEST(CircleTrack, FollowsTheLowerHalfOfThePlayerCircle) {
    // The player's play-position circle: centre (54, −27), radius 57.
    EXPECT_EQ(CircleTrackY(54, 54, -27, 57), 30);
    EXPECT_EQ(CircleTrackY(111, 54, -27, 57), -27);
    EXPECT_EQ(CircleTrackY(-3, 54, -27, 57), -27);
    EXPECT_EQ(CircleTrackY(54 + 30, 54, -27, 57), -27 + 48);  // √(57² − 30²) = 48.4
    EXPECT_EQ(CircleTrackY(112, 54, -27, 57), 0);              // beyond the circle
    EXPECT_EQ(CircleTrackY(-200, 54, -27, 57), 0);
}

// ---- buttons ------------------------------------------------------------------

TEST(ButtonHit, RoundButtonsLeaveTheirCornersOut) {
    const QSize size(40, 40);
    EXPECT_TRUE(ButtonHitTest(size, {0, 0}, false));
    EXPECT_FALSE(ButtonHitTest(size, {0, 0}, true));
    EXPECT_FALSE(ButtonHitTest(size, {39, 39}, true));
    EXPECT_TRUE(ButtonHitTest(size, {20, 20}, true));
    EXPECT_TRUE(ButtonHitTest(size, {0, 20}, true));   // on the rim
    EXPECT_TRUE(ButtonHitTest(size, {20, 39}, true));
    EXPECT_FALSE(ButtonHitTest(size, {40, 20}, false));
    EXPECT_FALSE(ButtonHitTest(size, {-1, 20}, true));
}

struct HoverIndexCase {
    int count;
    bool pressed, disabled, hover;
    int index;
};

class HoverImage : public ::testing::TestWithParam<HoverIndexCase> {};

TEST_P(HoverImage, StateChoosesTheImage) {
    const HoverIndexCase& c = GetParam();
    EXPECT_EQ(HoverButtonImageIndex(c.count, c.pressed, c.disabled, c.hover), c.index)
        << "count " << c.count << " pressed " << c.pressed << " disabled " << c.disabled << " hover " << c.hover;
}

INSTANTIATE_TEST_SUITE_P(
    States, HoverImage,
    ::testing::Values(
        // a single picture shows in every state
        HoverIndexCase{1, false, false, false, 0}, HoverIndexCase{1, false, false, true, 0},
        HoverIndexCase{1, true, false, true, 0}, HoverIndexCase{1, false, true, false, 0},
        // two: hover only
        HoverIndexCase{2, false, false, true, 1}, HoverIndexCase{2, true, false, true, 1},
        HoverIndexCase{2, false, true, true, 0},
        // three: pressed too, disabled falls back to normal
        HoverIndexCase{3, true, false, true, 2}, HoverIndexCase{3, false, true, false, 0},
        HoverIndexCase{3, false, false, false, 0},
        // four: disabled has its own
        HoverIndexCase{4, false, true, false, 3}, HoverIndexCase{4, false, true, true, 3},
        HoverIndexCase{4, true, false, false, 2}, HoverIndexCase{4, false, false, true, 1},
        // none
        HoverIndexCase{0, false, false, false, -1}));

// ---- gradient -----------------------------------------------------------------

TEST(Gradient, AtMostAHundredBandsCoverTheWidth) {
    for (int width : {1, 7, 99, 100, 101, 333}) {
        const auto bands = GradientBands(Qt::black, Qt::white, width);
        ASSERT_EQ(int(bands.size()), std::min(100, width)) << width;
        int next = 0;
        for (const GradientBand& band : bands) {
            EXPECT_EQ(band.left, next) << width;
            EXPECT_GE(band.width, 1) << width;
            next = band.left + band.width;
        }
        EXPECT_EQ(next, width);
    }
    EXPECT_TRUE(GradientBands(Qt::black, Qt::white, 0).empty());
}

TEST(Gradient, EachChannelRunsFromTheFirstColourToTheSecond) {
    const QColor from(200, 0, 10), to(0, 100, 210);
    const auto bands = GradientBands(from, to, 300);
    ASSERT_EQ(bands.size(), 100u);
    EXPECT_EQ(bands.front().colour, from);
    EXPECT_EQ(bands.back().colour, to);
    EXPECT_EQ(bands[33].colour, QColor(200 - 200 * 33 / 99, 100 * 33 / 99, 10 + 200 * 33 / 99));
    for (size_t i = 1; i < bands.size(); ++i) {
        EXPECT_LE(bands[i].colour.red(), bands[i - 1].colour.red());
        EXPECT_GE(bands[i].colour.green(), bands[i - 1].colour.green());
        EXPECT_GE(bands[i].colour.blue(), bands[i - 1].colour.blue());
    }
}

// ---- rolling title --------------------------------------------------------------

TEST(RollPosition, ShortTextLeavesLeftAndComesBackFromTheRight) {
    CRollPosition roll;
    const int textWidth = 50, clientWidth = 200;
    bool leftCompletely = false;
    int steps = 0;
    // 1.1 × 50 = 55: the text moves until x = −55, its right end off the left edge
    while (roll.Position() >= 0 && steps < 1000) {
        if (roll.TextX() + textWidth <= 0)
            leftCompletely = true;
        roll.Step(textWidth, clientWidth);
        ++steps;
    }
    EXPECT_TRUE(leftCompletely);
    EXPECT_EQ(steps, 56);
    EXPECT_EQ(roll.TextX(), clientWidth);  // enters again at the right edge
    for (int i = 0; i < clientWidth; ++i)
        roll.Step(textWidth, clientWidth);
    EXPECT_EQ(roll.TextX(), 0);            // and rolls back to the start
}

TEST(RollPosition, RestartsOnlyAfterOnePointOneTextWidths) {
    CRollPosition roll;
    for (int i = 0; i < 110; ++i)
        roll.Step(100, 300);
    EXPECT_EQ(roll.Position(), 110);  // exactly 1.1 × 100: not yet beyond
    roll.Step(100, 300);
    EXPECT_EQ(roll.Position(), -300);
    roll.Reset();
    EXPECT_EQ(roll.TextX(), 0);
}

TEST(RollPosition, EmptyTextStillCycles) {
    CRollPosition roll;
    roll.Step(0, 80);
    EXPECT_EQ(roll.Position(), -80);
}

TEST(LyricLink, HitAreaIsTwentyFivePixelsFromTheLinkRowsThreeToNineteen) {
    const int width = 300, linkX = 120;
    EXPECT_TRUE(LyricLinkHit(linkX, width, {120, 3}));
    EXPECT_TRUE(LyricLinkHit(linkX, width, {144, 19}));
    EXPECT_FALSE(LyricLinkHit(linkX, width, {145, 10}));
    EXPECT_FALSE(LyricLinkHit(linkX, width, {119, 10}));
    EXPECT_FALSE(LyricLinkHit(linkX, width, {130, 2}));
    EXPECT_FALSE(LyricLinkHit(linkX, width, {130, 20}));
}

TEST(LyricLink, OnlyWhileTheLinkLiesInsideTheControl) {
    EXPECT_FALSE(LyricLinkHit(0, 300, {5, 10}));
    EXPECT_FALSE(LyricLinkHit(-10, 300, {0, 10}));
    EXPECT_FALSE(LyricLinkHit(275, 300, {280, 10}));
    EXPECT_TRUE(LyricLinkHit(274, 300, {280, 10}));
    EXPECT_TRUE(LyricLinkHit(1, 300, {1, 10}));
}

TEST(TitleText, StateTitlesCarryNoLyricLink) {
    EXPECT_TRUE(TitleHasLyricLink(QStringLiteral("晚风--林夕")));
    EXPECT_FALSE(TitleHasLyricLink(QStringLiteral("正在缓冲...")));
    EXPECT_FALSE(TitleHasLyricLink(QStringLiteral("无法取得播放地址")));
}

TEST(TitleText, SplitsAtTheFirstDoubleDash) {
    const TitleParts both = SplitTitle(QStringLiteral("晚风--林夕--remix"));
    EXPECT_EQ(both.name, QStringLiteral("晚风"));
    EXPECT_EQ(both.rest, QStringLiteral("--林夕--remix"));
    const TitleParts nameOnly = SplitTitle(QStringLiteral("晚风-林夕"));
    EXPECT_EQ(nameOnly.name, QStringLiteral("晚风-林夕"));
    EXPECT_TRUE(nameOnly.rest.isEmpty());
}

struct TimeTextCase {
    const char* text;
    bool isTimeText, skin2;
    const char* shown;
};

class TimeText : public ::testing::TestWithParam<TimeTextCase> {};

TEST_P(TimeText, SlashRule) {
    const TimeTextCase& c = GetParam();
    EXPECT_EQ(PlayTimeDisplayText(QString::fromUtf8(c.text), c.isTimeText, c.skin2), QString::fromUtf8(c.shown))
        << "[" << c.text << "] time " << c.isTimeText << " skin2 " << c.skin2;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TimeText,
    ::testing::Values(TimeTextCase{"03:25", true, true, "/03:25"}, TimeTextCase{"/03:25", true, true, "/03:25"},
                      TimeTextCase{"///03:25", true, true, "/03:25"}, TimeTextCase{"/03:25", true, false, "03:25"},
                      TimeTextCase{"03:25", true, false, "03:25"}, TimeTextCase{"/", true, true, ""},
                      TimeTextCase{"/", true, false, ""}, TimeTextCase{"//", true, true, ""},
                      TimeTextCase{"", true, true, ""},
                      // the elapsed time is left alone
                      TimeTextCase{"/01:02", false, true, "/01:02"}, TimeTextCase{"01:02", false, true, "01:02"}));

}  // namespace

TEST(AlbumNameRule, RefusesEmptyAndLongNamesOnlyOnTheAlbumPage) {
    const QString twenty(20, QChar(0x4E50));
    EXPECT_EQ(CheckAlbumName(twenty, true).verdict, AlbumNameVerdict::Accepted);
    EXPECT_EQ(CheckAlbumName(twenty + QChar(0x4E50), true).verdict, AlbumNameVerdict::TooLong);
    EXPECT_EQ(CheckAlbumName(QStringLiteral("  "), true).verdict, AlbumNameVerdict::Empty);
    EXPECT_EQ(AlbumNameNotice(AlbumNameVerdict::TooLong), QStringLiteral("专辑名称不能超过20个字符！"));
    EXPECT_EQ(AlbumNameNotice(AlbumNameVerdict::Empty), QStringLiteral("专辑名称不能为空！"));
    const AlbumNameCheck away = CheckAlbumName(QString(), false);
    EXPECT_EQ(away.verdict, AlbumNameVerdict::Accepted);
    EXPECT_EQ(away.name, QStringLiteral("我的专辑"));
}
