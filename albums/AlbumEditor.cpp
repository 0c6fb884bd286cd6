#include "albums/AlbumEditor.h"

#include "albums/AlbumTexts.h"
#include "common/Text.h"
#include "common/Trace.h"

#include <algorithm>
#include <exception>
#include <set>

namespace {

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

}  // namespace

// Saving songs to an album goes in steps, each waiting for the worker's run
// of the step before: the new album created, the songs added, the moved
// songs removed from their old album, and then the tip with the counts. The
// window stays live in between; a step whose run did not end within its
// bound is not continued, and moved songs leave their old album only when
// the service took them into the new one.
struct CAlbumEditor::SaveTo {
    enum Step { kAwaitCreate, kAwaitAdd, kAwaitRemove };

    int step = kAwaitCreate;
    WPARAM run = 0;
    std::chrono::steady_clock::time_point deadline;
    bool move = false;  // from another album, which loses the songs
    CSongList songs;
    int added = 0;
    St_Album targetBefore;  // the album as it was before the songs were added
    std::string sourceAlbumId;
    std::string targetAlbumId;
    AlbumItem newItem = kNoAlbumItem;
};

CAlbumEditor::CAlbumEditor(CAlbumManager& manager, IAlbumView& view, IAlbumPlayer& player, Clock clock)
    : m_manager(manager), m_view(view), m_player(player), m_clock(std::move(clock)) {
    m_manager.SetListener(this);
}

CAlbumEditor::~CAlbumEditor() { m_manager.SetListener(nullptr); }

void CAlbumEditor::ShowBusy() { m_manager.ShowMessage(Cp936(kBusyText)); }

bool CAlbumEditor::ReadyFor(const char* command) {
    // A new order is sent first; the command goes on once that save ended.
    CheckAndSave(command, true);
    if (m_manager.IsThreadUse(kCommandGuardMs, command)) return true;
    ShowBusy();
    return false;
}

CAlbumEditor::St_AlbumTarget CAlbumEditor::SelectedTarget() const {
    St_AlbumTarget target;
    const St_AlbumSelection selection = m_view.AlbumSelection();
    const int index = m_manager.AlbumIndexOf(selection.album);
    if (index < 0) return target;
    const St_Album album = m_manager.Albums().GetAt(index);
    target.albumId = album.albumId;
    target.albumName = album.albumName;
    target.albumItem = selection.position == 0;
    std::vector<int> positions = selection.positions;
    if (positions.empty() && selection.position > 0) positions.push_back(selection.position);
    for (int position : positions) {
        St_SongInfo song;
        if (album.songs.GetAt(position - 1, song)) target.songIds.push_back(song.id);
    }
    return target;
}

int CAlbumEditor::IndexOfTarget(const St_AlbumTarget& target, const char* command) const {
    const int index = target.albumId.empty() ? -1 : m_manager.Albums().FindById(target.albumId);
    if (index < 0) Trace("%s===The album is gone.", command);
    return index;
}

// ---- sending an album ----

int CAlbumEditor::EditAlbum(St_Album album, AlbumItem item) {
    if (item == kNoAlbumItem || album.albumId.empty()) {
        Trace("EditAlbum:Invalid Param");
        return 0;
    }
    album.songs.Compact();
    album.songIds.clear();
    for (const St_SongInfo& song : album.songs.Snapshot()) {
        if (!album.songIds.empty()) album.songIds += '|';
        album.songIds += song.id;
    }
    const int started = m_manager.OnEditAlbum(album);
    if (started && !m_order.IsClean() && album.albumId == m_order.AlbumId()) {
        Trace("EditAlbum===Same to Order item.");
        m_order.Clear();
    }
    m_view.SetAlbumItemText(item, album.albumName, album.songs.GetCount());
    return started;
}

// ---- creating, renaming, deleting ----

int CAlbumEditor::OnMyCreateAlbum(AlbumItem item) {
    if (item == kNoAlbumItem || m_manager.Albums().GetCount() >= CAlbumList::kCapacity) {
        Trace("HTREEITEM is Null Or count >=50");
        m_view.ShowMessage(Cp936(kTooManyAlbumsText));
        m_view.DeleteItem(item);
        return -1;
    }
    St_Album album;
    album.albumName = m_view.TakeLabelEditText();
    if (IsBlank(album.albumName)) album.albumName = Cp936(kDefaultAlbumName);
    if (!m_manager.OnCreateAlbum(album, item)) {
        m_view.DeleteItem(item);
        return -1;
    }
    m_view.SetAlbumItemText(item, album.albumName, 0);
    return 1;
}

