#pragma once
// The pop-up menus of the my-music panel, built from the state of the
// moment: the context menus of the play-list view, the recommendation view
// and the album tree's album and song items, and the menus of the delete,
// sort, mode and save buttons. Entries that cannot apply are disabled. The
// window shows a menu and runs the chosen entry's command through its
// command table. Texts are CP936.

#include <string>
#include <vector>

struct St_MenuEntry {
    int command = 0;  // 0 for a separator or a submenu
    std::string text;
    bool enabled = true;
    bool checked = false;
    bool isDefault = false;
    std::vector<St_MenuEntry> submenu;

    bool IsSeparator() const { return command == 0 && text.empty(); }
};
using PanelMenu = std::vector<St_MenuEntry>;

// The albums a song can be saved or moved to (the save-to menu: album i is
// command 900 + i, a new album follows the last one).
struct St_AlbumChoice {
    int command = 0;
    std::string name;    // fitted to its room by the caller
    int songCount = -1;  // -1: the new album
    bool isDefault = false;
};
PanelMenu SaveToMenu(const std::vector<St_AlbumChoice>& albums);

// A row of a list or an item of the tree among `count` entries (-1 for none).
struct St_MenuPlace {
    int index = -1;
    int count = 0;
};

// Play-list view: play, search, save to, save, delete, up, down.
PanelMenu PlayListMenu(const St_MenuPlace& row, const std::vector<St_AlbumChoice>& albums);
// Recommendation view: play, add to the play list, search, save to, save,
// refresh.
PanelMenu RecommendMenu(const St_MenuPlace& row, const std::vector<St_AlbumChoice>& albums);
// An album item: play, add to the play list, add songs, delete, up, down,
// rename. `songCount`: the album's songs.
PanelMenu AlbumItemMenu(const St_MenuPlace& album, int songCount);
// A song item of an album: play, add to the play list, move to, up, down,
// delete.
PanelMenu SongItemMenu(const St_MenuPlace& song, const std::vector<St_AlbumChoice>& albums);

// The delete button on `page`: "所选歌曲", "重复歌曲" (not on the album
// page), "清空列表". On the album page the first needs a song item and
// the last an album with songs.
PanelMenu DeleteMenu(int page, bool albumItemSelected, int albumSongCount);
PanelMenu SortMenu();
// The play modes, `mode` checked.
PanelMenu ModeMenu(int mode);

// The entry of `command` anywhere in the menu, or nullptr.
const St_MenuEntry* FindMenuEntry(const PanelMenu& menu, int command);
