#include "albums/MusicPanel.h"

#include "albums/AlbumTexts.h"
#include "albums/PanelIds.h"
#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "platform/Shell.h"
#include "service/ServiceHosts.h"

#include <cstdlib>

namespace {

constexpr const char* kForgotPassPath = "/getpass.html";
constexpr const char* kRegisterPath = "/shequ/register_form.php?regtype=1";

// Rows moved by the scroll commands.
int ScrollRowsOf(int command) {
    switch (command) {
    case ID_SCROLL_UP:
    case ID_TREE_SCROLL_UP: return -1;
    case ID_SCROLL_DOWN:
    case ID_TREE_SCROLL_DOWN: return 1;
    case ID_SCROLL_PAGE_UP: return -10;
    case ID_SCROLL_PAGE_DOWN: return 10;
    default: return 0;
    }
}

}  // namespace

CMusicPanel::CMusicPanel(IPanelView& view, IAlbumView& albumView, IPanelPlayer& player, QObject* parent)
    : QObject(parent),
      CMessageTarget(this),
      m_view(view),
      m_albumView(albumView),
      m_player(player),
      m_manager(albumView),
      m_editor(m_manager, albumView, *this),
      m_recommend(*this) {
    RegisterCommands();
}

CMusicPanel::~CMusicPanel() = default;

void CMusicPanel::RegisterCommands() {
    SetCommandHandler(ID_TAB_PLAYLIST, [this] { ShowPlayListTab(); });
    SetCommandHandler(ID_TAB_RECOMMEND, [this] { ShowRecommendTab(); });
    SetCommandHandler(ID_GO_RECOMMEND, [this] { ShowRecommendTab(); });
    SetCommandHandler(ID_TAB_ALBUMS, [this] { OpenAlbumTab(); });
    SetCommandHandler(ID_REFRESH_RECOMMEND, [this] { OnRefresh(); });
    SetCommandHandler(ID_SIGN_IN, [this] { m_manager.OnButtonLongo(); });
    SetCommandHandler(ID_REMEMBER_PASS, [this] { m_manager.OnRememberPassUnchecked(); });
    SetCommandHandler(ID_AUTO_LOGON, [this] { m_manager.OnAutoLogonChecked(); });
    SetCommandHandler(ID_NEW_ALBUM, [this] {
        ShowPage(kPageAlbumTree);
        m_view.StartNewAlbum();
    });
    SetCommandHandler(ID_FORGOT_PASS, [this] { OpenLink(true, kForgotPassPath); });
    SetCommandHandler(ID_REGISTER, [this] { OpenLink(false, kRegisterPath); });
    SetCommandHandler(ID_CLOSE_PANEL, [this] { m_view.ClosePanel(); });
    for (int command : {ID_ADD_SONGS, ID_GO_SEARCH}) SetCommandHandler(command, [this] { m_view.ShowPanePage("search", ""); });
    SetCommandHandler(ID_SAVE_MENU, [this] { OnSaveMenu(); });
    SetCommandHandler(ID_DELETE_MENU, [this] { OnDeleteMenu(); });
    SetCommandHandler(ID_SORT_MENU, [this] { RunMenu(SortMenu()); });
    SetCommandHandler(ID_MODE_MENU, [this] { RunMenu(ModeMenu(m_nPlayMode)); });
    for (int command : {ID_SCROLL_UP, ID_SCROLL_DOWN, ID_SCROLL_PAGE_UP, ID_SCROLL_PAGE_DOWN, ID_TREE_SCROLL_UP,
                        ID_TREE_SCROLL_DOWN})
        SetCommandHandler(command, [this, command] { OnScroll(command); });
    for (int command : {ID_PLAY_SONG, ID_PLAY_RECOMMEND}) SetCommandHandler(command, [this] { PlaySelectedSong(); });
    SetCommandHandler(ID_PLAY_ALBUM, [this] { PlayAlbumOf(m_albumView.AlbumSelection().album); });
    for (int command : {ID_ADD_RECOMMEND_TO_LIST, ID_ADD_SONG_TO_LIST, ID_ADD_ALBUM_TO_LIST})
        SetCommandHandler(command, [this] { OnAddToPlayList(); });
    for (int command : {ID_SEARCH_SINGER, ID_SEARCH_ALBUM, ID_SEARCH_TITLE})
        SetCommandHandler(command, [this, command] { OnSearch(command); });
    SetCommandHandler(ID_MOVE_UP, [this] { OnMove(true); });
    SetCommandHandler(ID_MOVE_DOWN, [this] { OnMove(false); });
    SetCommandHandler(ID_SORT_BY_NAME, [this] { OnSort(true); });
    SetCommandHandler(ID_SORT_BY_SINGER, [this] { OnSort(false); });
    SetCommandHandler(ID_RENAME_ALBUM, [this] { OnRename(); });
    SetCommandHandler(ID_DELETE_ALBUM, [this] { m_editor.OnDelalum(); });
    SetCommandHandler(ID_DELETE_ALBUM_SONGS, [this] { m_editor.OnDelalumsong(); });
    for (int command : {ID_DELETE_SONGS, ID_DELETE_SELECTED}) SetCommandHandler(command, [this] { OnDeleteSelected(); });
    SetCommandHandler(ID_DELETE_DUPLICATES, [this] { OnRemoveDuplicates(); });
    SetCommandHandler(ID_CLEAR_LIST, [this] { OnClear(); });
    for (int command = ID_MODE_FIRST; command <= ID_MODE_LAST; ++command)
        SetCommandHandler(command, [this, command] { SetPlayMode(command - ID_MODE_FIRST); });
    for (int command = ID_SAVE_TO_FIRST; command <= ID_SAVE_TO_LAST; ++command)
        SetCommandHandler(command, [this, command] { m_editor.OnNewMenuItem(command); });
    for (int command : {ID_ADD_LIBRARY_SONGS, ID_TRAY_ADD_LIBRARY_SONGS})
        SetCommandHandler(command, [this] { AddLibrarySongs(); });
}