void CAlbumEditor::OnRenameAlbum(AlbumItem item) {
    const int index = m_manager.AlbumIndexOf(item);
    if (index < 0) return;
    St_Album album = m_manager.Albums().GetAt(index);
    const std::string oldName = album.albumName;
    album.albumName = m_view.TakeLabelEditText();
    Trace("Rename %s to %s", oldName.c_str(), album.albumName.c_str());
    const int songCount = album.songs.GetCount();
    if (album.albumName != oldName && !IsBlank(album.albumName) && m_manager.OnEditAlbum(album)) {
        m_manager.Albums().SetAt(index, album);
        m_view.SetAlbumItemText(item, album.albumName, songCount);
        return;
    }
    m_view.SetAlbumItemText(item, oldName, songCount);
}

// The album commands take their album from the selection before they wait
// for the worker: the wait may apply runs that had just ended, and their
// completions may select a new album or rebuild the tree. After the wait the
// album is found again by its identifier.

void CAlbumEditor::OnDelalum() { OnDelalum(SelectedTarget()); }

void CAlbumEditor::OnDelalum(const St_AlbumTarget& target) {
    if (target.albumId.empty() || !target.albumItem) return;
    if (!ReadyFor("OnDelalum")) return;
    const int index = IndexOfTarget(target, "OnDelalum");
    if (index < 0) return;
    const AlbumItem item = m_view.AlbumItemAt(index);
    m_view.DeleteItem(item);
    m_manager.Albums().RemoveAt(index);
    if (target.albumId == m_order.AlbumId()) m_order.Clear();
    if (item == m_manager.PlayingAlbumItem()) {
        // The album is gone whether or not it plays now.
        const bool playing = m_player.PlayingListKind() == kListAlbum;
        m_manager.ClearPlayingAlbum();
        if (playing) m_player.StopPlayer("OnDelalum");
    }
    m_manager.StartDelAlbum(target.albumId);
}

// ---- songs ----

bool CAlbumEditor::RemoveSongs(int index, AlbumItem item,
                               const std::function<bool(int position, const St_SongInfo&)>& marked) {
    St_Album album = m_manager.Albums().GetAt(index);
    const int count = album.songs.GetCount();
    int first = 0;
    for (int position = 1; position <= count; ++position) {
        St_SongInfo song;
        album.songs.GetAt(position - 1, song);
        if (!marked(position, song)) continue;
        if (first == 0) first = position;
        song.id.clear();
        album.songs.SetAt(position - 1, song);
    }
    if (first == 0 || !EditAlbum(album, item)) return false;
    const St_Album& sent = m_manager.EditingAlbum();
    m_manager.Albums().SetAt(index, sent);
    m_view.RebuildSongItems(item, sent);
    if (item == m_manager.PlayingAlbumItem() && m_player.PlayingListKind() == kListAlbum)
        m_player.PlayingAlbumChanged();
    else
        Trace("OnDelalumsong......4  %d  %d", m_player.PlayingListKind(), index);
    const int near = std::min(first, sent.songs.GetCount());
    if (near < 1 || !m_view.SelectSongItem(item, near)) {
        Trace("GetChildItemByID,Find Null.");
        m_view.SelectItem(item);
    }
    return true;
}

void CAlbumEditor::OnDelalumsong() {
    const St_AlbumTarget target = SelectedTarget();
    if (target.albumId.empty() || target.albumItem || target.songIds.empty()) return;
    if (!ReadyFor("OnDelalumsong")) return;
    const int index = IndexOfTarget(target, "OnDelalumsong");
    if (index < 0) return;
    const std::set<std::string> ids(target.songIds.begin(), target.songIds.end());
    RemoveSongs(index, m_view.AlbumItemAt(index), [&ids](int, const St_SongInfo& song) { return ids.count(song.id) > 0; });
}

void CAlbumEditor::OnCleanAlbum(const St_AlbumTarget& target) {
    if (target.albumId.empty()) {
        m_view.ShowMessage(Cp936(kNoAlbumSelectedText));
        return;
    }
    if (!ReadyFor("OnClean")) return;
    const int index = IndexOfTarget(target, "OnClean");
    if (index < 0) return;
    RemoveSongs(index, m_view.AlbumItemAt(index), [](int, const St_SongInfo&) { return true; });
}

