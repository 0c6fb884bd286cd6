// The tray icon's state: icon and tooltip, hiding and restoring, the retry
// of a refused add, restarts of the notification area, balloons, animation.

#include "TrayIconTestSupport.h"

#include "common/Text.h"
#include "notify/TrayIconText.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kTip = "Tonvik Player";

class TrayIconTest : public ::testing::Test {
protected:
    FakeTrayHost host;
    FakeTrayOwner owner;
    CountingIconLoader icons;
    CXTTrayIcon tray{host, icons.Loader()};

    bool Create(const std::string& tip = kTip) {
        return tray.CreateIcon(tip, &owner, 239, IDR_TRAY_MENU, ID_SHOW_MAIN, false);
    }
};

TEST_F(TrayIconTest, CreateAddsIconWithMessageIconAndTip) {
    ASSERT_TRUE(Create());
    EXPECT_TRUE(host.present);
    EXPECT_EQ(host.shown.tip, kTip);
    EXPECT_EQ(host.shown.icon.cacheKey(), icons.keys.at(239));
    EXPECT_EQ(host.shown.id, static_cast<unsigned>(IDR_TRAY_MENU));
    EXPECT_EQ(host.shown.callbackMessage, WM_TRAY_NOTIFY);
    EXPECT_EQ(host.shown.window, &tray);
    EXPECT_EQ(icons.loads.front(), std::make_pair(239, kTrayIconSize));
    EXPECT_FALSE(tray.IsHidden());
    EXPECT_FALSE(tray.IsRemoved());
    EXPECT_NE(tray.HiddenWindow(), nullptr);
    EXPECT_FALSE(tray.HiddenWindow()->isVisible());
}

TEST_F(TrayIconTest, SameIconResourceTwiceLoadsOnce) {
    ASSERT_TRUE(Create());
    const int modifies = host.modifies;
    EXPECT_TRUE(tray.SetIconResource(239));
    EXPECT_EQ(icons.LoadsOf(239), 1);
    EXPECT_EQ(host.modifies, modifies);

    EXPECT_TRUE(tray.SetIconResource(227));
    EXPECT_TRUE(tray.SetIconResource(227));
    EXPECT_EQ(icons.LoadsOf(227), 1);
    EXPECT_EQ(tray.IconResource(), 227);
    EXPECT_EQ(host.shown.icon.cacheKey(), icons.keys.at(227));
    EXPECT_EQ(host.modifies, modifies + 1);

    // Going back loads again: only the last icon is kept.
    EXPECT_TRUE(tray.SetIconResource(239));
    EXPECT_EQ(icons.LoadsOf(239), 2);
}

TEST_F(TrayIconTest, IconThatFailsToLoadKeepsTheShownIcon) {
    ASSERT_TRUE(Create());
    icons.missing.insert(255);
    EXPECT_FALSE(tray.SetIconResource(255));
    EXPECT_EQ(tray.IconResource(), 239);
    EXPECT_EQ(host.shown.icon.cacheKey(), icons.keys.at(239));
    // Once the picture is there the same resource is tried again.
    icons.missing.clear();
    EXPECT_TRUE(tray.SetIconResource(255));
    EXPECT_EQ(host.shown.icon.cacheKey(), icons.keys.at(255));
}

TEST_F(TrayIconTest, LongTooltipIsCutTo63BytesBeforeCreateAnd127After) {
    const std::string longTip(200, 'x');
    EXPECT_EQ(tray.TipLimit(), kTrayTipLimitBefore);
    tray.SetTipText(longTip);
    EXPECT_EQ(tray.TipText(), std::string(63, 'x'));

    ASSERT_TRUE(Create(longTip));
    EXPECT_EQ(tray.TipLimit(), kTrayTipLimitAfter);
    EXPECT_EQ(tray.TipText(), std::string(127, 'x'));
    EXPECT_EQ(host.shown.tip, std::string(127, 'x'));
    tray.SetTipText(longTip);
    EXPECT_EQ(host.shown.tip.size(), 127u);
}

TEST_F(TrayIconTest, TooltipCutNeverSplitsADoubleByteCharacter) {
    std::string chinese;
    for (int i = 0; i < 100; ++i) chinese += Cp936("音");
    ASSERT_EQ(chinese.size(), 200u);
    tray.SetTipText(chinese);
    EXPECT_EQ(tray.TipText(), chinese.substr(0, 62));

    ASSERT_TRUE(Create("a" + chinese));
    EXPECT_EQ(tray.TipText(), "a" + chinese.substr(0, 126));
    EXPECT_EQ(FromAnsi(tray.TipText()).size(), 64);
}

