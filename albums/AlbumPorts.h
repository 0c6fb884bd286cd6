#pragma once
// What the album logic needs of the my-music panel and of the player. The
// panel implements IAlbumView over its sign-in form, its album tree and the
// frame's message window; tests use fakes. Every call comes on the
// user-interface thread. Texts are CP936.

#include "model/AlbumList.h"
#include "model/SongList.h"

#include <cstdint>
#include <string>
#include <vector>

// An item of the album tree (an album or a song item), as the tree names it.
// 0 is no item. The tree ignores handles of items it no longer holds.
using AlbumItem = std::uintptr_t;
inline constexpr AlbumItem kNoAlbumItem = 0;

// The pages of the panel the album logic chooses between or looks at.
enum PanelPage {
    kPagePlayList = 0,
    kPageEmptyPlayList = 1,
    kPageRecommend = 2,
    kPageSignIn = 3,
    kPageNoAlbum = 4,
    kPageAlbumTree = 5,
};

// What is selected in the album tree.
struct St_AlbumSelection {
    AlbumItem item = kNoAlbumItem;   // the selected item itself
    AlbumItem album = kNoAlbumItem;  // its album item (the item itself when an album is selected)
    int position = 0;                // the selected song's position (1 = first); 0: the album item
    std::vector<int> positions;      // every selected song item of that album, in tree order
};

class IAlbumView {
public:
    virtual ~IAlbumView() = default;

    // The sign-in form: the two edit boxes, the remember-password and the
    // automatic-sign-in boxes, and the sign-in controls.
    virtual std::string UserNameText() const = 0;
    virtual std::string PasswordText() const = 0;
    virtual void SetUserNameText(const std::string& text) = 0;
    virtual void SetPasswordText(const std::string& text) = 0;
    virtual bool RememberPassChecked() const = 0;
    virtual void SetRememberPassChecked(bool checked) = 0;
    virtual bool AutoLogonChecked() const = 0;
    virtual void SetAutoLogonChecked(bool checked) = 0;
    virtual bool SignInEnabled() const = 0;
    virtual void EnableSignIn(bool enable) = 0;

    // The frame's message window, and the tip dialog with a text or with
    // the counts of songs added to an album and skipped.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowTip(const std::string& text) = 0;
    virtual void ShowAddedTip(int added, int skipped) = 0;

    // The page shown; the album tab opened again (it picks the sign-in, the
    // no-album or the album-tree page by the state); one page shown.
    virtual int CurrentPage() const = 0;
    virtual void OpenAlbumTab() = 0;
    virtual void ShowPage(int page) = 0;

    // The album tree. Album items carry 1000 + the album's identifier as
    // their data (CAlbumList::kItemDataBase); song items are known by their
    // position under their album (1 = first). Album texts are the name and
    // the number of songs (AlbumLabel), the name fitted by the tree.
    virtual void RebuildAlbumTree(const CAlbumList& albums) = 0;
    virtual void RebuildSongItems(AlbumItem album, const St_Album& songs) = 0;
    virtual AlbumItem AlbumItemAt(int index) const = 0;
    virtual AlbumItem InsertAlbumItem(const std::string& name, int songCount, long long data) = 0;
    virtual void DeleteItem(AlbumItem item) = 0;
    // The item's data; -1 for an item the tree does not hold.
    virtual long long ItemData(AlbumItem item) const = 0;
    virtual void SetItemData(AlbumItem item, long long data) = 0;
    virtual void SetAlbumItemText(AlbumItem album, const std::string& name, int songCount) = 0;
    // Marks the song at `position` (1 = first) of the album as the playing one.
    virtual void MarkPlayingSong(AlbumItem album, int position) = 0;
    virtual void ExpandItem(AlbumItem album) = 0;
    virtual void SelectItem(AlbumItem item) = 0;
    // Selects the song item at `position`; false when there is none.
    virtual bool SelectSongItem(AlbumItem album, int position) = 0;
    virtual St_AlbumSelection AlbumSelection() const = 0;
    // The text typed into the tree's label edit; the edit's text is cleared.
    virtual std::string TakeLabelEditText() = 0;

    // The songs selected in the view of the current page (the play list,
    // the recommendations or the album tree).
    virtual CSongList SelectedSongs() const = 0;
};

// The player, as the album logic needs it.
class IAlbumPlayer {
public:
    virtual ~IAlbumPlayer() = default;

    // The list kind the player plays from (SongListKind), -1 for none.
    virtual int PlayingListKind() const = 0;
    // Stops playback (the player's DoStop with flag 0).
    virtual void StopPlayer(const char* caller) = 0;
    // The album the player plays from lost songs: its list follows.
    virtual void PlayingAlbumChanged() = 0;
};