int CAlbumEditor::AddSong(const CSongList& songs, AlbumItem album, bool keepSelection) {
    Trace("AddSong Page %d SongNum %d...", static_cast<int>(kPageAlbumTree), songs.GetCount());
    try {
        // The album is known by its identifier across the wait (see above).
        const int chosen = m_manager.AlbumIndexOf(album != kNoAlbumItem ? album : m_view.AlbumSelection().album);
        const std::string albumId = chosen < 0 ? std::string() : m_manager.Albums().GetAt(chosen).albumId;
        if (!m_manager.IsThreadUse(kCommandGuardMs, "AddSong")) {
            ShowBusy();
            return -1;
        }
        const int index = albumId.empty() ? -1 : m_manager.Albums().FindById(albumId);
        const AlbumItem item = index < 0 ? kNoAlbumItem : m_view.AlbumItemAt(index);
        if (item == kNoAlbumItem) {
            m_view.ShowMessage(Cp936(kNoAlbumSelectedText));
            return -1;
        }
        St_Album copy = m_manager.Albums().GetAt(index);
        if (copy.songs.GetCount() + songs.GetCount() > CSongList::kCapacity) {
            m_view.ShowMessage(Cp936(kTooManySongsText));
            return -1;
        }
        const int added = copy.songs.AddList(songs, false);
        if (added == 0) return 0;
        if (!EditAlbum(copy, item)) return -1;
        const St_Album& sent = m_manager.EditingAlbum();
        m_manager.Albums().SetAt(index, sent);
        m_view.RebuildSongItems(item, sent);
        m_view.ExpandItem(item);
        if (!keepSelection) m_view.SelectSongItem(item, sent.songs.GetCount());
        return added;
    } catch (const std::exception& error) {
        Trace("Add song Exception! %.512s", error.what());
        return -1;
    }
}

// ---- saving songs to an album ----

std::vector<CAlbumEditor::St_SaveMenuEntry> CAlbumEditor::SaveMenu() {
    const int page = m_view.CurrentPage();
    if (page == kPageEmptyPlayList) {
        m_view.ShowMessage(Cp936(kEmptyPlayListText));
        return {};
    }
    if ((page == kPagePlayList || page == kPageRecommend) && m_view.SelectedSongs().IsEmpty()) {
        m_view.ShowMessage(Cp936(kNoSongSelectedText));
        return {};
    }
    if (!m_manager.AlbumsShown()) return {};
    std::vector<St_SaveMenuEntry> entries;
    const CAlbumList& albums = m_manager.Albums();
    const int count = albums.GetCount();
    for (int i = 0; i < count; ++i) {
        const St_Album album = albums.GetAt(i);
        entries.push_back({kCmdSaveToFirst + i, album.albumName, album.songs.GetCount(), false});
    }
    entries.push_back({kCmdSaveToFirst + count, Cp936(kNewAlbumMenuText), -1, true});
    return entries;
}

void CAlbumEditor::OnNewMenuItem(int command) {
    const int page = m_view.CurrentPage();
    Trace("Saving Or Moving...%d", page);
    const int index = command - kCmdSaveToFirst;
    const int count = m_manager.Albums().GetCount();
    if (index < 0 || index > count) {
        Trace("OnNewMenuItem==Invalid Param.");
        return;
    }
    // The songs are taken before a new album is made: its item takes the
    // tree's selection.
    SaveTo job;
    job.move = page == kPageAlbumTree;
    job.songs = m_view.SelectedSongs();
    const St_AlbumSelection selection = m_view.AlbumSelection();
    if (job.move) {
        const int source = m_manager.AlbumIndexOf(selection.album);
        if (source >= 0) job.sourceAlbumId = m_manager.Albums().GetAt(source).albumId;
    }
    if (job.songs.IsEmpty()) {
        Trace("OnNewMenuItem===Select song is empty.");
        return;
    }
    if (index < count) {
        job.targetAlbumId = m_manager.Albums().GetAt(index).albumId;
        SaveToAlbum(std::move(job));
        return;
    }
    Trace("OnNewMenuItem==Create a new Album");
    const AlbumItem item = m_view.InsertAlbumItem(Cp936(kDefaultAlbumName), 0, CAlbumList::kItemDataBase);
    m_view.SelectItem(item);
    if (OnMyCreateAlbum(item) == -1) {
        m_view.SelectItem(selection.item);
        Trace("OnNewMenuItem==OnMyCreateAlbum failed!");
        return;
    }
    job.newItem = item;
    Await(std::move(job), SaveTo::kAwaitCreate, kCreateWait);
}

