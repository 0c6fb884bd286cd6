#include "updater/VersionCompare.h"

#include <gtest/gtest.h>

#include <climits>

using namespace patchwell;

TEST(VersionCompare, ValueIsMajorTimesTenThousandPlusMinor) {
    EXPECT_EQ(VersionValue("6.00.451"), 60000);
    EXPECT_EQ(VersionValue("6.01.460"), 60001);
    EXPECT_EQ(VersionValue("6.00.999"), 60000);
    EXPECT_EQ(VersionValue("6.1"), 60001) << "one dot: the minor part is what follows it";
    EXPECT_EQ(VersionValue("6.2.3.4"), 60002) << "minor: between the first and the last dot, read like atoi";
    EXPECT_EQ(VersionValue("7"), 70000) << "no dot: only the leading integer";
    EXPECT_EQ(VersionValue(""), 0);
    EXPECT_EQ(VersionValue("x.y.z"), 0);
    EXPECT_EQ(VersionValue(" 3x.12b.9"), 30012);
}

TEST(VersionCompare, ReadIntegerBehavesLikeAtoiWithoutOverflow) {
    EXPECT_EQ(ReadInteger("  -42abc"), -42);
    EXPECT_EQ(ReadInteger("+7"), 7);
    EXPECT_EQ(ReadInteger("abc"), 0);
    EXPECT_EQ(ReadInteger("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ReadInteger("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(VersionValue("99999999999.99999999999"), static_cast<std::int64_t>(INT_MAX) * 10000 + INT_MAX);
}

TEST(VersionCompare, MainVersionSetsTheUpdateKind) {
    const VersionParts host = SplitVersion("6.00.451");
    int kind = 7;
    EXPECT_EQ(CompareMainVersion("6.01.460", host, kind), 1);
    EXPECT_EQ(kind, kUpdateMainVersion);
    EXPECT_EQ(CompareMainVersion("6.00.999", host, kind), 0) << "the build part is ignored";
    EXPECT_EQ(kind, kUpdateNone);
    kind = 7;
    EXPECT_EQ(CompareMainVersion("5.99.999", host, kind), -1);
    EXPECT_EQ(kind, 7) << "an older manifest leaves the kind as it was";
}

TEST(VersionCompare, PatchLevelsCompareAsIntegers) {
    int kind = 0;
    EXPECT_EQ(ComparePatch("9", "10", kind), 1) << "\"10\" is newer than \"9\"";
    EXPECT_EQ(kind, kUpdatePatch);
    EXPECT_EQ(ComparePatch("10", "9", kind), 0);
    EXPECT_EQ(kind, kUpdateNone);
    kind = 5;
    EXPECT_EQ(ComparePatch("3", "3", kind), 0);
    EXPECT_EQ(kind, kUpdateNone);
    EXPECT_EQ(ComparePatch("", "1", kind), 1) << "an empty level reads as 0";
}
