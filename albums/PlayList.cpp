#include "albums/PlayList.h"

#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <system_error>

namespace {

bool IsPlainText(const std::string& text, size_t limit) {
    if (text.size() > limit) return false;
    return std::none_of(text.begin(), text.end(), [](char ch) {
        const auto byte = static_cast<unsigned char>(ch);
        return byte < 0x20 || byte == 0x7F;
    });
}

}  // namespace

St_Removal RemoveRows(CSongList& list, const std::vector<int>& rows, const std::string& currentId) {
    CMFAutoLock lock(list);
    St_Removal removal;
    int currentRow = -1;
    for (int row : rows) {
        St_SongInfo song;
        if (!list.GetAt(row, song) || song.id.empty()) continue;
        if (!currentId.empty() && song.id == currentId && currentRow < 0) currentRow = row;
        song.id.clear();
        list.SetAt(row, song);
    }
    St_SongInfo next;
    if (currentRow >= 0) {
        removal.current = true;
        list.FindNextValid(currentRow, next);
    }
    list.Compact();
    if (!next.id.empty()) removal.nextIndex = list.FindSong(next.id);
    return removal;
}

bool IsSoundSong(const St_SongInfo& song) {
    if (song.id.empty() || song.id.size() > CPlayList::kMaxIdLength || song.name.empty()) return false;
    const bool printableId = std::all_of(song.id.begin(), song.id.end(), [](char ch) {
        const auto byte = static_cast<unsigned char>(ch);
        return byte > 0x20 && byte < 0x7F;
    });
    return printableId && IsPlainText(song.name, CPlayList::kMaxTextLength) &&
           IsPlainText(song.singer, CPlayList::kMaxTextLength) && IsPlainText(song.album, CPlayList::kMaxTextLength);
}

CPlayList::CPlayList() { m_list.SetFileName(kFileName); }

void CPlayList::Load() {
    // The program's folder as the program was told it at start.
    const std::filesystem::path file = std::filesystem::path(g_strDataDir) / (std::string(kFileName) + ".xls");
    m_list.SetFilePath(file);
    // What a save killed on the way left beside the file.
    tonvik::platform::RemoveLeftTemporaries(file);
    const int read = m_list.LoadFromFile();
    // Lines another program or a damaged disk left behind are not songs.
    int unsound = 0;
    {
        CMFAutoLock lock(m_list);
        for (int row = 0; row < m_list.GetCount(); ++row) {
            St_SongInfo song;
            m_list.GetAt(row, song);
            if (IsSoundSong(song)) continue;
            song.id.clear();
            m_list.SetAt(row, song);
            ++unsound;
        }
        if (unsound > 0) m_list.Compact();
    }
    Trace("LoadPlayList===%d songs, %d dropped.", m_list.GetCount(), unsound);
    // A file that could not be opened, or held bytes but not one song, is
    // the user's list all the same: it goes aside before a change is saved
    // over it.
    std::error_code ec;
    if (read < 0 || (m_list.IsEmpty() && std::filesystem::file_size(file, ec) > 0 && !ec)) KeepAside(file);
}

void CPlayList::KeepAside(const std::filesystem::path& file) {
    std::filesystem::path aside = file;
    aside += kUnreadableSuffix;
    std::error_code ec;
    std::filesystem::rename(file, aside, ec);
    if (ec) {
        // It could not be moved: nothing is saved over it in this run.
        m_bFileKept = true;
        Trace("LoadPlayList===Can not read %s, nor keep it aside: %s", file.c_str(), ec.message().c_str());
        return;
    }
    Trace("LoadPlayList===Can not read %s, kept as %s", file.c_str(), aside.c_str());
}

bool CPlayList::Save() {
    if (m_bFileKept) {
        Trace("SavePlayList===The unreadable play list stays; not saved.");
        return false;
    }
    const bool empty = m_list.IsEmpty();
    return m_list.SaveToFile() > 0 || empty;
}

St_Removal CPlayList::Remove(const std::vector<int>& rows, const std::string& currentId) {
    const St_Removal removal = RemoveRows(m_list, rows, currentId);
    Save();
    return removal;
}

bool CPlayList::Clear(const std::string& currentId) {
    const bool current = !currentId.empty() && m_list.FindSong(currentId) >= 0;
    m_list.RemoveAll();
    Save();
    return current;
}

void CPlayList::RemoveDuplicates() {
    m_list.ClearDuplicates();
    m_list.Compact();
    Save();
}

void CPlayList::Sort(bool byName) {
    if (m_list.IsEmpty()) return;
    m_list.Sort(byName, m_bSortAscending != 0);
    m_bSortAscending = m_bSortAscending ? 0 : 1;
    Save();
}

int CPlayList::Move(int row, bool up) {
    const int count = m_list.GetCount();
    if (row < 0 || row >= count) return -1;
    if (up) m_list.MoveUp(row);
    else m_list.MoveDown(row);
    Save();
    if (count < 2) return row;
    if (up) return row == 0 ? count - 1 : row - 1;
    return row == count - 1 ? 0 : row + 1;
}

int CPlayList::Add(const CSongList& songs) {
    const int added = m_list.AddList(songs, false);
    m_list.Compact();
    if (added > 0) Save();
    return added;
}
