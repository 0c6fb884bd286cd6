// Mouse actions on the tray icon: the owner's first look, left-click
// commands and the right-click menu with the owner's states.

#include "TrayIconTestSupport.h"

#include "notify/TrayIconMenu.h"
#include "notify/TrayIconSystemHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(const std::vector<CTrayMenuItem>& items) {
    std::vector<std::string> texts;
    for (const auto& item : items) texts.push_back(item.text);
    return texts;
}

bool Checked(const CTrayMenu& menu, int command) {
    const CTrayMenuItem* item = menu.FindCommand(command);
    return item && item->checked;
}

class TrayIconNotificationTest : public ::testing::Test {
protected:
    FakeTrayHost host;
    FakeTrayOwner owner;
    CountingIconLoader icons;
    CXTTrayIcon tray{host, icons.Loader()};

    void Create(bool singleClickMenu = false) {
        ASSERT_TRUE(tray.CreateIcon("Tonvik Player", &owner, 239, IDR_TRAY_MENU, ID_SHOW_MAIN, singleClickMenu));
    }
};

TEST_F(TrayIconNotificationTest, OfflineRightClickMenuHasOnlyThreeItems) {
    Create();
    owner.state.networkAvailable = false;
    owner.state.lyricVisible = true;
    owner.state.muted = true;
    tray.HandleNotification(IDR_TRAY_MENU, WM_RBUTTONUP_MSG);
    ASSERT_TRUE(host.lastMenu.has_value());
    EXPECT_EQ(Texts(host.lastMenu->items), (std::vector<std::string>{"显示主界面", "最小化", "退出"}));
    for (const auto& item : host.lastMenu->items) EXPECT_FALSE(item.IsSubmenu()) << item.text;
    EXPECT_EQ(host.lastMenu->DefaultCommand(), ID_SHOW_MAIN);
    EXPECT_EQ(host.lastMenu->FindCommand(ID_MINIMIZE)->command, ID_MINIMIZE);
    EXPECT_EQ(host.lastMenu->FindCommand(ID_EXIT)->command, ID_EXIT);
    EXPECT_EQ(host.lastMenuTarget, &owner);
    EXPECT_EQ(owner.foregroundCalls, 1);
    EXPECT_EQ(host.focusCalls, 1);
}

TEST_F(TrayIconNotificationTest, OnlineMenuShowsTheOwnersStates) {
    Create();
    owner.state = CTrayMenuState{true, true, false, 3, true};
    tray.HandleNotification(IDR_TRAY_MENU, WM_CONTEXTMENU_MSG);
    ASSERT_TRUE(host.lastMenu.has_value());
    const CTrayMenu& menu = *host.lastMenu;
    EXPECT_EQ(Texts(menu.items),
              (std::vector<std::string>{"显示主界面", "播放控制", "播放模式", "乐库", "歌词", "歌曲通知", "最小化", "退出"}));
    EXPECT_TRUE(menu.FindCommand(ID_SHOW_MAIN)->isDefault);
    EXPECT_TRUE(Checked(menu, ID_LYRIC));
    EXPECT_FALSE(Checked(menu, ID_LIBRARY));
    EXPECT_TRUE(Checked(menu, ID_MUTE));
    for (int mode = 0; mode <= 4; ++mode) EXPECT_EQ(Checked(menu, ID_PLAYMODE_FIRST + mode), mode == 3) << mode;
    EXPECT_EQ(Texts(menu.items[1].children).back(), "静音");
    EXPECT_EQ(menu.items[2].children.size(), 5u);

    owner.state = CTrayMenuState{true, false, true, 9, false};
    tray.HandleNotification(IDR_TRAY_MENU, NIN_KEYSELECT_MSG);
    EXPECT_TRUE(Checked(*host.lastMenu, ID_LIBRARY));
    EXPECT_FALSE(Checked(*host.lastMenu, ID_MUTE));
    for (int mode = 0; mode <= 4; ++mode) EXPECT_FALSE(Checked(*host.lastMenu, ID_PLAYMODE_FIRST + mode));
}

