#include "skin/controls/ControlColour.h"
#include "skin/controls/EditTrans.h"
#include "skin/controls/Label.h"
#include "skin/controls/LabelEx.h"
#include "skin/controls/RollTextStatic.h"

#include "platform/Shell.h"
#include "skin/SkinDescription.h"
#include "tests/skin/controls/ControlTestSupport.h"

#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

// ---- CLabel -------------------------------------------------------------------

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tonvik::platform::SetShellRecorder([this](const tonvik::platform::ShellRequest& request) {
            opened.push_back(request.target);
            return true;
        });
        label = new CLabel(&parent, 1130);
        label->setGeometry(5, 5, 160, 20);
        label->SetText(QStringLiteral("http://127.0.0.1/about"));
        parent.show();
    }
    void TearDown() override { tonvik::platform::SetShellRecorder({}); }

    std::vector<std::string> opened;
    CRecordingParent parent;
    CLabel* label = nullptr;
};

TEST_F(LabelTest, PlainLabelIgnoresClicks) {
    QTest::mouseClick(label, Qt::LeftButton, {}, {10, 10});
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(parent.Messages().empty());
    EXPECT_NE(label->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(LabelTest, LinkOpensItsAddressUnlessItNotifiesTheParent) {
    QSignalSpy clicks(label, &CLabel::clicked);
    label->SetLink(true, false);
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(label, Qt::LeftButton, {}, {10, 10});
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "http://127.0.0.1/about");
    EXPECT_TRUE(parent.Messages().empty());

    label->SetLinkUrl(QStringLiteral("http://127.0.0.1/other"));
    QTest::mouseClick(label, Qt::LeftButton, {}, {10, 10});
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], "http://127.0.0.1/other");

    label->SetLink(true, true);
    QTest::mouseClick(label, Qt::LeftButton, {}, {10, 10});
    EXPECT_EQ(opened.size(), 2u);
    const auto commands = parent.Of(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, WPARAM(1130));
    EXPECT_EQ(clicks.count(), 3);
}

TEST_F(LabelTest, ReleaseOutsideIsNoClickAndTheCursorCanBeChosen) {
    label->SetLink(true, true);
    QTest::mousePress(label, Qt::LeftButton, {}, {10, 10});
    QTest::mouseRelease(label, Qt::LeftButton, {}, {300, 10});
    EXPECT_TRUE(parent.Messages().empty());
    label->SetLinkCursor(QCursor(Qt::IBeamCursor));
    EXPECT_EQ(label->cursor().shape(), Qt::IBeamCursor);
    label->SetLink(false, false);
    EXPECT_NE(label->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(LabelTest, ColoursAndFontReachThePicture) {
    label->SetText(QStringLiteral("█████"));
    label->SetTextColor(Rgb(0, 0, 255));
    EXPECT_EQ(label->TextColor(), QColor(0, 0, 255));
    label->SetTextColor(Qt::red);
    EXPECT_EQ(label->TextColor(), QColor(Qt::red));
    label->SetBkColor(QColor(0, 120, 0));
    label->SetTransparent(false);
    label->SetFontUnderline(true);
    EXPECT_TRUE(label->LabelFont().underline());
    const QImage shot = label->grab().toImage();
    EXPECT_EQ(shot.pixelColor(label->width() - 2, 1), QColor(0, 120, 0));
    bool sawText = false;
    for (int x = 0; x < 40 && !sawText; ++x)
        sawText = shot.pixelColor(x, 10) == QColor(Qt::red);
    EXPECT_TRUE(sawText);
}

// ---- CLabelEx -------------------------------------------------------------------

TEST(LabelEx, GradientIsPaintedInBands) {
    CLabelEx label;
    label.resize(300, 16);
    label.SetBkColor(Rgb(0, 0, 0), Rgb(0, 0, 198));
    ASSERT_TRUE(label.HasGradient());
    const QImage shot = label.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 8), QColor(0, 0, 0));
    EXPECT_EQ(shot.pixelColor(299, 8), QColor(0, 0, 198));
    EXPECT_EQ(shot.pixelColor(150, 8), QColor(0, 0, 100));  // band 50 of 100
    EXPECT_EQ(shot.pixelColor(151, 8), shot.pixelColor(152, 8));  // three pixels per band
    label.SetBkColor(Rgb(10, 20, 30));
    EXPECT_FALSE(label.HasGradient());
    EXPECT_EQ(label.grab().toImage().pixelColor(290, 3), QColor(10, 20, 30));
}

