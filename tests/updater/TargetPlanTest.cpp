// Planning package downloads: part ranges, their addresses and the names
// the downloads are stored under.

#include "updater/TargetPlan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace patchwell {
namespace {

const std::string kFolder = "http://127.0.0.1:8080/download/music/";

TEST(TargetPlanTest, ThreePartsFromTheFirstPart) {
    PartRange range;
    std::vector<std::string> parts;
    const PlannedTarget planned = PlanTarget(kFolder + "Setup.exe01-03", "TonvikMusicSetup.exe", range, parts);
    EXPECT_EQ(range.first, 1);
    EXPECT_EQ(range.last, 3);
    EXPECT_EQ(parts, (std::vector<std::string>{kFolder + "Setup.exe01-03", kFolder + "Setup.exe02-03",
                                                kFolder + "Setup.exe03-03"}));
    EXPECT_EQ(planned.target, kFolder + "Setup.exe01-03");
    EXPECT_EQ(planned.downloadName, "Setup.exe01-03");
}

TEST(TargetPlanTest, SevenToTwelveGivesSixPartsPaddedToTwoDigits) {
    PartRange range;
    std::vector<std::string> parts;
    const PlannedTarget planned = PlanTarget(kFolder + "Patch.exe07-12", "Patch.exe", range, parts);
    ASSERT_EQ(parts.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "Patch.exe%02d-12", 7 + i);
        EXPECT_EQ(parts[static_cast<size_t>(i)], kFolder + expected);
    }
    EXPECT_EQ(planned.downloadName, "Patch.exe07-12");
}

TEST(TargetPlanTest, TheFirstQueuedPartBecomesTheTarget) {
    PartRange range;
    std::vector<std::string> parts;
    PlanTarget(kFolder + "Setup.exe01-03", "Setup.exe", range, parts);
    parts.erase(parts.begin());  // the first part is in
    // Planning the package address again goes on with the next part.
    const PlannedTarget planned = PlanTarget(kFolder + "Setup.exe01-03", "Setup.exe", range, parts);
    EXPECT_EQ(planned.target, kFolder + "Setup.exe02-03");
    EXPECT_EQ(planned.downloadName, "Setup.exe02-03");
    EXPECT_EQ(range.first, 2);
    EXPECT_EQ(range.last, 3);
    EXPECT_EQ(parts.size(), 2u);
}

TEST(TargetPlanTest, NoRangeDownloadsOneFileNamedAfterTheLocalFile) {
    PartRange range;
    std::vector<std::string> parts;
    const PlannedTarget planned = PlanTarget(kFolder + "TonvikMusicSetup.exe", "Installer.exe", range, parts);
    EXPECT_FALSE(range.Exists());
    EXPECT_EQ(parts, std::vector<std::string>{kFolder + "TonvikMusicSetup.exe"});
    EXPECT_EQ(planned.target, kFolder + "TonvikMusicSetup.exe");
    EXPECT_EQ(planned.downloadName, "Installer.exe");
}

TEST(TargetPlanTest, NamesAreCutThreeCharactersAfterTheirLastDot) {
    PartRange range;
    std::vector<std::string> parts;
    const PlannedTarget planned = PlanTarget(kFolder + "Setup.exe.old", "Setup.exe.bak", range, parts);
    EXPECT_EQ(parts, std::vector<std::string>{kFolder + "Setup.exe.old"});
    EXPECT_EQ(planned.downloadName, "Setup.exe.bak");
    EXPECT_EQ(CutAfterExtension("Setup.exeXYZ"), "Setup.exe");
    EXPECT_EQ(CutAfterExtension("Setup.ex"), "Setup.ex");
    EXPECT_EQ(CutAfterExtension("Setup"), "Setup");
}

TEST(TargetPlanTest, ANewPlanForgetsTheRangeOfTheLastPackage) {
    PartRange range{2, 4, "04"};
    std::vector<std::string> parts;
    const PlannedTarget planned = PlanTarget(kFolder + "Setup.exe", "Setup.exe", range, parts);
    EXPECT_FALSE(range.Exists());
    EXPECT_EQ(parts, std::vector<std::string>{kFolder + "Setup.exe"});
    EXPECT_EQ(planned.target, kFolder + "Setup.exe");
}

struct RangeCase {
    const char* name;
    bool read;
    int first;
    int last;
};

class PartRangeTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(PartRangeTest, ReadsOnlyUsableRanges) {
    const RangeCase& c = GetParam();
    PartRange range;
    EXPECT_EQ(ReadPartRange(c.name, range), c.read) << c.name;
    EXPECT_EQ(range.first, c.first) << c.name;
    EXPECT_EQ(range.last, c.last) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Names, PartRangeTest,
                         ::testing::Values(RangeCase{"Setup.exe01-03", true, 1, 3},
                                           RangeCase{"Setup.exe7-12", true, 7, 12},
                                           RangeCase{"Setup.exe", false, 0, 0},
                                           RangeCase{"Set-up.exe", false, 0, 0},  // the dash comes before the dot
                                           RangeCase{"Setup", false, 0, 0},
                                           RangeCase{"Setup.exe03-01", false, 0, 0},   // backwards
                                           RangeCase{"Setup.exe00-03", false, 0, 0},   // no part 0
                                           RangeCase{"Setup.exe01-x", false, 0, 0},    // no last number
                                           RangeCase{"Setup.exe1-99999", false, 0, 0}  // beyond any series
                                           ));

}  // namespace
}  // namespace patchwell
