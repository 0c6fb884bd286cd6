#include "updater/ui/PromptChoice.h"

#include <gtest/gtest.h>

#include <optional>

namespace patchwell {
namespace {

struct ChoiceCase {
    const char* name;
    int previous;
    int installType;
    std::optional<bool> okWithInstallNow;  // nullopt: dismissed
    int expected;
};

class PromptChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(PromptChoiceTest, GivesTheResult) {
    const ChoiceCase& c = GetParam();
    CPromptChoice choice(c.previous, c.installType);
    EXPECT_EQ(choice.IsForced(), c.installType == 1);
    if (c.okWithInstallNow)
        choice.Confirm(*c.okWithInstallNow);
    else
        choice.Dismiss();
    EXPECT_EQ(choice.Result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PromptChoiceTest,
    ::testing::Values(ChoiceCase{"OkInstallNow", 0, 0, true, 3}, ChoiceCase{"OkNextStart", 3, 0, false, 0},
                      ChoiceCase{"OkNextStartType4", 0, 4, false, 0}, ChoiceCase{"OkInstallNowType9", 0, 9, true, 3},
                      ChoiceCase{"ForcedOk", 0, 1, false, 1}, ChoiceCase{"ForcedDismissed", 0, 1, std::nullopt, 1},
                      ChoiceCase{"PreviousForcedStays", 1, 0, false, 1},
                      ChoiceCase{"PreviousForcedStaysInstallNow", 1, 0, true, 1},
                      ChoiceCase{"DismissKeepsZero", 0, 0, std::nullopt, 0},
                      ChoiceCase{"DismissKeepsThree", 3, 0, std::nullopt, 3},
                      ChoiceCase{"DismissKeepsOne", 1, 5, std::nullopt, 1}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

TEST(ForcedLabelTest, ProjectOneHasItsOwnLabel) {
    EXPECT_EQ(ForcedLabelUtf8(1), "Ludora Game升级包！");
    for (int project : {0, 2, 3, 4, 5, 6, -1}) EXPECT_EQ(ForcedLabelUtf8(project), "强制升级包！") << project;
}

}  // namespace
}  // namespace patchwell
