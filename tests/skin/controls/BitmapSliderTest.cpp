#include "skin/controls/BitmapSlider.h"
#include "skin/controls/SkinImage.h"

#include "tests/skin/controls/ControlTestSupport.h"
#include "tests/support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kSliderId = 1043;

// A slider 100 × 20 with a 10 × 10 thumb, range 0 … 100, no margins.
class BitmapSliderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        slider = new CBitmapSlider(&parent, kSliderId);
        ASSERT_TRUE(slider->SetChannelImages(WriteBitmap(dir.Path(), "channel.bmp", {100, 20}, qRgb(40, 40, 40)),
                                             WriteBitmap(dir.Path(), "full.bmp", {100, 20}, qRgb(0, 200, 0)), true,
                                             Rgb(255, 0, 255)));
        // The thumb's corner pixel carries its key colour.
        QImage thumb(10, 10, QImage::Format_RGB32);
        thumb.fill(qRgb(255, 255, 0));
        thumb.setPixel(0, 0, qRgb(0, 0, 255));
        ASSERT_TRUE(slider->SetThumbImages(WriteBitmap(dir.Path(), "thumb.bmp", thumb), {}, true, kKeyFromPixel, 0, 0));
        parent.show();
    }

    // A point on the slider's middle row at horizontal pixel x.
    static QPoint At(int x) { return {x, 10}; }

    TempDir dir;
    CRecordingParent parent;
    CBitmapSlider* slider = nullptr;
};

TEST_F(BitmapSliderTest, TakesItsSizeFromTheChannelAndItsThumbFromTheThumb) {
    EXPECT_EQ(slider->size(), QSize(100, 20));
    EXPECT_EQ(slider->ThumbSize(), QSize(10, 10));
    slider->SetValue(50);
    EXPECT_EQ(slider->ThumbPixel(), 50);
    EXPECT_EQ(slider->ThumbTopLeft(), QPoint(45, 6));
}

TEST_F(BitmapSliderTest, SetValueIsClampedIntoTheRange) {
    slider->SetValue(140);
    EXPECT_EQ(slider->GetValue(), 100);
    slider->SetValue(-3);
    EXPECT_EQ(slider->GetValue(), 0);
    slider->SetValue(70);
    slider->SetValueRange(0, 40);
    EXPECT_EQ(slider->GetValue(), 40);
    slider->SetValueRange(10, -10);  // given the wrong way round
    EXPECT_EQ(slider->Minimum(), -10);
    EXPECT_EQ(slider->Maximum(), 10);
    EXPECT_EQ(slider->GetValue(), 10);
    EXPECT_TRUE(parent.Messages().empty());  // set-up moves tell nobody
}

TEST_F(BitmapSliderTest, PressOffTheThumbJumpsThereAndReportsTheDrag) {
    slider->SetValue(50);
    QTest::mousePress(slider, Qt::LeftButton, {}, At(5));
    EXPECT_TRUE(slider->IsDragging());
    EXPECT_EQ(slider->DragOffset(), 0);
    EXPECT_EQ(slider->GetValue(), 0);
    auto moving = parent.Of(kSliderMoving);
    ASSERT_EQ(moving.size(), 1u);
    EXPECT_EQ(moving[0].wParam, WPARAM(kSliderId));
    EXPECT_EQ(moving[0].lParam, 0);
    EXPECT_TRUE(parent.Of(kSliderMoved).empty());

    QTest::mouseRelease(slider, Qt::LeftButton, {}, At(5));
    EXPECT_FALSE(slider->IsDragging());
    const auto moved = parent.Of(kSliderMoved);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].wParam, WPARAM(kSliderId));
    EXPECT_EQ(moved[0].lParam, 0);
}

TEST_F(BitmapSliderTest, PixelNinetyFiveIsTheMaximum) {
    QTest::mousePress(slider, Qt::LeftButton, {}, At(95));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, At(95));
    EXPECT_EQ(slider->GetValue(), 100);
    ASSERT_EQ(parent.Of(kSliderMoved).size(), 1u);
    EXPECT_EQ(parent.Of(kSliderMoved)[0].lParam, 100);
}

TEST_F(BitmapSliderTest, PressOnTheThumbKeepsTheGripWhileDragging) {
    slider->SetValue(50);  // thumb centre at 50
    QTest::mousePress(slider, Qt::LeftButton, {}, At(53));
    EXPECT_EQ(slider->DragOffset(), 3);
    EXPECT_EQ(slider->GetValue(), 50);           // no jump
    EXPECT_TRUE(parent.Of(kSliderMoving).empty());

    QTest::mouseMove(slider, At(71));            // centre to 68: (68 − 5) × 100 / 90 = 70
    EXPECT_EQ(slider->GetValue(), 70);
    QTest::mouseMove(slider, At(71));            // the same place: no news
    auto moving = parent.Of(kSliderMoving);
    ASSERT_EQ(moving.size(), 1u);
    EXPECT_EQ(moving[0].lParam, 70);

    QTest::mouseMove(slider, At(400));           // far beyond the end: clamped
    EXPECT_EQ(slider->GetValue(), 100);
    QTest::mouseMove(slider, At(-300));
    EXPECT_EQ(slider->GetValue(), 0);
    moving = parent.Of(kSliderMoving);
    ASSERT_EQ(moving.size(), 3u);
    EXPECT_EQ(moving[1].lParam, 100);
    EXPECT_EQ(moving[2].lParam, 0);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, At(-300));
    EXPECT_EQ(parent.Of(kSliderMoved).size(), 1u);
}

