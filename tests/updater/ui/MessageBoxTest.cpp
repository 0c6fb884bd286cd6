#include "updater/ui/UpdatePrompt.h"

#include "tests/updater/ui/GbkLiteral.h"
#include "tests/updater/ui/PromptDriver.h"
#include "updater/ui/UiTrace.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace patchwell {
namespace {

using testing::AcknowledgeMessage;
using testing::GbkText;

struct MessageCase {
    const char* name;
    const char* text;
    const char* caption;
    MessageIcon icon;
    QMessageBox::Icon expectedIcon;
};

class MessageBoxTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MessageBoxTest, ShowsTextCaptionIconAndOnlyOk) {
    const MessageCase& c = GetParam();
    auto answer = AcknowledgeMessage();
    ShowMessageBox(GbkText(c.text), GbkText(c.caption), c.icon);
    ASSERT_TRUE(answer->Answered());
    const testing::MessageSnapshot& seen = answer->Message();
    EXPECT_EQ(seen.text, QString::fromUtf8(c.text));
    EXPECT_EQ(seen.caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(seen.icon, c.expectedIcon);
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_TRUE(seen.modal);
    EXPECT_TRUE(seen.ownerless);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MessageBoxTest,
    ::testing::Values(
        MessageCase{"Plain", "不退出安装，运行Up_date.exe失败！", "Tonvik Player", MessageIcon::None,
                    QMessageBox::NoIcon},
        MessageCase{"Error", "升级失败，请重启TonvikMusic进行升级！", "VeloraLudora Game提示", MessageIcon::Error,
                    QMessageBox::Critical},
        MessageCase{"LongPath", "升级失败！请确保 /opt/tonvik/Update/Update.xml 文件有可写权限。", "提示",
                    MessageIcon::Error, QMessageBox::Critical}),
    [](const ::testing::TestParamInfo<MessageCase>& info) { return std::string(info.param.name); });

TEST(MessageBoxEscapeTest, EscapeClosesIt) {
    auto answer = testing::AnswerWhenShown(QString::fromLatin1(kMessageObjectName), [](QWidget& box) {
        testing::PressKey(box, Qt::Key_Escape);
        return true;
    });
    ShowMessageBox(GbkText("路径过长！"), GbkText("Tonvik Player"), MessageIcon::None);
    EXPECT_TRUE(answer->Answered());
}

TEST(MessageBoxThreadTest, OffTheApplicationThreadOnlyTraces) {
    std::vector<std::string> lines;
    SetUiTraceSink([&](std::string_view text) { lines.emplace_back(text); });
    const std::string text = GbkText("路径过长！");
    std::thread worker([&] { ShowMessageBox(text, GbkText("提示"), MessageIcon::Error); });
    worker.join();
    SetUiTraceSink({});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "ShowMessageBox : not on the QApplication's thread, nothing shown: " + text + "\n");
}

}  // namespace
}  // namespace patchwell