void CMusicPanel::Initialise() {
    m_manager.LoadRememberedLogon();
    m_playList.Load();
    m_view.RefreshSongView(kListTemporary);
    if (m_manager.OpensAlbumTabFirst()) OpenAlbumTab();
    else ShowPlayListTab();
}

// ---- pages ----

void CMusicPanel::ShowPage(int page) {
    // The tree's label edit ends with its page; its name is kept.
    if (m_nPage == kPageAlbumTree && page != kPageAlbumTree && m_view.EndAlbumNameEdit())
        Trace("ShowMyMusicPage===Has Edit ctrl.");
    m_nPage = page;
    m_view.ShowPageControls(page);
    if (page == kPageSignIn) {
        m_view.FocusUserName();
        m_manager.OnSignInPageShown();
    }
}

void CMusicPanel::ShowPlayListTab() {
    const int page = m_playList.List().IsEmpty() ? kPageEmptyPlayList : kPagePlayList;
    if (page != m_nPage) ShowPage(page);
}

void CMusicPanel::ShowRecommendTab() {
    if (m_recommend.IsLoaded()) {
        ShowPage(kPageRecommend);
        return;
    }
    ShowPage(kPageRecommendLoading);
    m_recommend.StartFirstVisit();
}

void CMusicPanel::OpenAlbumTab() {
    const int page = m_manager.AlbumTabPage();
    if (page == kPageAlbumTree && m_manager.AlbumsChanged()) FetchAlbumsAfresh();
    ShowPage(page);
}

void CMusicPanel::FetchAlbumsAfresh() {
    // The albums are fetched afresh, unless a new song order is sent
    // first: whichever album is selected, for the fetch would forget it.
    if (m_editor.HasSaveAlbum(true) == 1) {
        m_editor.SaveSortAlbum();
        Trace("\xE2\x98\x85ShowMusicPage===Beforeaction : TRUE");
    } else if (m_manager.IsThreadUse(0, "ShowMusicPage")) {
        m_manager.HasAulum();
    }
}

void CMusicPanel::RefreshShownPage() {
    switch (m_nPage) {
    case kPageRecommend: OnRefresh(); break;
    case kPageAlbumTree: FetchAlbumsAfresh(); break;
    case kPagePlayList: m_view.RefreshSongView(kListTemporary); break;
    default: break;
    }
}

// ---- the recommendations ----

void CMusicPanel::OnRefresh() {
    // The first visit's run fills the list before anything is refreshed.
    if (!m_recommend.IsLoaded()) return;
    m_view.EnableSongView(kListRecommend, false);
    m_view.SetCurrentRow(kListRecommend, 0);
    if (!m_recommend.Refresh()) m_view.EnableSongView(kListRecommend, true);
}