TEST_F(TrayIconNotificationTest, NoMenuBeforeThePlayerExists) {
    Create();
    owner.hasPlayer = false;
    tray.HandleNotification(IDR_TRAY_MENU, NIN_SELECT_MSG);
    EXPECT_FALSE(host.lastMenu.has_value());
}

TEST_F(TrayIconNotificationTest, LeftClickSendsTheDefaultCommand) {
    Create();
    tray.HandleNotification(IDR_TRAY_MENU, WM_LBUTTONDOWN_MSG);
    EXPECT_EQ(owner.commands, (std::vector<unsigned>{ID_SHOW_MAIN}));
    EXPECT_EQ(owner.foregroundCalls, 1);
    ASSERT_EQ(owner.notifications.size(), 1u);
    EXPECT_EQ(owner.notifications[0].first, static_cast<WPARAM>(IDR_TRAY_MENU));
    EXPECT_EQ(owner.notifications[0].second, static_cast<LPARAM>(WM_LBUTTONDOWN_MSG));
}

TEST(TrayIconSingleClickTest, LeftClickSendsTheMenusDefaultItem) {
    FakeTrayHost host;
    FakeTrayOwner owner;
    CountingIconLoader icons;
    CXTTrayIcon tray(host, icons.Loader());
    ASSERT_TRUE(tray.CreateIcon("Tonvik Player", &owner, 239, IDR_TRAY_MENU, 1234, true));
    tray.HandleNotification(IDR_TRAY_MENU, WM_LBUTTONDOWN_MSG);
    EXPECT_EQ(owner.commands, (std::vector<unsigned>{ID_SHOW_MAIN}));
}

TEST_F(TrayIconNotificationTest, OwnerThatHandlesTheNotificationStopsIt) {
    Create();
    owner.handleNotifications = true;
    tray.HandleNotification(IDR_TRAY_MENU, WM_LBUTTONDOWN_MSG);
    tray.HandleNotification(IDR_TRAY_MENU, WM_RBUTTONUP_MSG);
    EXPECT_EQ(owner.notifications.size(), 2u);
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_FALSE(host.lastMenu.has_value());
}

TEST_F(TrayIconNotificationTest, OtherIdentifiersAndMouseMessagesAreIgnored) {
    Create();
    tray.HandleNotification(IDR_TRAY_MENU + 1, WM_LBUTTONDOWN_MSG);
    EXPECT_TRUE(owner.notifications.empty());
    tray.HandleNotification(IDR_TRAY_MENU, WM_MOUSEMOVE_MSG);
    tray.HandleNotification(IDR_TRAY_MENU, WM_LBUTTONDBLCLK_MSG);
    EXPECT_EQ(owner.notifications.size(), 2u);  // the owner still sees them first
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_FALSE(host.lastMenu.has_value());
}

TEST(TrayIconNoOwnerTest, NotificationsWithoutOwnerAreIgnored) {
    FakeTrayHost host;
    CountingIconLoader icons;
    CXTTrayIcon tray(host, icons.Loader());
    ASSERT_TRUE(tray.CreateIcon("Tonvik Player", nullptr, 239, IDR_TRAY_MENU, ID_SHOW_MAIN, false));
    EXPECT_EQ(tray.HandleNotification(IDR_TRAY_MENU, WM_RBUTTONUP_MSG), 0);
    EXPECT_FALSE(host.lastMenu.has_value());
}

TEST_F(TrayIconNotificationTest, PostedCallbackMessageReachesTheOwner) {
    Create();
    ASSERT_TRUE(PostMessage(host.shown.window, host.shown.callbackMessage, host.shown.id,
                            static_cast<LPARAM>(WM_LBUTTONDOWN_MSG)));
    EXPECT_TRUE(WaitFor([&] { return !owner.commands.empty(); }));
    EXPECT_EQ(owner.commands, (std::vector<unsigned>{ID_SHOW_MAIN}));
}

