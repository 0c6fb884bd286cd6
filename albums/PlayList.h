#pragma once
// The temporary play list (list kind 0): the songs the user queued, kept
// across runs in "Playlist.xls" in the program's folder. It is read once at
// start, keeping only the sound songs of the file, and written after every
// change; a save replaces the file atomically, so a failed one leaves the
// old file whole.

#include "model/SongList.h"

#include <filesystem>
#include <string>
#include <vector>

// What removing songs did to the song the player plays (or starts) from the
// same list.
struct St_Removal {
    bool current = false;  // it was among the songs removed
    int nextIndex = -1;    // where the song that followed it is now; -1 for none
};

// Removes the songs at `rows` (rows out of range are ignored). `currentId`
// is the player's current song when it comes from this list, else empty.
St_Removal RemoveRows(CSongList& list, const std::vector<int>& rows, const std::string& currentId);

// Whether a song read from the file is one the service could have given:
// an id of printable characters without blanks, and texts without control
// characters, none of them overlong.
bool IsSoundSong(const St_SongInfo& song);

class CPlayList {
public:
    static constexpr const char* kFileName = "Playlist";
    static constexpr size_t kMaxIdLength = 64;
    static constexpr size_t kMaxTextLength = 1024;
    // Appended to the name of a play-list file that could not be read.
    static constexpr const char* kUnreadableSuffix = ".bad";

    CPlayList();
    CPlayList(const CPlayList&) = delete;
    CPlayList& operator=(const CPlayList&) = delete;

    CSongList& List() { return m_list; }
    const CSongList& List() const { return m_list; }

    // Reads the file; a missing one leaves the list empty. One that cannot
    // be read is renamed "Playlist.xls.bad" (traced), so the next save does
    // not replace it.
    void Load();
    // Writes the file (an empty list removes it); false when it could not
    // be written.
    bool Save();

    // Each change below is saved at once.
    St_Removal Remove(const std::vector<int>& rows, const std::string& currentId);
    // True when the player's current song (`currentId`) was in the list.
    bool Clear(const std::string& currentId);
    void RemoveDuplicates();
    // By name or by singer, ascending and descending by turns.
    void Sort(bool byName);
    // The song at `row` one up or down, wrapping round at the ends; the row
    // it went to, -1 when there was no such row.
    int Move(int row, bool up);
    // The songs not in the list yet, at its end; the number added.
    int Add(const CSongList& songs);

private:
    void KeepAside(const std::filesystem::path& file);

    CSongList m_list;
    bool m_bFileKept = false;  // the unreadable file could not be moved aside
    int m_bSortAscending = 1;
};