void CMusicPanel::OnRecommendRunDone(int mode) {
    m_view.RefreshSongView(kListRecommend);
    if (mode == CRecommendations::kModeStored) {
        m_view.EnableSongView(kListRecommend, true);
        if (m_nPage == kPageRecommend || m_nPage == kPageRecommendLoading) ShowPage(kPageRecommend);
        return;
    }
    // The view stays locked while the refresh settles.
    m_view.ShowBusyPicture(true);
}

void CMusicPanel::OnRecommendSettled() {
    m_view.ShowBusyPicture(false);
    m_view.EnableSongView(kListRecommend, true);
    // Listening to the recommendations goes on with the new ones.
    St_SongInfo first;
    if (m_player.PlayingListKind() == kListRecommend && !m_player.IsStopped() && !m_recommend.List().IsEmpty() &&
        m_recommend.List().GetAt(0, first))
        m_player.Play(first, 0, kListRecommend);
}

// ---- the views ----

int CMusicPanel::ViewKindOfPage() const {
    switch (m_nPage) {
    case kPagePlayList: return kListTemporary;
    case kPageRecommend: return kListRecommend;
    case kPageAlbumTree: return kListAlbum;
    default: return -1;
    }
}

const CSongList* CMusicPanel::SongListOf(int kind) const {
    if (kind == kListTemporary) return &m_playList.List();
    if (kind == kListRecommend) return &m_recommend.List();
    return nullptr;
}

CSongList CMusicPanel::SongsAt(int kind, const std::vector<int>& rows) const {
    CSongList songs;
    const CSongList* list = SongListOf(kind);
    if (!list) return songs;
    for (int row : rows) {
        St_SongInfo song;
        if (list->GetAt(row, song)) songs.Add(song);
    }
    return songs;
}

CSongList CMusicPanel::SelectedSongs() const {
    const int kind = ViewKindOfPage();
    if (kind == kListTemporary || kind == kListRecommend) return SongsAt(kind, m_view.SelectedRows(kind));
    CSongList songs;
    if (kind != kListAlbum) return songs;
    const St_AlbumSelection selection = m_albumView.AlbumSelection();
    const int index = m_manager.AlbumIndexOf(selection.album);
    if (index < 0) return songs;
    const St_Album album = m_manager.Albums().GetAt(index);
    for (int position : selection.positions) {
        St_SongInfo song;
        if (album.songs.GetAt(position - 1, song)) songs.Add(song);
    }
    return songs;
}

St_SongInfo CMusicPanel::CurrentSong() const {
    const int kind = ViewKindOfPage();
    St_SongInfo song;
    if (kind == kListAlbum) {
        const CSongList selected = SelectedSongs();
        if (!selected.IsEmpty()) selected.GetAt(0, song);
    } else if (const CSongList* list = SongListOf(kind)) {
        const int row = m_view.CurrentRow(kind);
        if (row >= 0) list->GetAt(row, song);
    }
    return song;
}

void CMusicPanel::OnRowDoubleClicked(int kind, int row) {
    const CSongList* list = SongListOf(kind);
    St_SongInfo song;
    if (!list || row < 0 || !list->GetAt(row, song)) return;
    m_player.Play(song, row, kind);
}

void CMusicPanel::OnAlbumItemDoubleClicked() {
    const St_AlbumSelection selection = m_albumView.AlbumSelection();
    if (selection.position > 0) PlayAlbumSong(selection);
}

void CMusicPanel::OnContextMenu(int kind, int row) {
    if (kind == kListTemporary || kind == kListRecommend) {
        const St_MenuPlace place{row, SongListOf(kind)->GetCount()};
        const std::vector<St_AlbumChoice> albums = row >= 0 ? AlbumChoices() : std::vector<St_AlbumChoice>{};
        RunMenu(kind == kListTemporary ? PlayListMenu(place, albums) : RecommendMenu(place, albums));
        return;
    }
    const St_AlbumSelection selection = m_albumView.AlbumSelection();
    const int index = m_manager.AlbumIndexOf(selection.album);
    if (index < 0) return;
    const St_Album album = m_manager.Albums().GetAt(index);
    if (selection.position > 0)
        RunMenu(SongItemMenu({selection.position - 1, album.songs.GetCount()}, AlbumChoices()));
    else
        RunMenu(AlbumItemMenu({index, m_manager.Albums().GetCount()}, album.songs.GetCount()));
}

