#include "albums/PanelMenus.h"

#include "albums/AlbumTexts.h"
#include "albums/PanelIds.h"
#include "common/Text.h"

namespace {

St_MenuEntry Entry(int command, const char* text, bool enabled = true) {
    St_MenuEntry entry;
    entry.command = command;
    entry.text = Cp936(text);
    entry.enabled = enabled;
    return entry;
}

St_MenuEntry Submenu(const char* text, PanelMenu items) {
    St_MenuEntry entry;
    entry.text = Cp936(text);
    entry.enabled = !items.empty();
    entry.submenu = std::move(items);
    return entry;
}

St_MenuEntry Separator() { return {}; }

bool HasRow(const St_MenuPlace& place) { return place.index >= 0 && place.index < place.count; }
// Moving needs two entries, and stops at the ends.
bool CanMoveUp(const St_MenuPlace& place) { return HasRow(place) && place.count > 1 && place.index > 0; }
bool CanMoveDown(const St_MenuPlace& place) {
    return HasRow(place) && place.count > 1 && place.index < place.count - 1;
}

St_MenuEntry SearchMenu(bool enabled) {
    St_MenuEntry search = Submenu("搜索", {Entry(ID_SEARCH_SINGER, "按歌手"), Entry(ID_SEARCH_ALBUM, "按专辑"),
                                           Entry(ID_SEARCH_TITLE, "按歌曲")});
    search.enabled = enabled;
    return search;
}

St_MenuEntry SaveToSubmenu(const char* text, const std::vector<St_AlbumChoice>& albums, bool enabled) {
    St_MenuEntry saveTo = Submenu(text, SaveToMenu(albums));
    saveTo.enabled = enabled && !albums.empty();
    return saveTo;
}

}  // namespace

PanelMenu SaveToMenu(const std::vector<St_AlbumChoice>& albums) {
    PanelMenu menu;
    for (const St_AlbumChoice& album : albums) {
        St_MenuEntry entry;
        entry.command = album.command;
        entry.text = album.songCount < 0 ? album.name : AlbumLabel(album.name, album.songCount);
        entry.isDefault = album.isDefault;
        menu.push_back(std::move(entry));
    }
    return menu;
}

PanelMenu PlayListMenu(const St_MenuPlace& row, const std::vector<St_AlbumChoice>& albums) {
    const bool song = HasRow(row);
    return {Entry(ID_PLAY_SONG, "播放", song),
            SearchMenu(song),
            SaveToSubmenu("保存到", albums, song),
            Entry(ID_SAVE_MENU, "保存", song),
            Separator(),
            Entry(ID_DELETE_SONGS, "删除", song),
            Entry(ID_MOVE_UP, "上移", CanMoveUp(row)),
            Entry(ID_MOVE_DOWN, "下移", CanMoveDown(row))};
}

PanelMenu RecommendMenu(const St_MenuPlace& row, const std::vector<St_AlbumChoice>& albums) {
    const bool song = HasRow(row);
    return {Entry(ID_PLAY_RECOMMEND, "播放", song),
            Entry(ID_ADD_RECOMMEND_TO_LIST, "添加到播放列表", song),
            SearchMenu(song),
            SaveToSubmenu("保存到", albums, song),
            Entry(ID_SAVE_MENU, "保存", song),
            Separator(),
            Entry(ID_REFRESH_RECOMMEND, "刷新")};
}

PanelMenu AlbumItemMenu(const St_MenuPlace& album, int songCount) {
    const bool has = HasRow(album);
    return {Entry(ID_PLAY_ALBUM, "播放", has && songCount > 0),
            Entry(ID_ADD_ALBUM_TO_LIST, "添加到播放列表", has && songCount > 0),
            Entry(ID_GO_SEARCH, "添加歌曲", has),
            Separator(),
            Entry(ID_DELETE_ALBUM, "删除", has),
            Entry(ID_MOVE_UP, "上移", CanMoveUp(album)),
            Entry(ID_MOVE_DOWN, "下移", CanMoveDown(album)),
            Entry(ID_RENAME_ALBUM, "重命名", has)};
}

PanelMenu SongItemMenu(const St_MenuPlace& song, const std::vector<St_AlbumChoice>& albums) {
    const bool has = HasRow(song);
    return {Entry(ID_PLAY_SONG, "播放", has),
            Entry(ID_ADD_SONG_TO_LIST, "添加到播放列表 ", has),
            SaveToSubmenu("移动到 ", albums, has),
            Separator(),
            Entry(ID_MOVE_UP, "上移", CanMoveUp(song)),
            Entry(ID_MOVE_DOWN, "下移", CanMoveDown(song)),
            Entry(ID_DELETE_ALBUM_SONGS, "删除", has)};
}

PanelMenu DeleteMenu(int page, bool albumItemSelected, int albumSongCount) {
    if (page == kPageAlbumTree)
        return {Entry(ID_DELETE_SELECTED, "所选歌曲", !albumItemSelected),
                Entry(ID_CLEAR_LIST, "清空列表", albumSongCount > 0)};
    const bool playList = page == kPagePlayList;
    return {Entry(ID_DELETE_SELECTED, "所选歌曲"), Entry(ID_DELETE_DUPLICATES, "重复歌曲", playList),
            Entry(ID_CLEAR_LIST, "清空列表", playList)};
}

PanelMenu SortMenu() { return {Entry(ID_SORT_BY_NAME, "按歌曲名"), Entry(ID_SORT_BY_SINGER, "按歌手名")}; }

PanelMenu ModeMenu(int mode) {
    PanelMenu menu;
    for (int each = kModeSingle; each <= kModeRepeatList; ++each) {
        St_MenuEntry entry = Entry(kCmdModeFirst + each, kPlayModeTexts[each]);
        entry.checked = each == mode;
        menu.push_back(std::move(entry));
    }
    return menu;
}

const St_MenuEntry* FindMenuEntry(const PanelMenu& menu, int command) {
    for (const St_MenuEntry& entry : menu) {
        if (entry.command == command && command != 0) return &entry;
        if (const St_MenuEntry* inner = FindMenuEntry(entry.submenu, command)) return inner;
    }
    return nullptr;
}