TEST(TrayIconTextTest, CutAnsiTextKeepsWholeCharacters) {
    const std::string mixed = "ab" + Cp936("播放") + "c";
    EXPECT_EQ(CutAnsiText(mixed, 100), mixed);
    EXPECT_EQ(CutAnsiText(mixed, 3), "ab");
    EXPECT_EQ(CutAnsiText(mixed, 4), "ab" + Cp936("播"));
    EXPECT_EQ(CutAnsiText(mixed, 6), "ab" + Cp936("播放"));
    EXPECT_EQ(CutAnsiText(mixed, 0), "");
    EXPECT_EQ(CutAnsiText(mixed, -5), "");
    // A lone lead byte at the end counts as one byte.
    EXPECT_EQ(CutAnsiText(std::string("ab\x81", 3), 3), std::string("ab\x81", 3));
}

TEST_F(TrayIconTest, ChangesWhileHiddenAreStoredAndRestoreShowsTheLatest) {
    ASSERT_TRUE(Create());
    ASSERT_TRUE(tray.HideIcon());
    EXPECT_TRUE(tray.IsHidden());
    EXPECT_TRUE(tray.IsRemoved());
    EXPECT_FALSE(host.present);

    const int modifies = host.modifies;
    tray.SetTipText("first");
    tray.SetIconResource(255);
    tray.SetTipText("latest");
    tray.SetIconResource(256);
    EXPECT_EQ(host.modifies, modifies);

    ASSERT_TRUE(tray.RestoreIcon());
    EXPECT_FALSE(tray.IsHidden());
    EXPECT_TRUE(host.present);
    EXPECT_EQ(host.shown.tip, "latest");
    EXPECT_EQ(host.shown.icon.cacheKey(), icons.keys.at(256));
}

TEST_F(TrayIconTest, HidingTwiceDeletesOnce) {
    ASSERT_TRUE(Create());
    EXPECT_TRUE(tray.HideIcon());
    EXPECT_TRUE(tray.HideIcon());
    EXPECT_EQ(host.deletes, 1);
}

TEST_F(TrayIconTest, RefusedAddIsRetriedUntilAccepted) {
    host.acceptAdd = false;
    EXPECT_FALSE(Create());
    EXPECT_TRUE(tray.IsRetryPending());
    EXPECT_TRUE(tray.IsRemoved());

    tray.OnRetryTimer();  // still refused: waits again
    EXPECT_TRUE(tray.IsRetryPending());
    EXPECT_EQ(host.adds, 2);

    host.acceptAdd = true;
    tray.SetTipText("changed while waiting");
    tray.OnRetryTimer();
    EXPECT_FALSE(tray.IsRetryPending());
    EXPECT_FALSE(tray.IsRemoved());
    EXPECT_TRUE(host.present);
    EXPECT_EQ(host.shown.tip, "changed while waiting");
}

TEST_F(TrayIconTest, RetryTimerAddsTheIconByItself) {
    host.acceptAdd = false;
    EXPECT_FALSE(Create());
    host.acceptAdd = true;
    // The retry runs every 2000 ms.
    EXPECT_TRUE(WaitFor([&] { return host.present; }, 10000));
    EXPECT_FALSE(tray.IsRetryPending());
    EXPECT_EQ(host.shown.tip, kTip);
}

TEST_F(TrayIconTest, HidingWhileARetryWaitsKeepsTheIconHidden) {
    host.acceptAdd = false;
    EXPECT_FALSE(Create());
    host.acceptAdd = true;
    EXPECT_TRUE(tray.HideIcon());
    EXPECT_FALSE(tray.IsRetryPending());
    tray.OnRetryTimer();
    EXPECT_FALSE(host.present);
    EXPECT_TRUE(tray.IsHidden());
}

TEST_F(TrayIconTest, RestartedNotificationAreaGetsTheCurrentIconAndTooltip) {
    ASSERT_TRUE(Create());
    tray.SetIconResource(256);
    tray.SetTipText("online");
    host.Restart();
    tray.OnTaskbarCreated();
    EXPECT_TRUE(host.present);
    EXPECT_EQ(host.shown.tip, "online");
    EXPECT_EQ(host.shown.icon.cacheKey(), icons.keys.at(256));
    EXPECT_EQ(host.shown.callbackMessage, WM_TRAY_NOTIFY);

    // A hidden icon stays hidden across a restart.
    ASSERT_TRUE(tray.HideIcon());
    host.Restart();
    tray.OnTaskbarCreated();
    EXPECT_FALSE(host.present);
    EXPECT_TRUE(tray.IsHidden());
}