TEST(LabelEx, FlashingTogglesUntilSwitchedOff) {
    CLabelEx label;
    label.resize(80, 16);
    label.SetText(QStringLiteral("闪烁"));
    EXPECT_FALSE(label.IsFlashing());
    label.FlashText(true);
    EXPECT_TRUE(label.IsFlashing());
    EXPECT_TRUE(label.TextShown());
    QTRY_VERIFY_WITH_TIMEOUT(!label.TextShown(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(label.TextShown(), 5000);
    EXPECT_TRUE(label.BackgroundShown());  // only the text flashes

    label.FlashBackground(true);
    label.FlashText(false);
    EXPECT_TRUE(label.IsFlashing());  // the background still flashes
    QTRY_VERIFY_WITH_TIMEOUT(!label.BackgroundShown(), 5000);
    EXPECT_TRUE(label.TextShown());

    label.FlashBackground(false);
    EXPECT_FALSE(label.IsFlashing());
    EXPECT_TRUE(label.BackgroundShown());  // switched off: everything shows again
    EXPECT_TRUE(label.TextShown());
}

TEST(LabelEx, LinkPostsClicksAndShowsTheHand) {
    CRecordingParent parent;
    CLabelEx label(&parent, 1201);
    label.setGeometry(0, 0, 80, 16);
    parent.show();
    QTest::mouseClick(&label, Qt::LeftButton, {}, {5, 5});
    EXPECT_TRUE(parent.Messages().empty());
    label.SetLink(true);
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(&label, Qt::LeftButton, {}, {5, 5});
    const auto commands = parent.Of(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, WPARAM(1201));
}

TEST(LabelEx, FontSettersAndRotation) {
    CLabelEx label;
    label.resize(60, 60);
    label.SetText(QStringLiteral("标题")).SetFontBold(true).SetFontItalic(true).SetFontSize(12).SetRotationAngle(450);
    EXPECT_EQ(label.LabelFont().weight(), QFont::Bold);
    EXPECT_TRUE(label.LabelFont().italic());
    EXPECT_EQ(label.LabelFont().pointSize(), 12);
    EXPECT_EQ(label.RotationAngle(), 90);
    label.SetFontBold(false).SetFontSize(0);  // a size of 0 keeps the old one
    EXPECT_EQ(label.LabelFont().weight(), QFont::Normal);
    EXPECT_EQ(label.LabelFont().pointSize(), 12);
    EXPECT_FALSE(label.grab().isNull());
}

// ---- CRollTextStatic ------------------------------------------------------------

CSkinDescription ShippedSkin(const char* folder) { return CSkinDescription(TONVIK_DATA_DIR, folder); }

TEST(RollText, ShortTitleLeavesLeftAndComesBackFromTheRight) {
    CRollTextStatic title;
    title.resize(200, 20);
    title.SetText(QStringLiteral("晚风"));
    const int textWidth = title.TextWidth();
    ASSERT_GT(textWidth, 0);
    ASSERT_LT(textWidth, 200);
    bool leftCompletely = false;
    int steps = 0;
    while (title.ScrollPos() >= 0 && steps < 10000) {
        leftCompletely = leftCompletely || title.TextX() + textWidth <= 0;
        title.RollStep();
        ++steps;
    }
    EXPECT_TRUE(leftCompletely);
    EXPECT_EQ(title.TextX(), 200);
    EXPECT_FALSE(title.grab().isNull());
}

TEST(RollText, RollingRunsOnItsTimerAndStops) {
    CRollTextStatic title;
    title.resize(200, 20);
    title.SetText(QStringLiteral("晚风--林夕"));
    title.StartRolling();
    EXPECT_TRUE(title.IsRolling());
    QTRY_VERIFY_WITH_TIMEOUT(title.ScrollPos() >= 3, 5000);
    title.StopRolling();
    EXPECT_FALSE(title.IsRolling());
    EXPECT_EQ(title.ScrollPos(), 0);
}

TEST(RollText, Skin2TitlesUseTheBoldFontForTheName) {
    const CSkinDescription skin2 = ShippedSkin("Skin2");
    ASSERT_TRUE(skin2.Loaded());
    CRollTextStatic title;
    title.resize(326, 20);
    title.SetSkin(skin2);
    EXPECT_TRUE(title.IsSkin2());
    EXPECT_EQ(title.TextColor(), ColorRefToQColor(skin2.TextColour("Static0")));
    title.SetText(QStringLiteral("晚风晚风--林夕"));
    const int expected = QFontMetrics(title.BoldFont()).horizontalAdvance(QStringLiteral("晚风晚风")) +
                         QFontMetrics(title.NormalFont()).horizontalAdvance(QStringLiteral("--林夕"));
    EXPECT_EQ(title.TextWidth(), expected);

    const CSkinDescription skin = ShippedSkin("Skin");
    ASSERT_TRUE(skin.Loaded());
    title.SetSkin(skin);
    EXPECT_FALSE(title.IsSkin2());
    EXPECT_EQ(title.TextWidth(), QFontMetrics(title.NormalFont()).horizontalAdvance(QStringLiteral("晚风晚风--林夕")));
}

TEST(RollText, LyricLinkClickAsksForTheLyricWindow) {
    CRollTextStatic title;
    title.resize(300, 20);
    title.SetText(QStringLiteral("晚风"));
    QSignalSpy toggles(&title, &CRollTextStatic::lyricToggleRequested);
    // At scroll position 0 the link starts at x = text width, inside the control.
    const int linkX = title.LinkX();
    ASSERT_GT(linkX, 0);
    ASSERT_LT(linkX, 300 - 25);
    QTest::mouseClick(&title, Qt::LeftButton, {}, {linkX + 2, 10});
    EXPECT_EQ(toggles.count(), 1);
    QTest::mouseClick(&title, Qt::LeftButton, {}, {linkX + 30, 10});  // past the link
    QTest::mouseClick(&title, Qt::LeftButton, {}, {linkX + 2, 1});    // above it
    EXPECT_EQ(toggles.count(), 1);

    title.SetText(QStringLiteral("正在缓冲..."));
    EXPECT_FALSE(title.HasLyricLink());
    QTest::mouseClick(&title, Qt::LeftButton, {}, {title.LinkX() + 2, 10});
    EXPECT_EQ(toggles.count(), 1);
}

TEST(RollText, LinkThatRolledOutOfTheControlIsNotClickable) {
    CRollTextStatic title;
    title.resize(300, 20);
    title.SetText(QStringLiteral("晚风"));
    QSignalSpy toggles(&title, &CRollTextStatic::lyricToggleRequested);
    while (title.LinkX() > 0)
        title.RollStep();
    QTest::mouseClick(&title, Qt::LeftButton, {}, {std::max(0, title.LinkX() + 2), 10});
    EXPECT_EQ(toggles.count(), 0);
}

struct TimeFieldCase {
    const char* folder;
    bool isTimeText;
    const char* text;
    const char* shown;
};

class TimeField : public ::testing::TestWithParam<TimeFieldCase> {};

TEST_P(TimeField, ShowsTheTextByTheSlashRuleOfItsSkin) {
    const TimeFieldCase& c = GetParam();
    const CSkinDescription skin = ShippedSkin(c.folder);
    ASSERT_TRUE(skin.Loaded());
    CRollTextStatic field(nullptr, CRollTextStatic::Variant::Plain);
    field.SetTimeText(c.isTimeText);
    field.SetSkin(skin);
    field.SetText(QString::fromUtf8(c.text));
    EXPECT_EQ(field.DisplayText(), QString::fromUtf8(c.shown));
    const char* section = c.isTimeText ? "Static5" : "Static1";
    EXPECT_EQ(field.TextColor(), ColorRefToQColor(skin.TextColour(section)));
    // The skins give a positive height, if any: the whole cell fits in it.
    const SkinFont font = skin.Font(section);
    if (font.height > 0) {
        EXPECT_LE(QFontMetrics(field.TimeFont()).height(), font.height);
    }
    EXPECT_EQ(field.TimeFont().families().value(0), QStringLiteral("Arial Unicode MS"));
}

TEST(TimeFieldTest, TheDurationReadsItsSectionWhicheverComesFirst) {
    const CSkinDescription skin = ShippedSkin("Skin2");
    ASSERT_NE(skin.TextColour("Static5"), skin.TextColour("Static1"));
    CRollTextStatic field(nullptr, CRollTextStatic::Variant::Plain);
    field.SetSkin(skin);
    field.SetTimeText(true);
    EXPECT_EQ(field.TextColor(), ColorRefToQColor(skin.TextColour("Static5")));
}

TEST(FontOfLogicalHeightTest, NegativeIsTheCharacterHeightPositiveTheCell) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial Unicode MS"), QStringLiteral("WenQuanYi Micro Hei")});
    EXPECT_EQ(FontOfLogicalHeight(font, -12).pixelSize(), 12);
    const QFont cell = FontOfLogicalHeight(font, 20);
    EXPECT_LE(QFontMetrics(cell).height(), 20);
    QFont larger = cell;
    larger.setPixelSize(cell.pixelSize() + 1);
    EXPECT_GT(QFontMetrics(larger).height(), 20);
    EXPECT_EQ(FontOfLogicalHeight(font, 0), font);
}

INSTANTIATE_TEST_SUITE_P(
    Skins, TimeField,
    ::testing::Values(TimeFieldCase{"Skin2", true, "04:05", "/04:05"}, TimeFieldCase{"Skin2", true, "//04:05", "/04:05"},
                      TimeFieldCase{"Skin2", true, "/", ""}, TimeFieldCase{"Skin", true, "/04:05", "04:05"},
                      TimeFieldCase{"Skin", true, "/", ""}, TimeFieldCase{"Skin2", false, "00:00", "00:00"},
                      TimeFieldCase{"Skin2/MiniSkin", true, "04:05", "/04:05"}));

// ---- CEditTrans -----------------------------------------------------------------

TEST(EditTrans, PlaceholderKeepsTheTextAsideAndAClickEmptiesTheBox) {
    QWidget window;
    CEditTrans edit(&window);
    QLineEdit other(&window);
    edit.setGeometry(0, 0, 120, 20);
    other.setGeometry(0, 30, 120, 20);
    edit.SetPlaceholder(true);
    window.show();
    edit.setText(QStringLiteral("晚风"));
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&edit, &focusOut);
    EXPECT_EQ(edit.SavedText(), QStringLiteral("晚风"));
    EXPECT_EQ(edit.text(), CEditTrans::PlaceholderText());
    QTest::mouseClick(&edit, Qt::LeftButton, {}, {10, 10});
    EXPECT_TRUE(edit.text().isEmpty());
}

TEST(EditTrans, WithoutPlaceholderTextStaysAndColoursApply) {
    CEditTrans edit;
    edit.resize(120, 20);
    EXPECT_TRUE(edit.IsTransparent());
    edit.setText(QStringLiteral("abc"));
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&edit, &focusOut);
    QTest::mouseClick(&edit, Qt::LeftButton, {}, {10, 10});
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
    edit.SetTextColor(Rgb(200, 10, 10));
    edit.SetBackColor(Rgb(0, 0, 80));
    EXPECT_FALSE(edit.IsTransparent());
    EXPECT_EQ(edit.palette().color(QPalette::Text), QColor(200, 10, 10));
    EXPECT_EQ(edit.grab().toImage().pixelColor(118, 2), QColor(0, 0, 80));
}

}  // namespace