void CAlbumEditor::Await(SaveTo job, int step, std::chrono::milliseconds bound) {
    job.step = step;
    job.run = m_manager.CurrentRun();
    job.deadline = m_clock() + bound;
    m_saveTo = std::make_unique<SaveTo>(std::move(job));
}

void CAlbumEditor::SaveToAlbum(SaveTo job) {
    const int index = m_manager.Albums().FindById(job.targetAlbumId);
    const AlbumItem item = index < 0 ? kNoAlbumItem : m_view.AlbumItemAt(index);
    if (item == kNoAlbumItem) {
        Trace("OnNewMenuItem===Can't find the item");
        return;
    }
    if (!job.move) m_view.SelectItem(item);
    job.targetBefore = m_manager.Albums().GetAt(index);
    const int added = AddSong(job.songs, item, job.move);
    if (added == -1) {
        Trace("OnNewMenuItem,add song failed!");
        return;
    }
    job.added = added;
    // The run is taken before anything else can run the event loop.
    if (added > 0) Await(std::move(job), SaveTo::kAwaitAdd, kAddWait);
    else if (job.move) RemoveFromSource(std::move(job));
    else ShowAdded(job);
}

void CAlbumEditor::RemoveFromSource(SaveTo job) {
    // Songs "moved" to the album they are in stay where they are.
    const int source = m_manager.Albums().FindById(job.sourceAlbumId);
    if (source >= 0 && job.sourceAlbumId != job.targetAlbumId) {
        std::set<std::string> ids;
        for (const St_SongInfo& song : job.songs.Snapshot()) ids.insert(song.id);
        const bool removing = RemoveSongs(source, m_view.AlbumItemAt(source),
                                          [&ids](int, const St_SongInfo& song) { return ids.count(song.id) > 0; });
        if (removing) {
            Await(std::move(job), SaveTo::kAwaitRemove, kRemoveWait);
            return;
        }
    }
    ShowTarget(job);
    ShowAdded(job);
}

void CAlbumEditor::ShowTarget(const SaveTo& job) {
    const int index = m_manager.Albums().FindById(job.targetAlbumId);
    if (index < 0) return;
    const AlbumItem item = m_view.AlbumItemAt(index);
    m_view.ExpandItem(item);
    m_view.SelectItem(item);
}

void CAlbumEditor::UndoAdd(const SaveTo& job) {
    const int index = m_manager.Albums().FindById(job.targetAlbumId);
    if (index < 0) return;
    const AlbumItem item = m_view.AlbumItemAt(index);
    m_manager.Albums().SetAt(index, job.targetBefore);
    m_view.RebuildSongItems(item, job.targetBefore);
    m_view.SetAlbumItemText(item, job.targetBefore.albumName, job.targetBefore.songs.GetCount());
}

void CAlbumEditor::ShowAdded(const SaveTo& job) {
    const int skipped = job.songs.GetCount() - job.added;
    if (m_manager.IsClosing()) {
        Trace("OnNewMenuItem===Closing, added %d skipped %d.", job.added, skipped);
        return;
    }
    m_view.ShowAddedTip(job.added, skipped);
}

void CAlbumEditor::OnAlbumActionDone(int, WPARAM run, bool done) {
    if (!m_saveTo || m_saveTo->run != run) return;
    SaveTo job = std::move(*m_saveTo);
    m_saveTo.reset();
    const bool inTime = m_clock() <= job.deadline;
    switch (job.step) {
    case SaveTo::kAwaitCreate: {
        if (!inTime) {
            Trace("OnNewMenuItem===Create Album time out!");
            return;
        }
        const int index = m_manager.AlbumIndexOf(job.newItem);
        if (index < 0) {
            Trace("OnNewMenuItem===Above the total album Num!");
            return;
        }
        job.targetAlbumId = m_manager.Albums().GetAt(index).albumId;
        SaveToAlbum(std::move(job));
        return;
    }
    case SaveTo::kAwaitAdd:
        if (!done) {
            // The songs stay where they are, and the album shows again what
            // the service holds.
            Trace("OnNewMenuItem,add song failed!");
            UndoAdd(job);
            return;
        }
        if (job.move && inTime) {
            RemoveFromSource(std::move(job));
            return;
        }
        ShowAdded(job);
        return;
    case SaveTo::kAwaitRemove:
        if (!done) Trace("OnNewMenuItem===Remove song failed!");
        ShowTarget(job);
        ShowAdded(job);
        return;
    default: return;
    }
}

