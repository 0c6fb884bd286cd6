#include "lyrics/LrcTimeTag.h"
#include "lyrics/LyricModel.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(LrcDecimalValue, ReadsLikeAtoi) {
    EXPECT_EQ(LrcDecimalValue("42"), 42);
    EXPECT_EQ(LrcDecimalValue(" \t-7"), -7);
    EXPECT_EQ(LrcDecimalValue("+8x9"), 8);
    EXPECT_EQ(LrcDecimalValue("12abc"), 12);
    EXPECT_EQ(LrcDecimalValue("abc"), 0);
    EXPECT_EQ(LrcDecimalValue("- 7"), 0);
    EXPECT_EQ(LrcDecimalValue(""), 0);
    EXPECT_EQ(LrcDecimalValue("-"), 0);
}

TEST(LrcDecimalValue, StopsAtTheIntLimits) {
    EXPECT_EQ(LrcDecimalValue("2147483647"), INT_MAX);
    EXPECT_EQ(LrcDecimalValue("2147483648"), INT_MAX);
    EXPECT_EQ(LrcDecimalValue("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(LrcDecimalValue("-2147483648"), INT_MIN);
    EXPECT_EQ(LrcDecimalValue("-99999999999999999999999"), INT_MIN);
}

TEST(LyricTimeTag, ReadsMinutesSecondsAndHundredths) {
    EXPECT_EQ(LyricModel::ParseTimeTag("00:12.34"), 12340u);
    EXPECT_EQ(LyricModel::ParseTimeTag("00:12.5"), 12050u) << "the fraction counts as hundredths";
    EXPECT_EQ(LyricModel::ParseTimeTag("00:12"), 12000u);
    EXPECT_EQ(LyricModel::ParseTimeTag("1:02:03.45"), 3723450u);
    EXPECT_EQ(LyricModel::ParseTimeTag("3:07"), 187000u);
    EXPECT_EQ(LyricModel::ParseTimeTag("00:00.00"), 0u);
}

TEST(LyricTimeTag, HoursComeBeforeTheFirstOfTwoColons) {
    // Minutes are read from "2:3", stopping at its colon.
    EXPECT_EQ(LyricModel::ParseTimeTag("1:2:3:45"), ((1u * 60 + 2) * 60 + 45) * 1000);
}

TEST(LyricTimeTag, NeedsAColonAfterTheFirstCharacter) {
    EXPECT_FALSE(LyricModel::ParseTimeTag(":30"));
    EXPECT_FALSE(LyricModel::ParseTimeTag("1230"));
    EXPECT_FALSE(LyricModel::ParseTimeTag(""));
    EXPECT_FALSE(LyricModel::ParseTimeTag(":"));
    // Once the colon is there the tag is valid, whatever its parts hold.
    EXPECT_EQ(LyricModel::ParseTimeTag("ab:cd"), 0u);
    EXPECT_EQ(LyricModel::ParseTimeTag("offset:500"), 500000u);
    EXPECT_EQ(LyricModel::ParseTimeTag("5:"), 300000u);
}

TEST(LyricTimeTag, ArithmeticWrapsInThirtyTwoBits) {
    EXPECT_EQ(LyricModel::ParseTimeTag("-1:-1"), static_cast<uint32_t>(-61000));
    EXPECT_EQ(LyricModel::ParseTimeTag("99999999:99.999"), (99999999u * 60u + 99u) * 1000u + 999u * 10u);
    // 2^32 ms is 71582:47.296, so one more second comes round to 704 ms.
    EXPECT_EQ(LyricModel::ParseTimeTag("71582:48"), 704u);
    EXPECT_EQ(LyricModel::ParseTimeTag("99999999999:0"), static_cast<uint32_t>(INT_MAX) * 60000u);
}

}  // namespace
