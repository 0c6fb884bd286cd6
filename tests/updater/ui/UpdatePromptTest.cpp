#include "updater/ui/UpdatePrompt.h"

#include "tests/updater/ui/GbkLiteral.h"
#include "tests/updater/ui/PromptDriver.h"
#include "updater/ui/DialogUnits.h"
#include "updater/ui/UiTrace.h"
#include "updater/ui/UpdatePromptDlg.h"
#include "updater/ui/UpdatePromptIds.h"

#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace patchwell {
namespace {

using testing::AnswerPrompt;
using testing::GbkText;
using testing::PromptAnswer;

PromptTexts MusicTexts() { return {GbkText("Tonvik Player"), GbkText("Tonvik Player有最新升级")}; }

const char* const kNotesUtf8 = "1. 修正了歌词窗口的显示问题\r\n2. 新增播放模式\r\n3. 提高了下载速度";

struct AnswerCase {
    const char* name;
    int installType;
    int previous;
    PromptAnswer answer;
    int expected;
};

class PromptAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(PromptAnswerTest, ReturnsTheResult) {
    const AnswerCase& c = GetParam();
    auto answer = AnswerPrompt(c.answer);
    const int result = ShowUpdatePrompt(GbkText("主版本升级"), c.installType, 5, MusicTexts(), c.previous);
    ASSERT_TRUE(answer->Answered()) << "found " << answer->Found() << " forced " << answer->ClosedByForce();
    EXPECT_EQ(result, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PromptAnswerTest,
    ::testing::Values(AnswerCase{"OkInstallsNow", 0, 0, PromptAnswer::Ok, 3},
                      AnswerCase{"EnterIsOk", 0, 0, PromptAnswer::Enter, 3},
                      AnswerCase{"InstallNowAfterNextStartResult", 0, 0, PromptAnswer::InstallNow, 3},
                      AnswerCase{"NextStart", 0, 3, PromptAnswer::NextStart, 0},
                      AnswerCase{"NextStartType4", 4, 0, PromptAnswer::NextStart, 0},
                      AnswerCase{"ForcedOk", 1, 0, PromptAnswer::Ok, 1},
                      AnswerCase{"ForcedEnter", 1, 3, PromptAnswer::Enter, 1},
                      AnswerCase{"ForcedEscapeStaysForced", 1, 0, PromptAnswer::Escape, 1},
                      AnswerCase{"PreviousForcedStaysOnNextStart", 0, 1, PromptAnswer::NextStart, 1},
                      AnswerCase{"EscapeKeepsZero", 0, 0, PromptAnswer::Escape, 0},
                      AnswerCase{"EscapeKeepsThree", 0, 3, PromptAnswer::Escape, 3},
                      AnswerCase{"CloseKeepsZero", 0, 0, PromptAnswer::Close, 0},
                      AnswerCase{"CloseKeepsThree", 10, 3, PromptAnswer::Close, 3}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST(UpdatePromptTest, ShowsTheTextsGivenInGbk) {
    auto answer = AnswerPrompt(PromptAnswer::Ok);
    ShowUpdatePrompt(GbkText(kNotesUtf8), 0, 5, MusicTexts(), 0);
    ASSERT_TRUE(answer->Answered());
    const testing::PromptSnapshot& seen = answer->Prompt();
    EXPECT_EQ(seen.caption, QStringLiteral("Tonvik Player"));
    EXPECT_EQ(seen.header, QStringLiteral("Tonvik Player有最新升级"));
    EXPECT_EQ(seen.notes, QStringLiteral("1. 修正了歌词窗口的显示问题\n2. 新增播放模式\n3. 提高了下载速度"));
    EXPECT_TRUE(seen.notesReadOnly);
}

TEST(UpdatePromptTest, OpensWithInstallNowSelectedAndTheChoiceLabelHidden) {
    auto answer = AnswerPrompt(PromptAnswer::Ok);
    ShowUpdatePrompt(GbkText("主版本升级"), 0, 5, MusicTexts(), 0);
    ASSERT_TRUE(answer->Answered());
    const testing::PromptSnapshot& seen = answer->Prompt();
    EXPECT_TRUE(seen.installNowVisible);
    EXPECT_TRUE(seen.nextStartVisible);
    EXPECT_TRUE(seen.installNowChecked);
    EXPECT_FALSE(seen.nextStartChecked);
    EXPECT_FALSE(seen.choiceLabelVisible);
    EXPECT_EQ(seen.choiceLabel, QStringLiteral("选择升级方式："));
    EXPECT_TRUE(seen.okIsDefault);
    EXPECT_TRUE(seen.pictureShown);
    EXPECT_TRUE(seen.modal);
    EXPECT_TRUE(seen.ownerless);
}

struct ForcedCase {
    int projectCode;
    const char* label;
};

class ForcedPromptTest : public ::testing::TestWithParam<ForcedCase> {};

TEST_P(ForcedPromptTest, ShowsTheProjectsForcedLabelWithoutRadioButtons) {
    auto answer = AnswerPrompt(PromptAnswer::Ok);
    const int result = ShowUpdatePrompt(GbkText("主版本升级"), 1, GetParam().projectCode, MusicTexts(), 0);
    ASSERT_TRUE(answer->Answered());
    EXPECT_EQ(result, 1);
    const testing::PromptSnapshot& seen = answer->Prompt();
    EXPECT_TRUE(seen.choiceLabelVisible);
    EXPECT_EQ(seen.choiceLabel, QString::fromUtf8(GetParam().label));
    EXPECT_FALSE(seen.installNowVisible);
    EXPECT_FALSE(seen.nextStartVisible);
}

INSTANTIATE_TEST_SUITE_P(Projects, ForcedPromptTest,
                         ::testing::Values(ForcedCase{1, "Ludora Game升级包！"}, ForcedCase{5, "强制升级包！"},
                                           ForcedCase{0, "强制升级包！"}, ForcedCase{7, "强制升级包！"}),
                         [](const ::testing::TestParamInfo<ForcedCase>& info) {
                             return "Project" + std::to_string(info.param.projectCode);
                         });

TEST(UpdatePromptTest, NonForcedTypesDoNotShowTheForcedLabel) {
    for (int type : {0, 2, 4, 9}) {
        auto answer = AnswerPrompt(PromptAnswer::Ok);
        ShowUpdatePrompt(GbkText("主版本升级"), type, 1, MusicTexts(), 0);
        ASSERT_TRUE(answer->Answered()) << type;
        EXPECT_FALSE(answer->Prompt().choiceLabelVisible) << type;
        EXPECT_TRUE(answer->Prompt().installNowVisible) << type;
    }
}

TEST(UpdatePromptTest, InvalidGbkBytesAreShownAsReplacementCharacters) {
    auto answer = AnswerPrompt(PromptAnswer::Ok);
    const std::string broken = GbkText("升级") + "\xff\xfe" + "\x81";  // an invalid pair and a cut-off lead byte
    ShowUpdatePrompt(broken, 0, 5, PromptTexts{broken, std::string()}, 0);
    ASSERT_TRUE(answer->Answered());
    EXPECT_TRUE(answer->Prompt().notes.startsWith(QStringLiteral("升级")));
    EXPECT_TRUE(answer->Prompt().notes.contains(QChar(0xFFFD)));
    EXPECT_TRUE(answer->Prompt().caption.startsWith(QStringLiteral("升级")));
}

TEST(UpdatePromptTest, RunsInsideATimerCallbackLikeThePackagePoll) {
    auto answer = AnswerPrompt(PromptAnswer::NextStart);
    QEventLoop loop;
    int result = -1;
    QTimer::singleShot(0, &loop, [&] {
        result = ShowUpdatePrompt(GbkText("主版本升级"), 0, 5, MusicTexts(), 3);
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, [&] { loop.exit(1); });
    ASSERT_EQ(loop.exec(), 0);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(result, 0);
}

TEST(UpdatePromptTest, TwoPromptsInTurnTheSecondDecides) {
    auto first = AnswerPrompt(PromptAnswer::InstallNow);
    int result = ShowUpdatePrompt(GbkText("补丁一"), 0, 5, MusicTexts(), 0);
    ASSERT_TRUE(first->Answered());
    EXPECT_EQ(result, 3);
    auto second = AnswerPrompt(PromptAnswer::NextStart);
    result = ShowUpdatePrompt(GbkText("补丁二"), 0, 5, MusicTexts(), result);
    ASSERT_TRUE(second->Answered());
    EXPECT_EQ(second->Prompt().notes, QStringLiteral("补丁二"));
    EXPECT_EQ(result, 0);
}

TEST(UpdatePromptTest, OffTheApplicationThreadShowsNothingAndTraces) {
    std::mutex lock;
    std::vector<std::string> lines;
    SetUiTraceSink([&](std::string_view text) {
        std::lock_guard guard(lock);
        lines.emplace_back(text);
    });
    int result = -1;
    std::thread worker([&] { result = ShowUpdatePrompt(GbkText("主版本升级"), 1, 5, MusicTexts(), 3); });
    worker.join();
    SetUiTraceSink({});
    EXPECT_EQ(result, 3);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "ShowUpdatePrompt : not on the QApplication's thread, nothing shown\n");
}

TEST(PromptDriverTest, GivesUpWhenNoPromptAppears) {
    auto answer = AnswerPrompt(PromptAnswer::Ok, 50);
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer->Finished(); }, 10000));
    EXPECT_FALSE(answer->Found());
    EXPECT_FALSE(answer->Answered());
}

TEST(PromptDriverTest, ClosesAPromptLeftOpenSoTheCallReturns) {
    auto stuck = testing::AnswerWhenShown(QString::fromLatin1(kPromptObjectName), [](QWidget&) { return true; }, 300);
    const int result = ShowUpdatePrompt(GbkText("主版本升级"), 0, 5, MusicTexts(), 3);
    EXPECT_TRUE(stuck->Found());
    EXPECT_TRUE(stuck->ClosedByForce());
    EXPECT_FALSE(stuck->Answered());
    EXPECT_EQ(result, 3);  // closed, not confirmed
}

// The dialog itself: the template's geometry in pixels of the dialog font.
struct PlaceCase {
    int id;
    QRect dialogUnits;
};

class PromptLayoutTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PromptLayoutTest, PlacesTheControlFromTheTemplate) {
    CUpdatePromptDlg dialog(PromptContent{}, 0, 0);
    const DialogBaseUnits units = BaseUnitsOfFont(dialog.font());
    QWidget* control = dialog.findChild<QWidget*>(QString::number(GetParam().id));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), DialogRectToPixels(GetParam().dialogUnits, units));
}

