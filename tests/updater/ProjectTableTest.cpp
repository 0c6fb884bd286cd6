// The project table: every row holds exactly its own values.

#include "updater/Gbk.h"
#include "updater/ProjectTable.h"

#include <gtest/gtest.h>

#include <string>

namespace patchwell {
namespace {

struct ProjectRow {
    int code;
    ManifestHost host;
    const char* path;
    const char* module;
    const char* promptCaption;
    const char* promptHeader;
    const char* messageCaption;
};

class ProjectTableTest : public ::testing::TestWithParam<ProjectRow> {};

TEST_P(ProjectTableTest, RowHoldsItsValues) {
    const ProjectRow& row = GetParam();
    const ProjectEntry& entry = ProjectFor(row.code);
    EXPECT_EQ(entry.host, row.host);
    EXPECT_EQ(entry.path, row.path);
    EXPECT_EQ(entry.module, row.module);
    const ProjectTexts texts = ProjectTextsFor(row.code);
    EXPECT_EQ(texts.module, row.module);
    EXPECT_EQ(texts.promptCaption, Gbk(row.promptCaption));
    EXPECT_EQ(texts.promptHeader, Gbk(row.promptHeader));
    EXPECT_EQ(texts.messageCaption, Gbk(row.messageCaption));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ProjectTableTest,
    ::testing::Values(
        ProjectRow{0, ManifestHost::Update, "/download/quillo/Update.xml", "Quillo", "VeloraQuillo在线升级",
                   "VeloraQuillo有最新升级", "VeloraQuillo提示"},
        ProjectRow{1, ManifestHost::GamePatch, "/patch/update.xml", "Ludora", "VeloraLudora Game在线升级",
                   "VeloraLudora Game有最新升级", "VeloraLudora Game提示"},
        ProjectRow{2, ManifestHost::Update, "/download/QUILLOLIVE/Update.xml", "QuilloLive",
                   "VeloraQuillo Live在线升级", "VeloraQuillo Live有最新升级", "VeloraQuilloLive提示"},
        // The game's module with the messenger's prompt texts.
        ProjectRow{3, ManifestHost::Update, "/download/LUDORA/Update.xml", "Ludora",
                   "VeloraQuillo Messenger在线升级", "VeloraQuillo Messenger有最新升级", "Ludora"},
        ProjectRow{4, ManifestHost::Update, "/download/Tonvik/Update.xml", "Tonvik", "VeloraTonvik在线升级",
                   "VeloraTonvik有最新升级", "VeloraTonvik提示"},
        ProjectRow{5, ManifestHost::Update, "/download/music/Update.xml", "TonvikMusic", "Tonvik Player",
                   "Tonvik Player有最新升级", "Tonvik Player"},
        ProjectRow{6, ManifestHost::None, "", "__", "VeloraQuillo在线升级", "VeloraQuillo在线升级", "提示"},
        ProjectRow{-1, ManifestHost::None, "", "__", "VeloraQuillo在线升级", "VeloraQuillo在线升级", "提示"},
        ProjectRow{1000, ManifestHost::None, "", "__", "VeloraQuillo在线升级", "VeloraQuillo在线升级", "提示"}),
    [](const ::testing::TestParamInfo<ProjectRow>& info) {
        return info.param.code < 0 ? std::string("Negative") : "Code" + std::to_string(info.param.code);
    });

}  // namespace
}  // namespace patchwell
