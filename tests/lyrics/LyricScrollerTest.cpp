// The scroll logic of the lyric window, driven tick by tick through a fake
// timer: where the lyric stands, when the timer runs, and what the manual
// corrections do.

#include "lyrics/LyricScrollPacer.h"
#include "lyrics/LyricScroller.h"

#include "LyricTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using lyrictest::Lrc;
using lyrictest::Tag;

namespace {

constexpr int kLine = 20;

class FakeScrollHost : public ILyricScrollHost {
public:
    void StartScrollTimer(uint32_t intervalMs) override {
        active = true;
        interval = intervalMs;
    }
    void StopScrollTimer() override { active = false; }
    void RepaintLyric() override { ++repaints; }

    bool active = false;
    uint32_t interval = 0;
    int repaints = 0;
};

class LyricScrollerTest : public ::testing::Test {
protected:
    // Loads `text`; every display line is `width` pixels wide with its blanks.
    void Load(const std::string& text, int64_t width = 100) {
        model.SetLyric("42", "song", text);
        strip.Reset(model.displayCount(), [width](int) { return width; });
        scroller.ChangeFont(kLine, kLine);
        scroller.Reset(model.displayCount() > 0 ? 0 : -1);
    }

    // Fires the timer while it runs, at most `limit` times; returns the ticks.
    int RunTicks(int limit) {
        int ticks = 0;
        while (host.active && ticks < limit) {
            scroller.Tick();
            ++ticks;
        }
        return ticks;
    }

    LyricModel model;
    CLyricStrip strip;
    FakeScrollHost host;
    CLyricScroller scroller{model, strip, host};
};

const std::string kThreeLines = Lrc({Tag(0) + "one", Tag(10000) + "two", Tag(20000) + "three"});

}  // namespace

TEST_F(LyricScrollerTest, ScrollsOnePixelPerTickAndStopsAtTheLastLine) {
    Load(kThreeLines);
    scroller.Play(15000);
    EXPECT_EQ(scroller.CurrentLine(), 1);
    EXPECT_EQ(scroller.ScrollY(), kLine + 5000 * kLine / 10000);
    ASSERT_TRUE(host.active);
    EXPECT_EQ(host.interval, 10000u / kLine);

    // Ten ticks of 500 ms reach the last line, which starts at its own offset.
    EXPECT_EQ(RunTicks(10), 10);
    EXPECT_EQ(scroller.LyricPos(), 20000u);
    EXPECT_EQ(scroller.CurrentLine(), 2);
    EXPECT_EQ(scroller.ScrollY(), 2 * kLine);
    // Nothing follows the last line: the timer stays off.
    EXPECT_FALSE(host.active);
}

TEST_F(LyricScrollerTest, PauseAndResumeInAnyOrderNeverLeaveATimerRunning) {
    Load(kThreeLines);
    scroller.Resume();  // before any play: from the first line
    EXPECT_TRUE(host.active);
    scroller.Pause();
    scroller.Pause();
    EXPECT_FALSE(host.active);
    scroller.Tick();  // a tick that was already on its way
    EXPECT_FALSE(host.active);
    EXPECT_EQ(scroller.LyricPos(), 0u);

    scroller.Play(25000);  // in the last line
    EXPECT_FALSE(host.active);
    scroller.Resume();
    EXPECT_FALSE(host.active);

    // Past the end sentinel nothing is current and nothing scrolls.
    scroller.Play(620000);
    EXPECT_EQ(scroller.CurrentLine(), -1);
    scroller.Resume();
    scroller.Resume();
    EXPECT_FALSE(host.active);

    // A lyric without times never scrolls by itself.
    Load(Lrc({"one", "two"}));
    scroller.Play(0);
    scroller.Resume();
    EXPECT_FALSE(host.active);
}

TEST_F(LyricScrollerTest, LinesSharingAStartTimeDoNotHaltTheScroll) {
    // A line and its translation start together.
    Load(Lrc({Tag(0) + "one", Tag(10000) + "two", Tag(10000) + "zwei", Tag(20000) + "three", Tag(30000) + "four"}));
    scroller.Play(0);
    RunTicks(1000);
    EXPECT_EQ(scroller.CurrentLine(), 4);
    EXPECT_EQ(scroller.ScrollY(), 4 * kLine);
    EXPECT_GE(scroller.LyricPos(), 30000u);
}

TEST_F(LyricScrollerTest, HorizontalStripKeepsEachLineAtItsOwnStart) {
    // 7 pixels per line do not divide the 10 s of a line evenly.
    Load(kThreeLines, 7);
    scroller.SetMode(LyricMode::Horizontal);
    scroller.Play(0);
    EXPECT_EQ(host.interval, 10000u / 7);
    RunTicks(1000);
    EXPECT_EQ(scroller.CurrentLine(), 2);
    EXPECT_EQ(scroller.ScrollX(), strip.Offset(2));
}

TEST_F(LyricScrollerTest, LongLinesAndLongGapsDoNotOverflowTheOffset) {
    // 600,000 ms to the end sentinel times a strip of 100,000 pixels.
    Load(Lrc({Tag(0) + "one", Tag(1000) + "two"}), 100000);
    scroller.SetMode(LyricMode::Horizontal);
    scroller.Play(1000 + 300000);
    EXPECT_EQ(scroller.CurrentLine(), 1);
    EXPECT_EQ(scroller.ScrollX(), 100000 + 50000);
}