INSTANTIATE_TEST_SUITE_P(Template, PromptLayoutTest,
                         ::testing::Values(PlaceCase{kIdHeader, QRect(10, 12, 105, 11)},
                                           PlaceCase{kIdPicture, QRect(171, 5, 32, 32)},
                                           PlaceCase{kIdNotes, QRect(5, 40, 206, 88)},
                                           PlaceCase{kIdChoiceLabel, QRect(13, 132, 57, 8)},
                                           PlaceCase{kIdInstallNow, QRect(16, 131, 48, 10)},
                                           PlaceCase{kIdNextStart, QRect(67, 131, 72, 10)},
                                           PlaceCase{kIdOk, QRect(147, 146, 50, 14)}),
                         [](const ::testing::TestParamInfo<PlaceCase>& info) {
                             return "Control" + std::to_string(info.param.id);
                         });

TEST(PromptDialogTest, HasTheTemplatesSizeAndNineSongtiPoints) {
    CUpdatePromptDlg dialog(PromptContent{}, 0, 0);
    const DialogBaseUnits units = BaseUnitsOfFont(dialog.font());
    EXPECT_EQ(dialog.size(), QSize(DialogUnitsToPixelsX(216, units), DialogUnitsToPixelsY(165, units)));
    EXPECT_EQ(dialog.font().pointSize(), 9);
    ASSERT_FALSE(dialog.font().families().isEmpty());
    EXPECT_EQ(dialog.font().families().front(), QStringLiteral("宋体"));
    EXPECT_EQ(dialog.objectName(), QString::fromLatin1(kPromptObjectName));
    EXPECT_EQ(dialog.parentWidget(), nullptr);
}