std::string CMusicPanel::DeleteAlbumQuestion(const std::string& albumName) {
    return Cp936("确认删除专辑“") + albumName + Cp936("”？");
}

void CMusicPanel::OnTreeDeleteKey() {
    const CAlbumEditor::St_AlbumTarget target = m_editor.SelectedTarget();
    if (target.albumId.empty()) return;
    if (!target.albumItem) {
        m_editor.OnDelalumsong();
        return;
    }
    // The album asked about is the one deleted, whatever the question's
    // wait brings.
    if (m_view.Ask(DeleteAlbumQuestion(target.albumName))) m_editor.OnDelalum(target);
}

std::vector<St_AlbumChoice> CMusicPanel::AlbumChoices() {
    std::vector<St_AlbumChoice> choices;
    if (!m_manager.AlbumsShown()) return choices;
    for (const CAlbumEditor::St_SaveMenuEntry& entry : m_editor.SaveMenu())
        choices.push_back({entry.command, entry.name, entry.songCount, entry.isDefault});
    return choices;
}

void CMusicPanel::RunMenu(const PanelMenu& menu) {
    if (const int command = m_view.TrackMenu(menu)) OnCommand(command);
}

void CMusicPanel::OnSongDetails(const St_SongInfo& song) {
    if (song.id.empty()) return;
    m_view.PostToFrame(WM_FRAME_SONGINFO, static_cast<WPARAM>(std::strtoull(song.id.c_str(), nullptr, 10)));
}

void CMusicPanel::OnManageAlbum(AlbumItem album) {
    const int index = m_manager.AlbumIndexOf(album);
    if (index < 0) return;
    const std::string albumId = m_manager.Albums().GetAt(index).albumId;
    m_view.PostToFrame(WM_FRAME_ALBUMINFO, static_cast<WPARAM>(std::strtoull(albumId.c_str(), nullptr, 10)));
}

void CMusicPanel::OnPlayAlbum(AlbumItem album) { PlayAlbumOf(album); }

// ---- playing ----

void CMusicPanel::PlaySelectedSong() {
    const int kind = ViewKindOfPage();
    if (kind == kListAlbum) {
        PlayAlbumSong(m_albumView.AlbumSelection());
        return;
    }
    if (kind >= 0) OnRowDoubleClicked(kind, m_view.CurrentRow(kind));
}

void CMusicPanel::PlayAlbumSong(const St_AlbumSelection& selection) {
    const int index = m_manager.AlbumIndexOf(selection.album);
    if (index < 0 || selection.position < 1) return;
    const St_Album album = m_manager.Albums().GetAt(index);
    St_SongInfo song;
    if (!album.songs.GetAt(selection.position - 1, song)) return;
    // The album becomes the one the player's album list is built from.
    m_manager.SetPlayingAlbum(album.albumId, song.id);
    m_player.Play(song, selection.position - 1, kListAlbum);
}

void CMusicPanel::PlayAlbumOf(AlbumItem item) {
    const int index = m_manager.AlbumIndexOf(item);
    if (item == kNoAlbumItem || index < 0) {
        ShowMessage(Cp936(kNoAlbumSelectedText));
        return;
    }
    const St_Album album = m_manager.Albums().GetAt(index);
    St_SongInfo first;
    if (!album.songs.GetAt(0, first)) return;
    m_manager.SetPlayingAlbum(album.albumId, first.id);
    m_albumView.ExpandItem(item);
    m_player.Play(first, 0, kListAlbum);
}

void CMusicPanel::SetPlayMode(int mode) {
    if (mode < kModeSingle || mode > kModeRepeatList) return;
    m_nPlayMode = mode;
    m_player.PlayModeChanged();
}

// ---- IPlayPanel ----

CSongList* CMusicPanel::ListOfKind(int kind) {
    switch (kind) {
    case kListTemporary: return &m_playList.List();
    case kListRecommend: return &m_recommend.List();
    case kListAlbum: {
        const int index = m_manager.AlbumIndexOf(m_manager.PlayingAlbumItem());
        const St_Album album = m_manager.Albums().GetAt(index);
        m_albumSongs = album.songs;
        m_strAlbumSongsId = album.albumId;
        // The album list keeps no playing mark; the playing song gets it here.
        const int playing = m_manager.PlayingSongId().empty() ? -1 : m_albumSongs.FindSong(m_manager.PlayingSongId());
        St_SongInfo song;
        if (playing >= 0 && m_albumSongs.GetAt(playing, song)) {
            song.playing = kPlayingMark;
            m_albumSongs.SetAt(playing, song);
            m_albumSongs.AdjustPlayingItem();
        }
        return &m_albumSongs;
    }
    default: return nullptr;
    }
}