void CAlbumEditor::OnAlbumsReplaced() {
    m_order.Clear();
    m_saveTo.reset();
}

// ---- order ----

void CAlbumEditor::Move(bool up) {
    try {
        if (CheckAndSave("Move", false)) return;
        const St_AlbumSelection selection = m_view.AlbumSelection();
        const int index = m_manager.AlbumIndexOf(selection.album);
        if (index < 0) return;
        if (selection.position > 0) {
            MoveSong(selection, index, up);
            return;
        }
        // The albums' order is the tree's only; it is not sent.
        CAlbumList& albums = m_manager.Albums();
        const std::string albumId = albums.GetAt(index).albumId;
        if (up) albums.MoveUp(index);
        else albums.MoveDown(index);
        m_manager.RebuildAlbumTree();
        m_view.SelectItem(m_view.AlbumItemAt(albums.FindById(albumId)));
    } catch (const std::exception& error) {
        Trace("Move()==exception.page %d %.512s", m_view.CurrentPage(), error.what());
    }
}

void CAlbumEditor::MoveSong(const St_AlbumSelection& selection, int index, bool up) {
    St_Album album = m_manager.Albums().GetAt(index);
    const int count = album.songs.GetCount();
    const int position = selection.position;
    if (position > count) return;
    m_order.Record(album, "Move");
    if (up) album.songs.MoveUp(position - 1);
    else album.songs.MoveDown(position - 1);
    m_manager.Albums().SetAt(index, album);
    m_view.RebuildSongItems(selection.album, album);
    // The moves wrap round: up from the first is the last, down from the
    // last is the first.
    int moved = up ? position - 1 : position + 1;
    if (moved < 1) moved = count;
    if (moved > count) moved = 1;
    m_view.SelectSongItem(selection.album, moved);
}

void CAlbumEditor::Sort(bool byName) {
    if (CheckAndSave("Sort", false)) return;
    const St_AlbumSelection selection = m_view.AlbumSelection();
    const int index = m_manager.AlbumIndexOf(selection.album);
    if (index < 0) return;
    St_Album album = m_manager.Albums().GetAt(index);
    if (album.songs.IsEmpty()) return;
    m_order.Record(album, "Sort");
    album.songs.Sort(byName, m_bAlbumSortAscending != 0);
    m_bAlbumSortAscending = m_bAlbumSortAscending ? 0 : 1;
    m_manager.Albums().SetAt(index, album);
    m_view.RebuildSongItems(selection.album, album);
}

int CAlbumEditor::HasSaveAlbum(bool force) {
    const St_AlbumSelection selection = m_view.AlbumSelection();
    const int index = m_order.IsClean() ? -1 : m_manager.Albums().FindById(m_order.AlbumId());
    if (index < 0) {
        if (selection.album == kNoAlbumItem) Trace("HasSaveAlbum==No Sel Album");
        return 0;
    }
    if (!force && selection.album == m_view.AlbumItemAt(index)) return 0;
    return m_order.Differs(m_manager.Albums().GetAt(index)) ? 1 : 0;
}

int CAlbumEditor::SaveSortAlbum() {
    const int index = m_manager.Albums().FindById(m_order.AlbumId());
    if (m_order.IsClean() || index < 0) {
        Trace("SaveSortAlbum:cant find the album.");
        return 0;
    }
    const int started = EditAlbum(m_manager.Albums().GetAt(index), m_view.AlbumItemAt(index));
    if (started) m_manager.Albums().SetAt(index, m_manager.EditingAlbum());
    return started;
}

bool CAlbumEditor::CheckAndSave(const char* caller, bool checkOnly) {
    if (HasSaveAlbum(false) != 1) return false;
    SaveSortAlbum();
    if (!checkOnly) m_view.ShowTip(Cp936(kSavingOrderText));
    Trace("%s==BeforeAction : %d", caller, 1);
    return true;
}

bool CAlbumEditor::SaveChangedAlbums() { return HasSaveAlbum(true) == 1 && SaveSortAlbum() == 1; }