TEST(TrayIconMenuTest, UnknownMenuResourceIsEmpty) {
    EXPECT_TRUE(LoadTrayMenu(IDR_TRAY_MENU + 1).items.empty());
    EXPECT_EQ(LoadTrayMenu(IDR_TRAY_MENU + 1).DefaultCommand(), 0);
    const CTrayMenu menu = LoadTrayMenu(IDR_TRAY_MENU);
    EXPECT_EQ(menu.FindCommand(ID_PLAYMODE_FIRST + 1)->text, "单曲循环");
    EXPECT_EQ(menu.FindCommand(424242), nullptr);
    // The song note's switch shows its state.
    for (const bool on : {false, true}) {
        CTrayMenu adjusted = LoadTrayMenu(IDR_TRAY_MENU);
        CTrayMenuState state;
        state.networkAvailable = true;
        state.songNotice = on;
        AdjustTrayMenu(adjusted, state);
        ASSERT_NE(adjusted.FindCommand(ID_SONG_NOTICE), nullptr);
        EXPECT_EQ(adjusted.FindCommand(ID_SONG_NOTICE)->checked, on);
    }
}

TEST(TrayIconSystemHostTest, ActivationsBecomeMouseMessages) {
    EXPECT_EQ(CTrayIconSystemHost::MouseMessageOf(QSystemTrayIcon::Trigger), WM_LBUTTONDOWN_MSG);
    EXPECT_EQ(CTrayIconSystemHost::MouseMessageOf(QSystemTrayIcon::Context), WM_RBUTTONUP_MSG);
    EXPECT_EQ(CTrayIconSystemHost::MouseMessageOf(QSystemTrayIcon::DoubleClick), WM_LBUTTONDBLCLK_MSG);
    EXPECT_EQ(CTrayIconSystemHost::MouseMessageOf(QSystemTrayIcon::Unknown), 0u);
}

TEST(TrayIconSystemHostTest, WithoutATrayTheIconKeepsItsStateAndRetries) {
    CTrayIconSystemHost host;
    FakeTrayOwner owner;
    CountingIconLoader icons;
    CXTTrayIcon tray(host, icons.Loader());
    const bool added = tray.CreateIcon("Tonvik Player", &owner, 239, IDR_TRAY_MENU, ID_SHOW_MAIN, false);
    EXPECT_EQ(added, QSystemTrayIcon::isSystemTrayAvailable());
    EXPECT_EQ(tray.IsRetryPending(), !added);
    tray.SetTipText("offline");
    EXPECT_EQ(tray.TipText(), "offline");
    tray.HandleNotification(IDR_TRAY_MENU, WM_LBUTTONDOWN_MSG);
    EXPECT_EQ(owner.commands, (std::vector<unsigned>{ID_SHOW_MAIN}));
}

TEST(TrayIconSystemHostTest, MenuItemsPostTheirCommandsToTheTarget) {
    CTrayIconSystemHost host;
    FakeTrayOwner owner;
    CTrayMenu menu = LoadTrayMenu(IDR_TRAY_MENU);
    AdjustTrayMenu(menu, CTrayMenuState{true, false, false, 2, true});
    host.ShowMenu(menu, &owner);
    ASSERT_NE(host.LastMenu(), nullptr);
    QAction* exit = nullptr;
    QAction* mute = nullptr;
    for (QAction* action : host.LastMenu()->findChildren<QAction*>()) {
        if (action->text() == QString("退出")) exit = action;
        if (action->text() == QString("静音")) mute = action;
    }
    ASSERT_NE(exit, nullptr);
    ASSERT_NE(mute, nullptr);
    EXPECT_TRUE(mute->isChecked());
    exit->trigger();
    EXPECT_TRUE(WaitFor([&] { return !owner.commands.empty(); }));
    EXPECT_EQ(owner.commands, (std::vector<unsigned>{ID_EXIT}));
    host.LastMenu()->close();
}

}  // namespace