void CMusicPanel::PlayingAlbumChanged() {
    if (m_player.PlayingListKind() != kListAlbum) return;
    // The last copy the player read is the album as it was.
    const CSongList before = m_albumSongs;
    const CSongList& now = *ListOfKind(kListAlbum);
    const std::string id = m_player.CurrentSong().id;
    const int was = id.empty() ? -1 : before.FindSong(id);
    if (was < 0 || now.FindSong(id) >= 0) return;
    // The first song after it, round the end, that is still in the album.
    int next = -1;
    const int count = before.GetCount();
    for (int step = 1; step < count && next < 0; ++step) {
        St_SongInfo song;
        before.GetAt((was + step) % count, song);
        next = now.FindSong(song.id);
    }
    m_player.SongRemoved(kListAlbum, next);
}

bool CMusicPanel::SelectRow(int kind, int index) {
    if (kind == kListAlbum) return m_albumView.SelectSongItem(m_manager.PlayingAlbumItem(), index + 1);
    const CSongList* list = ListOfKind(kind);
    if (!list || index < 0 || index >= list->GetCount()) return false;
    m_view.SetCurrentRow(kind, index);
    return true;
}

void CMusicPanel::ShowPlayingRow(int kind, int index, const St_SongInfo& song) {
    if (kind == kListAlbum) {
        m_manager.SetPlayingAlbum(m_strAlbumSongsId, song.id);
        m_albumView.MarkPlayingSong(m_manager.PlayingAlbumItem(), index + 1);
        return;
    }
    m_view.RefreshSongView(kind);
    if (kind == kListTemporary) m_view.ShowRow(kind, index);
}

void CMusicPanel::RedrawList(int kind) {
    if (kind == kListAlbum) m_view.RefreshAlbumTree();
    else if (kind == kListTemporary || kind == kListRecommend) m_view.RefreshSongView(kind);
}

void CMusicPanel::ShowMessage(const std::string& text) { m_albumView.ShowMessage(text); }

// ---- the play list and the recommendations ----

std::string CMusicPanel::CurrentIdOf(int kind) const {
    return m_player.PlayingListKind() == kind ? m_player.CurrentSong().id : std::string();
}

void CMusicPanel::OnAddToPlayList() {
    const int kind = ViewKindOfPage();
    if (kind != kListAlbum) {
        AddToPlayList(SelectedSongs());
        return;
    }
    // An album item adds the whole album.
    const St_AlbumSelection selection = m_albumView.AlbumSelection();
    const int index = m_manager.AlbumIndexOf(selection.album);
    if (index < 0) return;
    AddToPlayList(selection.position > 0 ? SelectedSongs() : m_manager.Albums().GetAt(index).songs);
}

void CMusicPanel::AddLibrarySongs() {
    if (m_nPage != kPageRecommend) AddToPlayList(SongsAt(kListRecommend, m_view.SelectedRows(kListRecommend)));
}

int CMusicPanel::AddToPlayList(const CSongList& songs) {
    Trace("AddSong Page %d SongNum %d...", static_cast<int>(kPagePlayList), songs.GetCount());
    const int added = m_playList.Add(songs);
    if (added <= 0) return added;
    m_view.RefreshSongView(kListTemporary);
    m_view.SetCurrentRow(kListTemporary, m_playList.List().GetCount() - 1);
    if (m_nPage == kPageEmptyPlayList) ShowPage(kPagePlayList);
    return added;
}

void CMusicPanel::OnDeleteSelected() {
    Trace("OnDelsel page : %d...", m_nPage);
    if (m_nPage == kPageAlbumTree) {
        m_editor.OnDelalumsong();
        return;
    }
    const int kind = ViewKindOfPage();
    if (kind != kListTemporary && kind != kListRecommend) return;
    const std::vector<int> rows = m_view.SelectedRows(kind);
    if (rows.empty()) return;
    const std::string currentId = CurrentIdOf(kind);
    const St_Removal removal = kind == kListTemporary ? m_playList.Remove(rows, currentId)
                                                      : RemoveRows(m_recommend.List(), rows, currentId);
    m_view.RefreshSongView(kind);
    if (removal.current) m_player.SongRemoved(kind, removal.nextIndex);
    if (kind == kListTemporary && m_playList.List().IsEmpty()) {
        ShowPage(kPageEmptyPlayList);
        Trace("Delsong===Empty.");
    }
}

