#include "skin/controls/HoverButton.h"
#include "skin/controls/SkinButtonEx.h"

#include "tests/skin/controls/ControlTestSupport.h"
#include "tests/support/TempDir.h"

#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kButtonId = 1018;

void SendEnter(QWidget* widget, QPoint at)
{
    QEnterEvent enter(at, widget->mapTo(widget->window(), at), widget->mapToGlobal(at));
    QCoreApplication::sendEvent(widget, &enter);
}

void SendLeave(QWidget* widget)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
}

class SkinButtonExTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        button = new CSkinButtonEx(&parent, kButtonId);
        button->SetImages(WriteBitmap(dir.Path(), "Play.bmp", {40, 40}, qRgb(10, 10, 10)),
                          WriteBitmap(dir.Path(), "PlayOver.bmp", {40, 40}, qRgb(20, 20, 20)),
                          WriteBitmap(dir.Path(), "PlayClick.bmp", {40, 40}, qRgb(30, 30, 30)),
                          QStringLiteral("播放"));
        button->setGeometry(10, 10, 40, 40);
        parent.show();
    }

    TempDir dir;
    CRecordingParent parent;
    CSkinButtonEx* button = nullptr;
};

TEST_F(SkinButtonExTest, ReleaseInsidePostsTheCommandOnce) {
    QSignalSpy clicks(button, &CSkinButtonEx::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, {20, 20});
    EXPECT_EQ(button->CurrentState(), CSkinButtonEx::State::Pressed);
    EXPECT_TRUE(parent.Of(WM_COMMAND).empty());  // nothing before the release
    QTest::mouseRelease(button, Qt::LeftButton, {}, {22, 25});
    EXPECT_EQ(button->CurrentState(), CSkinButtonEx::State::Normal);
    const auto commands = parent.Of(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, WPARAM(kButtonId));
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(SkinButtonExTest, ReleaseOutsidePostsNothing) {
    for (QPoint outside : {QPoint(45, 20), QPoint(20, -3), QPoint(-1, -1), QPoint(40, 40)}) {
        QTest::mousePress(button, Qt::LeftButton, {}, {20, 20});
        QTest::mouseRelease(button, Qt::LeftButton, {}, outside);
        EXPECT_EQ(button->CurrentState(), CSkinButtonEx::State::Normal);
    }
    EXPECT_TRUE(parent.Messages().empty());
}

TEST_F(SkinButtonExTest, LeavingWhilePressedAndComingBackStillClicksOnce) {
    QTest::mousePress(button, Qt::LeftButton, {}, {20, 20});
    QTest::mouseMove(button, {80, 80});
    QTest::mouseMove(button, {30, 30});
    QTest::mouseRelease(button, Qt::LeftButton, {}, {30, 30});
    ASSERT_EQ(parent.Of(WM_COMMAND).size(), 1u);
    QTest::mouseRelease(button, Qt::LeftButton, {}, {30, 30});  // a second release is no click
    EXPECT_EQ(parent.Of(WM_COMMAND).size(), 1u);
}

TEST_F(SkinButtonExTest, ReleaseWithoutPressAndOtherButtonsPostNothing) {
    QTest::mouseRelease(button, Qt::LeftButton, {}, {20, 20});
    QTest::mousePress(button, Qt::RightButton, {}, {20, 20});
    EXPECT_NE(button->CurrentState(), CSkinButtonEx::State::Pressed);
    QTest::mouseRelease(button, Qt::RightButton, {}, {20, 20});
    EXPECT_TRUE(parent.Messages().empty());
}

TEST_F(SkinButtonExTest, HoverShowsTheHoverImageAndLeavingTheNormal) {
    SendEnter(button, {5, 5});
    EXPECT_TRUE(button->IsHover());
    EXPECT_TRUE(button->IsTracking());
    EXPECT_EQ(button->CurrentState(), CSkinButtonEx::State::Hover);
    EXPECT_EQ(button->grab().toImage().pixelColor(20, 20), QColor(20, 20, 20));
    SendLeave(button);
    EXPECT_FALSE(button->IsHover());
    EXPECT_FALSE(button->IsTracking());
    EXPECT_EQ(button->CurrentState(), CSkinButtonEx::State::Normal);
    EXPECT_EQ(button->grab().toImage().pixelColor(20, 20), QColor(10, 10, 10));
    EXPECT_EQ(button->toolTip(), QStringLiteral("播放"));
}

TEST_F(SkinButtonExTest, RoundButtonsShowTheHandOnlyInsideTheEllipse) {
    EXPECT_TRUE(button->HitTest({1, 1}));
    button->SetRound(true);
    QTest::mouseMove(button, {1, 1});
    EXPECT_FALSE(button->HitTest({1, 1}));
    EXPECT_EQ(button->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(button, {20, 20});
    EXPECT_TRUE(button->HitTest({20, 20}));
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(button, {38, 2});
    EXPECT_EQ(button->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(SkinButtonExTest, MissingFilesLeaveTheirImagesEmpty) {
    CSkinButtonEx partial(&parent, 5);
    partial.SetImages(WriteBitmap(dir.Path(), "Stop.bmp", {20, 20}, qRgb(1, 2, 3)), (dir / "none.bmp").string(), {});
    EXPECT_TRUE(partial.HasImage(CSkinButtonEx::State::Normal));
    EXPECT_FALSE(partial.HasImage(CSkinButtonEx::State::Hover));
    EXPECT_FALSE(partial.HasImage(CSkinButtonEx::State::Pressed));
    QTest::mouseClick(&partial, Qt::LeftButton, {}, {5, 5});  // still a working button
    ASSERT_EQ(parent.Of(WM_COMMAND).size(), 1u);
    EXPECT_EQ(parent.Of(WM_COMMAND)[0].wParam, WPARAM(5));
}

TEST_F(SkinButtonExTest, KeyColourIsSeeThrough) {
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 255));
    picture.setPixel(20, 20, qRgb(0, 0, 200));
    button->SetImages(WriteBitmap(dir.Path(), "Keyed.bmp", picture), {}, {});
    QImage shot(40, 40, QImage::Format_ARGB32);
    shot.fill(Qt::transparent);
    button->render(&shot, {}, {}, QWidget::RenderFlags());
    EXPECT_EQ(shot.pixelColor(20, 20), QColor(0, 0, 200));
    EXPECT_EQ(shot.pixelColor(3, 3).alpha(), 0);
}

// ---- CHoverButton -------------------------------------------------------------

class HoverButtonTest : public ::testing::Test {
protected:
    std::string Picture(const char* name, QRgb colour) { return WriteBitmap(dir.Path(), name, {24, 18}, colour); }
    QColor Shown(CHoverButton& button) { return button.grab().toImage().pixelColor(12, 9); }

    TempDir dir;
    CRecordingParent parent;
};

TEST_F(HoverButtonTest, OneImageShowsInEveryState) {
    CHoverButton button(&parent, 1101);
    ASSERT_TRUE(button.LoadImages(Picture("Add.bmp", qRgb(50, 60, 70))));
    parent.show();
    EXPECT_EQ(button.size(), QSize(24, 18));
    const QColor normal(50, 60, 70);
    EXPECT_EQ(Shown(button), normal);
    SendEnter(&button, {3, 3});
    EXPECT_TRUE(button.IsHover());
    EXPECT_EQ(button.CurrentImageIndex(), 0);
    EXPECT_EQ(Shown(button), normal);
    button.setDown(true);
    EXPECT_EQ(Shown(button), normal);
    button.setDown(false);
    SendLeave(&button);
    button.setEnabled(false);
    EXPECT_EQ(Shown(button), normal);
}

TEST_F(HoverButtonTest, FourImagesFollowTheState) {
    CHoverButton button(&parent, 1102);
    ASSERT_TRUE(button.LoadImages(Picture("N.bmp", qRgb(1, 1, 100)), Picture("O.bmp", qRgb(2, 2, 100)),
                                  Picture("C.bmp", qRgb(3, 3, 100)), Picture("D.bmp", qRgb(4, 4, 100))));
    parent.show();
    ASSERT_EQ(button.ImageCount(), 4);
    EXPECT_EQ(Shown(button), QColor(1, 1, 100));
    SendEnter(&button, {3, 3});
    EXPECT_EQ(Shown(button), QColor(2, 2, 100));
    button.setDown(true);
    EXPECT_EQ(Shown(button), QColor(3, 3, 100));
    button.setDown(false);
    button.setEnabled(false);
    EXPECT_EQ(Shown(button), QColor(4, 4, 100));
    button.setEnabled(true);
    SendLeave(&button);
    EXPECT_EQ(Shown(button), QColor(1, 1, 100));
}

TEST_F(HoverButtonTest, AMissingImageEndsTheListSoOthersKeepTheirPlace) {
    CHoverButton button(&parent, 1103);
    ASSERT_TRUE(button.LoadImages(Picture("N.bmp", qRgb(1, 1, 100)), (dir / "nohover.bmp").string(),
                                  Picture("C.bmp", qRgb(3, 3, 100))));
    EXPECT_EQ(button.ImageCount(), 1);
    button.setDown(true);
    EXPECT_EQ(button.CurrentImageIndex(), 0);  // not the pressed picture shown as hover
}

TEST_F(HoverButtonTest, FailsWithoutTheNormalImage) {
    CHoverButton button(&parent, 1104);
    EXPECT_FALSE(button.LoadImages((dir / "missing.bmp").string(), Picture("O.bmp", qRgb(2, 2, 2))));
    EXPECT_EQ(button.ImageCount(), 0);
    EXPECT_EQ(button.CurrentImageIndex(), -1);
    button.resize(10, 10);
    EXPECT_FALSE(button.grab().isNull());  // paints nothing, does not crash
}

TEST_F(HoverButtonTest, ClickReachesTheParentAsACommand) {
    CHoverButton button(&parent, 1105);
    ASSERT_TRUE(button.LoadImages(Picture("N.bmp", qRgb(1, 1, 100))));
    button.SetTip(QStringLiteral("添加"), true);
    parent.show();
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(clicks.count(), 1);
    const auto commands = parent.Of(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, WPARAM(1105));
    EXPECT_EQ(button.toolTip(), QStringLiteral("添加"));
    button.SetTip(QStringLiteral("添加"), false);
    EXPECT_TRUE(button.toolTip().isEmpty());
}

}  // namespace
