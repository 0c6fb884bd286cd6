#include "notify/TrayIconMenu.h"

#include "notify/NotifyIds.h"

#include <algorithm>

namespace {

constexpr const char* kPlayControlMenu = "播放控制";
constexpr const char* kPlayModeMenu = "播放模式";

CTrayMenuItem Command(int command, const char* text) {
    CTrayMenuItem item;
    item.command = command;
    item.text = text;
    return item;
}

CTrayMenuItem Submenu(const char* text, std::vector<CTrayMenuItem> children) {
    CTrayMenuItem item;
    item.text = text;
    item.children = std::move(children);
    return item;
}

template <typename Item>
Item* FindIn(std::vector<Item>& items, int command) {
    for (auto& item : items) {
        if (!item.IsSubmenu() && item.command == command) return &item;
        if (Item* found = FindIn(item.children, command)) return found;
    }
    return nullptr;
}

}  // namespace

CTrayMenuItem* CTrayMenu::FindCommand(int command) { return FindIn(items, command); }

const CTrayMenuItem* CTrayMenu::FindCommand(int command) const {
    return FindIn(const_cast<std::vector<CTrayMenuItem>&>(items), command);
}

int CTrayMenu::DefaultCommand() const {
    for (const auto& item : items)
        if (!item.IsSubmenu() && item.isDefault) return item.command;
    for (const auto& item : items)
        if (!item.IsSubmenu()) return item.command;
    return 0;
}

bool CTrayMenu::RemoveSubmenu(const std::string& text) {
    auto it = std::find_if(items.begin(), items.end(),
                           [&](const CTrayMenuItem& item) { return item.IsSubmenu() && item.text == text; });
    if (it == items.end()) return false;
    items.erase(it);
    return true;
}

bool CTrayMenu::RemoveCommand(int command) {
    auto it = std::find_if(items.begin(), items.end(),
                           [&](const CTrayMenuItem& item) { return !item.IsSubmenu() && item.command == command; });
    if (it == items.end()) return false;
    items.erase(it);
    return true;
}

CTrayMenu LoadTrayMenu(int menuResource) {
    CTrayMenu menu;
    if (menuResource != IDR_TRAY_MENU) return menu;
    menu.items = {
        Command(ID_SHOW_MAIN, "显示主界面"),
        Submenu(kPlayControlMenu, {Command(ID_PLAY_PAUSE, "播放/暂停"), Command(ID_STOP, "停止"),
                                   Command(ID_PREVIOUS, "上一首"), Command(ID_NEXT, "下一首"),
                                   Command(ID_VOLUME_UP, "增大音量"), Command(ID_VOLUME_DOWN, "减少音量"),
                                   Command(ID_MUTE, "静音")}),
        Submenu(kPlayModeMenu, {Command(ID_PLAYMODE_FIRST + 0, "单曲播放"), Command(ID_PLAYMODE_FIRST + 1, "单曲循环"),
                                Command(ID_PLAYMODE_FIRST + 2, "顺序播放"), Command(ID_PLAYMODE_FIRST + 3, "随机播放"),
                                Command(ID_PLAYMODE_FIRST + 4, "列表循环")}),
        Command(ID_LIBRARY, "乐库"),
        Command(ID_LYRIC, "歌词"),
        Command(ID_SONG_NOTICE, "歌曲通知"),
        Command(ID_MINIMIZE, "最小化"),
        Command(ID_EXIT, "退出"),
    };
    return menu;
}

void AdjustTrayMenu(CTrayMenu& menu, const CTrayMenuState& state) {
    if (CTrayMenuItem* show = menu.FindCommand(ID_SHOW_MAIN)) show->isDefault = true;
    if (!state.networkAvailable) {
        menu.RemoveSubmenu(kPlayControlMenu);
        menu.RemoveSubmenu(kPlayModeMenu);
        menu.RemoveCommand(ID_LIBRARY);
        menu.RemoveCommand(ID_LYRIC);
        menu.RemoveCommand(ID_SONG_NOTICE);
        return;
    }
    if (CTrayMenuItem* lyric = menu.FindCommand(ID_LYRIC)) lyric->checked = state.lyricVisible;
    if (CTrayMenuItem* library = menu.FindCommand(ID_LIBRARY)) library->checked = state.libraryVisible;
    for (int mode = 0; mode <= ID_PLAYMODE_LAST - ID_PLAYMODE_FIRST; ++mode)
        if (CTrayMenuItem* item = menu.FindCommand(ID_PLAYMODE_FIRST + mode)) item->checked = mode == state.playMode;
    if (CTrayMenuItem* mute = menu.FindCommand(ID_MUTE)) mute->checked = state.muted;
    if (CTrayMenuItem* notice = menu.FindCommand(ID_SONG_NOTICE)) notice->checked = state.songNotice;
}