void CMusicPanel::OnRemoveDuplicates() {
    if (m_nPage != kPagePlayList) return;
    m_playList.RemoveDuplicates();
    m_view.RefreshSongView(kListTemporary);
}

void CMusicPanel::OnClear() {
    if (m_nPage != kPagePlayList && m_nPage != kPageAlbumTree) return;
    if (m_nPage == kPageAlbumTree) {
        // The album is the one selected when the user was asked.
        const CAlbumEditor::St_AlbumTarget target = m_editor.SelectedTarget();
        if (m_view.Ask(Cp936(kClearQuestion))) m_editor.OnCleanAlbum(target);
        return;
    }
    if (!m_view.Ask(Cp936(kClearQuestion))) return;
    const bool current = m_playList.Clear(CurrentIdOf(kListTemporary));
    m_view.RefreshSongView(kListTemporary);
    if (current) m_player.SongRemoved(kListTemporary, -1);
    ShowPage(kPageEmptyPlayList);
}

void CMusicPanel::OnMove(bool up) {
    if (m_nPage == kPageAlbumTree) {
        m_editor.Move(up);
        return;
    }
    if (m_nPage != kPagePlayList) return;
    const int row = m_playList.Move(m_view.CurrentRow(kListTemporary), up);
    m_view.RefreshSongView(kListTemporary);
    if (row >= 0) m_view.SetCurrentRow(kListTemporary, row);
}

void CMusicPanel::OnSort(bool byName) {
    if (m_nPage == kPageAlbumTree) {
        m_editor.Sort(byName);
        return;
    }
    if (m_nPage != kPagePlayList) return;
    m_playList.Sort(byName);
    m_view.RefreshSongView(kListTemporary);
}

void CMusicPanel::OnRename() {
    if (m_editor.CheckAndSave("OnRename", true)) return;
    const St_AlbumSelection selection = m_albumView.AlbumSelection();
    if (selection.album != kNoAlbumItem && selection.position == 0) m_view.EditAlbumName(selection.album);
}

void CMusicPanel::OnSearch(int command) {
    const St_SongInfo song = CurrentSong();
    if (song.id.empty()) return;
    const std::string& key = command == ID_SEARCH_SINGER ? song.singer
                             : command == ID_SEARCH_ALBUM ? song.album
                                                          : song.name;
    m_view.ShowPanePage("search", key);
}

// ---- the buttons' menus ----

void CMusicPanel::OnSaveMenu() {
    const std::vector<CAlbumEditor::St_SaveMenuEntry> entries = m_editor.SaveMenu();
    std::vector<St_AlbumChoice> choices;
    for (const CAlbumEditor::St_SaveMenuEntry& entry : entries)
        choices.push_back({entry.command, entry.name, entry.songCount, entry.isDefault});
    if (!choices.empty()) RunMenu(SaveToMenu(choices));
}

void CMusicPanel::OnDeleteMenu() {
    bool albumItem = false;
    int songs = 0;
    if (m_nPage == kPageAlbumTree) {
        const St_AlbumSelection selection = m_albumView.AlbumSelection();
        const int index = m_manager.AlbumIndexOf(selection.album);
        albumItem = selection.position == 0;
        songs = index < 0 ? 0 : m_manager.Albums().GetAt(index).songs.GetCount();
    }
    RunMenu(DeleteMenu(m_nPage, albumItem, songs));
}

void CMusicPanel::OnScroll(int command) {
    const bool tree = command == ID_TREE_SCROLL_UP || command == ID_TREE_SCROLL_DOWN;
    if (tree && m_nPage != kPageAlbumTree) return;
    m_view.ScrollView(m_nPage, ScrollRowsOf(command));
}

void CMusicPanel::OpenLink(bool loginHost, const char* path) {
    const ServiceHosts hosts = ReadServiceHosts();
    tonvik::platform::OpenUrl(HostAddress(loginHost ? hosts.login : hosts.service, path));
}