TEST_F(BitmapSliderTest, PressAndReleaseOnTheThumbKeepAValueThatDoesNotMapBack) {
    slider->SetValue(33);  // pixel 34, which by itself reads as 32
    ASSERT_EQ(slider->ThumbPixel(), 34);
    QTest::mousePress(slider, Qt::LeftButton, {}, At(34));
    EXPECT_EQ(slider->DragOffset(), 0);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, At(34));
    EXPECT_EQ(slider->GetValue(), 33);
    EXPECT_TRUE(parent.Of(kSliderMoving).empty());
    const auto moved = parent.Of(kSliderMoved);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].lParam, 33);
}

TEST_F(BitmapSliderTest, DisabledSliderIgnoresMouseAndKeys) {
    slider->SetValue(50);
    slider->SetEnabled(false);
    QTest::mousePress(slider, Qt::LeftButton, {}, At(5));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, At(5));
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(slider->GetValue(), 50);
    EXPECT_FALSE(slider->IsDragging());
    EXPECT_TRUE(parent.Messages().empty());
}

struct KeyCase {
    const char* name;
    Qt::Key key;
    int from;
    int expected;
};

class SliderKeys : public BitmapSliderTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(SliderKeys, MoveIsClampedAndReportedAsReleased) {
    const KeyCase& c = GetParam();
    slider->SetValue(c.from);
    QTest::keyClick(slider, c.key);
    EXPECT_EQ(slider->GetValue(), c.expected);
    const auto moved = parent.Of(kSliderMoved);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].wParam, WPARAM(kSliderId));
    EXPECT_EQ(moved[0].lParam, c.expected);
    EXPECT_TRUE(parent.Of(kSliderMoving).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SliderKeys,
    ::testing::Values(KeyCase{"PageDownClamped", Qt::Key_PageDown, 95, 100},
                      KeyCase{"PageDown", Qt::Key_PageDown, 30, 50}, KeyCase{"PageUp", Qt::Key_PageUp, 30, 10},
                      KeyCase{"PageUpClamped", Qt::Key_PageUp, 5, 0}, KeyCase{"End", Qt::Key_End, 30, 100},
                      KeyCase{"Home", Qt::Key_Home, 30, 0}, KeyCase{"Right", Qt::Key_Right, 30, 31},
                      KeyCase{"Down", Qt::Key_Down, 30, 31}, KeyCase{"Left", Qt::Key_Left, 30, 29},
                      KeyCase{"Up", Qt::Key_Up, 30, 29}, KeyCase{"LeftAtMinimum", Qt::Key_Left, 0, 0},
                      KeyCase{"RightAtMaximum", Qt::Key_Right, 100, 100}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST_F(BitmapSliderTest, PageSizeComesFromSetStep) {
    slider->SetStep(7);
    slider->SetValue(10);
    QTest::keyClick(slider, Qt::Key_PageDown);
    EXPECT_EQ(slider->GetValue(), 17);
}

TEST_F(BitmapSliderTest, HugePagesDoNotWrapAround) {
    slider->SetValueRange(0, 2147483647);
    slider->SetValue(2147483600);
    slider->SetStep(1000);
    QTest::keyClick(slider, Qt::Key_PageDown);
    EXPECT_EQ(slider->GetValue(), 2147483647);
}

TEST_F(BitmapSliderTest, MarginsNarrowTheTrack) {
    slider->SetMargins(10, 0, 10, 0);  // track 70 pixels from 15 to 85
    QTest::mousePress(slider, Qt::LeftButton, {}, At(2));
    EXPECT_EQ(slider->GetValue(), 0);
    QTest::mouseMove(slider, At(85));
    EXPECT_EQ(slider->GetValue(), 100);
    QTest::mouseMove(slider, At(50));  // (50 − 15) × 100 / 70
    EXPECT_EQ(slider->GetValue(), 50);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, At(50));
}

TEST_F(BitmapSliderTest, VerticalSlidersUseTheHeight) {
    CBitmapSlider vertical(&parent, 7);
    ASSERT_TRUE(vertical.SetChannelImages(WriteBitmap(dir.Path(), "vchannel.bmp", {20, 100}, qRgb(1, 2, 3)), {}));
    ASSERT_TRUE(vertical.SetThumbImages(WriteBitmap(dir.Path(), "vthumb.bmp", {12, 10}, qRgb(4, 5, 6)), {}));
    vertical.SetOrientation(true);
    vertical.SetMargins(3, 0, 0, 0);
    vertical.show();
    QTest::mousePress(&vertical, Qt::LeftButton, {}, {10, 95});
    QTest::mouseRelease(&vertical, Qt::LeftButton, {}, {10, 95});
    EXPECT_EQ(vertical.GetValue(), 100);
    vertical.SetValue(50);
    EXPECT_EQ(vertical.ThumbTopLeft(), QPoint(3, 45));
    const auto moved = parent.Of(kSliderMoved);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].wParam, WPARAM(7));
}