TEST_F(TrayIconTest, BalloonIsCutShownOnceAndCleared) {
    ASSERT_TRUE(Create());
    EXPECT_TRUE(tray.ShowBalloonTip(std::string(300, 't'), std::string(100, 'T'), NIIF_INFO_ICON));
    ASSERT_EQ(host.balloons.size(), 1u);
    EXPECT_EQ(host.balloons[0].balloonText.size(), 255u);
    EXPECT_EQ(host.balloons[0].balloonTitle.size(), 63u);
    EXPECT_EQ(host.balloons[0].balloonTimeout, kTrayBalloonTimeout);
    EXPECT_EQ(host.balloons[0].balloonFlags, NIIF_INFO_ICON);
    EXPECT_TRUE(tray.NotifyData().balloonText.empty());

    tray.SetTipText("next");
    tray.SetIconResource(227);
    EXPECT_EQ(host.balloons.size(), 1u);

    // Hidden: nothing to show the note on.
    ASSERT_TRUE(tray.HideIcon());
    EXPECT_FALSE(tray.ShowBalloonTip("text", "", NIIF_NONE_FLAG));
    EXPECT_EQ(host.balloons.size(), 1u);
}

TEST_F(TrayIconTest, AnimationCyclesFramesAndStopRestoresIconAndTooltip) {
    ASSERT_TRUE(Create());
    ASSERT_TRUE(tray.SetFrameIcons({1, 2, 3}, {"one", "", "three"}));
    EXPECT_EQ(icons.loads.back(), std::make_pair(3, kTrayFrameIconSize));
    EXPECT_EQ(tray.FrameCount(), 3u);

    tray.OnAnimationTick();
    EXPECT_EQ(host.shown.icon.cacheKey(), icons.keys.at(1));
    EXPECT_EQ(host.shown.tip, "one");
    tray.OnAnimationTick();
    EXPECT_EQ(host.shown.icon.cacheKey(), icons.keys.at(2));
    EXPECT_EQ(host.shown.tip, "one");  // an empty frame tooltip keeps the current one
    tray.OnAnimationTick();
    EXPECT_EQ(host.shown.tip, "three");
    EXPECT_EQ(tray.AnimationFrame(), 0);
    tray.OnAnimationTick();
    EXPECT_EQ(host.shown.icon.cacheKey(), icons.keys.at(1));

    tray.StartIconAnimation(10);
    EXPECT_EQ(tray.AnimationTimerId(), kTrayAnimationTimer);
    const int modifies = host.modifies;
    EXPECT_TRUE(WaitFor([&] { return host.modifies >= modifies + 4; }));
    tray.StopIconAnimation();
    EXPECT_FALSE(tray.IsAnimating());
    EXPECT_EQ(host.shown.tip, kTip);
    EXPECT_EQ(host.shown.icon.cacheKey(), icons.keys.at(239));
}

TEST_F(TrayIconTest, FramesWithoutTooltipsTakeTheCurrentOneAndAFailedLoadStops) {
    ASSERT_TRUE(Create());
    ASSERT_TRUE(tray.SetFrameIcons({1, 2}));
    tray.OnAnimationTick();
    EXPECT_EQ(host.shown.tip, kTip);

    icons.missing.insert(5);
    EXPECT_FALSE(tray.SetFrameIcons({4, 5, 6}));
    EXPECT_EQ(tray.FrameCount(), 1u);
    EXPECT_EQ(icons.LoadsOf(6), 0);
}

TEST_F(TrayIconTest, TickWithoutFramesChangesNothing) {
    ASSERT_TRUE(Create());
    tray.ClearFrameIcons();
    tray.StartIconAnimation(77, 5);
    EXPECT_EQ(tray.AnimationTimerId(), 77);
    const int modifies = host.modifies;
    tray.OnAnimationTick();
    EXPECT_EQ(host.modifies, modifies);
    EXPECT_EQ(host.shown.icon.cacheKey(), icons.keys.at(239));
}

TEST_F(TrayIconTest, WindowParentedToTheHiddenWindowOutlivesTheTrayIcon) {
    QWidget window;
    {
        FakeTrayHost otherHost;
        CXTTrayIcon other(otherHost, icons.Loader());
        other.ParentToHiddenWindow(&window);
        EXPECT_EQ(window.parentWidget(), other.HiddenWindow());
        EXPECT_TRUE(window.isWindow());
    }
    EXPECT_EQ(window.parentWidget(), nullptr);
}

TEST_F(TrayIconTest, DestructionRemovesTheIcon) {
    {
        CXTTrayIcon other(host, icons.Loader());
        ASSERT_TRUE(other.CreateIcon(kTip, &owner, 239));
        EXPECT_TRUE(host.present);
    }
    EXPECT_FALSE(host.present);
}

}  // namespace