TEST(PromptDialogTest, NotesWrapWithOnlyAVerticalScrollBar) {
    PromptContent content;
    content.notes = QStringLiteral("第一行\n第二行");
    CUpdatePromptDlg dialog(content, 0, 0);
    auto* notes = dialog.findChild<QPlainTextEdit*>(QString::number(kIdNotes));
    ASSERT_NE(notes, nullptr);
    EXPECT_TRUE(notes->isReadOnly());
    EXPECT_EQ(notes->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(notes->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(notes->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_NE(notes->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(notes->document()->blockCount(), 2);
}

TEST(PromptDialogTest, ForcedLabelIsNotClippedByTheTemplateWidth) {
    PromptContent content;
    content.forcedLabel = QStringLiteral("Ludora Game升级包！");
    CUpdatePromptDlg dialog(content, 1, 0);
    auto* label = dialog.findChild<QLabel*>(QString::number(kIdChoiceLabel));
    auto* ok = dialog.findChild<QWidget*>(QString::number(kIdOk));
    ASSERT_NE(label, nullptr);
    ASSERT_NE(ok, nullptr);
    EXPECT_GE(label->width(), std::min(label->sizeHint().width(), ok->x() - label->x()));
    EXPECT_LE(label->geometry().right(), ok->x());
}

TEST(PromptPictureTest, KeysOutTheCornerColour) {
    const QPixmap picture = PromptPicture();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(32, 32));
    const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (const QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
        EXPECT_EQ(qAlpha(image.pixel(corner)), 0) << corner.x() << "," << corner.y();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) == 255 ? 1 : 0;
    EXPECT_GT(opaque, 32 * 32 / 4);  // the artwork itself stays
    EXPECT_LT(opaque, 32 * 32);
}

}  // namespace
}  // namespace patchwell
