// What a verified package leads to, for the values the session's flow tests
// do not reach: install types out of the table, note lists of unequal
// length, results other than the prompt's three, and no prompt at all.

#include "updater/InstallPlan.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace patchwell {
namespace {

InstallPlan Plan(const std::string& type, int kind, const std::string& patchLevel = "0",
                 std::vector<std::string> from = {}, std::vector<std::string> content = {}) {
    DownloadUpdateInfo local;
    local.mstrType = type;
    local.mstrPatchVer = patchLevel;
    DownloadUpdateInfo pending;
    pending.mlstPatchFrom = std::move(from);
    pending.mlstContent = std::move(content);
    return PlanInstall(local, pending, kind);
}

TEST(InstallPlanTest, TypesOutOfTheTableReadAsIntegers) {
    // Garbage reads as 0 and a type below 0 counts as one to ask about.
    EXPECT_EQ(Plan("abc", kUpdateMainVersion).prompts.size(), 1u);
    const InstallPlan negative = Plan("-2147483649", kUpdateMainVersion);
    EXPECT_EQ(negative.type, -2147483647 - 1);
    EXPECT_EQ(DecideInstall(negative, kPromptInstallNow).installer, InstallerStart::Install);
    // 12 and above, however large: no prompt, nothing stored or started.
    for (const char* type : {"12", "99999999999999"}) {
        const InstallPlan plan = Plan(type, kUpdateMainVersion);
        EXPECT_TRUE(plan.prompts.empty()) << type;
        EXPECT_EQ(DecideInstall(plan, std::nullopt), InstallDecision{}) << type;
    }
}

TEST(InstallPlanTest, OnlyNotesInBothListsAreShown) {
    const InstallPlan plan = Plan(" 3x", kUpdatePatch, "7", {"7", "8", "+7", "7"}, {"a", "b", "c"});
    EXPECT_EQ(plan.type, 3);
    EXPECT_EQ(plan.prompts, (std::vector<PlannedPrompt>{{PromptText::Note, 0}, {PromptText::Note, 2}}));
    // A content without a source is no note for the installed level.
    EXPECT_EQ(Plan("2", kUpdatePatch, "0", {}, {"a"}).prompts,
              (std::vector<PlannedPrompt>{{PromptText::NoMatchingNote, 0}}));
}

TEST(InstallPlanTest, OnlyThePromptsOwnResultsAct) {
    const InstallPlan plan = Plan("2", kUpdateMainVersion);
    // A result the prompt never gives: nothing stored, nothing started.
    EXPECT_EQ(DecideInstall(plan, 2), InstallDecision{});
    EXPECT_EQ(DecideInstall(plan, -1), InstallDecision{});
    // No prompt shown (no update kind): a result left from before does nothing.
    EXPECT_TRUE(Plan("2", kUpdateNone).prompts.empty());
    EXPECT_EQ(DecideInstall(Plan("2", kUpdateNone), std::nullopt), InstallDecision{});
    EXPECT_EQ(DecideInstall(Plan("4", kUpdateNone), std::nullopt),
              (InstallDecision{{4}, InstallerStart::InstallNoExit}));
    // "At the next start" on type 4 is stored first, then 4 wins.
    EXPECT_EQ(DecideInstall(Plan("4", kUpdateMainVersion), kPromptNextStart),
              (InstallDecision{{10, 4}, InstallerStart::InstallNoExit}));
}

}  // namespace
}  // namespace patchwell