TEST_F(LyricScrollerTest, LineJumpsCountAsCorrectionsThatRestoreTakesBack) {
    Load(kThreeLines);
    scroller.Play(2000);
    scroller.NextLine();
    EXPECT_EQ(scroller.CurrentLine(), 1);
    EXPECT_EQ(scroller.ScrollY(), kLine);
    EXPECT_EQ(scroller.LyricPos(), 10000u);
    EXPECT_EQ(scroller.UserShift(), 8000);
    EXPECT_TRUE(scroller.RestoreEnabled());

    // Back over the start of this line and of the one before.
    scroller.PreviousLine();
    EXPECT_EQ(scroller.CurrentLine(), 0);
    EXPECT_EQ(scroller.ScrollY(), 0);
    EXPECT_EQ(scroller.LyricPos(), 0u);
    EXPECT_EQ(scroller.UserShift(), -2000);

    scroller.Restore();
    EXPECT_EQ(scroller.LyricPos(), 2000u);
    EXPECT_EQ(scroller.UserShift(), 0);
    EXPECT_EQ(scroller.ScrollY(), 2000 * kLine / 10000);
    EXPECT_FALSE(scroller.RestoreEnabled());

    // Into an untimed line at the bottom there is nothing to walk to.
    Load(Lrc({Tag(0) + "one", Tag(10000) + "two", "credits"}));
    scroller.Play(5000);
    scroller.NextLine();
    scroller.NextLine();
    EXPECT_EQ(scroller.CurrentLine(), 1);
    EXPECT_EQ(scroller.LyricPos(), 10000u);
    EXPECT_EQ(scroller.UserShift(), 5000);
}

TEST_F(LyricScrollerTest, HalfSecondCorrectionsMoveAcrossLinesAndRestartTheTimer) {
    Load(kThreeLines);
    scroller.Play(9800);
    scroller.Ahead();
    EXPECT_EQ(scroller.CurrentLine(), 1);
    EXPECT_EQ(scroller.ScrollY(), kLine + 300 * kLine / 10000);
    EXPECT_TRUE(host.active);
    EXPECT_EQ(scroller.UserShift(), 500);
    scroller.Back();
    scroller.Back();
    EXPECT_EQ(scroller.CurrentLine(), 0);
    EXPECT_EQ(scroller.LyricPos(), 9300u);
    EXPECT_EQ(scroller.UserShift(), -500);
}

TEST_F(LyricScrollerTest, FontChangeKeepsTheShareOfTheLineAndItsTiming) {
    Load(kThreeLines);
    scroller.Play(15000);  // half way through line 1
    scroller.ChangeFont(30, 30);
    EXPECT_EQ(scroller.ScrollY(), 30 + 15);
    EXPECT_EQ(host.interval, 10000u / 30);

    scroller.SetMode(LyricMode::Horizontal);
    EXPECT_EQ(scroller.ScrollX(), 100 + 50);
}

TEST_F(LyricScrollerTest, UntimedLyricScrollsAndDragsOnlyWithinItsText) {
    Load(Lrc({"one", "two", "three"}));
    scroller.Step(-1, 300);  // before the top
    EXPECT_EQ(scroller.ScrollY(), 0);
    scroller.Step(+1, 300);
    scroller.Step(+1, 300);
    EXPECT_EQ(scroller.ScrollY(), 2 * kLine);
    scroller.Step(+1, 300);  // past the last line
    EXPECT_EQ(scroller.ScrollY(), 2 * kLine);

    scroller.BeginDrag(QPoint(10, 100));
    scroller.DragTo(QPoint(10, -1000));
    EXPECT_EQ(scroller.ScrollY(), 3 * kLine - 1);
    scroller.DragTo(QPoint(10, 1000));
    EXPECT_EQ(scroller.ScrollY(), 0);
    EXPECT_EQ(scroller.LyricPos(), 0u);

    // The strip stops 129 pixels before its end.
    scroller.SetMode(LyricMode::Horizontal);
    scroller.BeginDrag(QPoint(100, 10));
    scroller.DragTo(QPoint(-900, 10));
    EXPECT_EQ(scroller.ScrollX(), 300 - 129);
}

TEST(ScrollPacer, LateTicksDoNotAddUpUnlessTheScheduleIsLost) {
    CScrollPacer pacer;
    EXPECT_EQ(pacer.Schedule(1000, 100, false), 100);
    EXPECT_EQ(pacer.Schedule(1130, 100, true), 70);  // the tick ran 30 ms late
    EXPECT_EQ(pacer.Schedule(1350, 100, true), 0);   // due at 1300: at once
    EXPECT_EQ(pacer.Schedule(1351, 100, true), 49);
    // A new start counts from now; so does a schedule a long sleep behind.
    EXPECT_EQ(pacer.Schedule(1500, 100, false), 100);
    EXPECT_EQ(pacer.Schedule(9000, 100, true), 100);
}