TEST_F(BitmapSliderTest, CircleModePutsTheThumbOnTheCircle) {
    CBitmapSlider seek(&parent, 8);
    ASSERT_TRUE(seek.SetChannelImages(WriteBitmap(dir.Path(), "seek.bmp", {110, 40}, qRgb(9, 9, 9)), {}));
    ASSERT_TRUE(seek.SetThumbImages(WriteBitmap(dir.Path(), "seekthumb.bmp", {12, 12}, qRgb(8, 8, 8)), {}));
    seek.SetCircleTrack(54, -27, 57);
    ASSERT_TRUE(seek.IsCircle());
    seek.SetValue(0);  // pixel 6, thumb left 0
    EXPECT_EQ(seek.ThumbTopLeft(), QPoint(0 - 6, CircleTrackY(0, 54, -27, 57) - 6));
    seek.SetValue(50);  // pixel 6 + 49 = 55, left 49: √(57² − 5²) = 56.78
    EXPECT_EQ(seek.ThumbPixel(), 55);
    EXPECT_EQ(seek.ThumbTopLeft(), QPoint(49 - 6, -27 + 56 - 6));
    // Values still follow the horizontal position of the mouse.
    QTest::mousePress(&seek, Qt::LeftButton, {}, {104, 5});
    QTest::mouseRelease(&seek, Qt::LeftButton, {}, {104, 5});
    EXPECT_EQ(seek.GetValue(), 100);
}

TEST_F(BitmapSliderTest, MissingFilesFailAndAnEmptyChannelRemovesEverything) {
    EXPECT_FALSE(slider->SetThumbImages((dir / "nothing.bmp").string(), {}));
    EXPECT_FALSE(slider->SetChannelImages(WriteBitmap(dir.Path(), "c2.bmp", {60, 20}, qRgb(1, 1, 1)),
                                          (dir / "nofull.bmp").string()));
    EXPECT_TRUE(slider->SetChannelImages({}, {}));
    EXPECT_EQ(slider->ThumbSize(), QSize(0, 0));
    // Without pictures the slider still maps and does not divide by zero.
    slider->resize(100, 20);
    QTest::mousePress(slider, Qt::LeftButton, {}, At(50));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, At(50));
    EXPECT_EQ(slider->GetValue(), 50);
}

TEST_F(BitmapSliderTest, ASkinWhoseFilesFailLeavesNothingOfThePreviousOne) {
    slider->SetThumbImages(WriteBitmap(dir.Path(), "thumb.bmp", {10, 10}, qRgb(255, 255, 0)),
                           WriteBitmap(dir.Path(), "drag.bmp", {10, 10}, qRgb(255, 0, 0)));
    slider->SetValue(50);
    EXPECT_FALSE(slider->SetChannelImages((dir / "gone.bmp").string(), (dir / "gonefull.bmp").string()));
    EXPECT_FALSE(slider->SetThumbImages((dir / "gonethumb.bmp").string(), (dir / "gonedrag.bmp").string()));
    QTest::mousePress(slider, Qt::LeftButton, {}, At(50));  // dragging shows the active thumb
    const QImage shot = slider->grab().toImage();
    QTest::mouseRelease(slider, Qt::LeftButton, {}, At(50));
    for (const QRgb old : {qRgb(40, 40, 40), qRgb(0, 200, 0), qRgb(255, 255, 0), qRgb(255, 0, 0)}) {
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                ASSERT_NE(shot.pixel(x, y) | 0xFF000000u, old) << x << "," << y;
    }
}

TEST_F(BitmapSliderTest, PaintsChannelFilledPartAndThumb) {
    slider->SetValue(50);
    const QImage shot = slider->grab().toImage();
    EXPECT_EQ(shot.pixelColor(20, 2), QColor(0, 200, 0));    // filled up to the thumb
    EXPECT_EQ(shot.pixelColor(80, 2), QColor(40, 40, 40));   // bare channel beyond it
    EXPECT_EQ(shot.pixelColor(50, 10), QColor(255, 255, 0)); // the thumb at 45…54, 6…15
    EXPECT_EQ(shot.pixelColor(45, 6), QColor(0, 200, 0));    // its keyed corner lets the track through
}

}  // namespace
