#pragma once
// What the my-music panel's logic (CMusicPanel) needs of its window and of
// the player. The window CListManage implements IPanelView over its pages,
// views, menus and page pane; CPanelPlayer puts the play controller behind
// IPanelPlayer. Tests use fakes. Every call comes on the user-interface
// thread. Texts are CP936.

#include "albums/AlbumPorts.h"
#include "albums/PanelMenus.h"
#include "common/WindowMessage.h"
#include "model/SongInfo.h"

#include <string>
#include <vector>

class IPanelPlayer {
public:
    virtual ~IPanelPlayer() = default;

    // The list kind the player plays from (SongListKind), -1 for none.
    virtual int PlayingListKind() const = 0;
    // Stops playback (the controller's DoStop with flag 0).
    virtual void Stop(const char* caller) = 0;
    // Plays `song`, the row `index` of list `listKind` (0, 2 or 5).
    virtual void Play(const St_SongInfo& song, int index, int listKind) = 0;
    // The song the player plays or is starting; an empty id for none.
    virtual St_SongInfo CurrentSong() const = 0;
    virtual bool IsStopped() const = 0;
    // The current song was removed from its list `listKind`; the song that
    // followed it is at `nextIndex` now (-1: none).
    virtual void SongRemoved(int listKind, int nextIndex) = 0;
    // The panel's play mode changed (the player's repeat-one switch follows).
    virtual void PlayModeChanged() = 0;
};

class IPanelView {
public:
    virtual ~IPanelView() = default;

    // Shows the controls of `page` (PanelPage or kPageRecommendLoading) and
    // hides those of the others; the page's tab shows as the current one.
    virtual void ShowPageControls(int page) = 0;
    // The busy picture over the recommendation view, while a refresh settles.
    virtual void ShowBusyPicture(bool shown) = 0;
    virtual void FocusUserName() = 0;

    // The song views (list kinds 0 and 2): their rows follow the lists.
    virtual void RefreshSongView(int kind) = 0;
    // The view and the buttons that act on it.
    virtual void EnableSongView(int kind, bool enable) = 0;
    // The selected rows in order, and the current row (-1 for none).
    virtual std::vector<int> SelectedRows(int kind) const = 0;
    virtual int CurrentRow(int kind) const = 0;
    // Makes `row` the current and only selected row, in sight.
    virtual void SetCurrentRow(int kind, int row) = 0;
    // Brings the playing `row` into sight without changing the selection.
    virtual void ShowRow(int kind, int row) = 0;
    // Scrolls the view of `page` by `rows` (negative: up).
    virtual void ScrollView(int page, int rows) = 0;

    // The album tree: a new album item being named in an empty tree (its
    // name comes back as WM_PANEL_ALBUMNAMED), the label edit of an album
    // item (WM_PANEL_ALBUMRENAMED), and the end of an open label edit as
    // the album page hides (true when one was open).
    virtual void StartNewAlbum() = 0;
    virtual void EditAlbumName(AlbumItem album) = 0;
    virtual bool EndAlbumNameEdit() = 0;
    virtual void RefreshAlbumTree() = 0;

    // Pops `menu` up at the cursor; the command chosen, 0 for none.
    virtual int TrackMenu(const PanelMenu& menu) = 0;
    // Asks in the message window; true for OK.
    virtual bool Ask(const std::string& text) = 0;
    // The page pane: the service page of `kind` for `argument`.
    virtual void ShowPanePage(const std::string& kind, const std::string& argument) = 0;
    // Posts to the main frame (song and album pages).
    virtual void PostToFrame(unsigned message, WPARAM wParam) = 0;
    virtual void ClosePanel() = 0;
};
