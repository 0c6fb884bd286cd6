#pragma once
// The ordered, lock-protected, bounded list of songs used everywhere a list
// of songs is kept. Every operation holds the list's lock for its whole run.

#include "common/MFMutex.h"
#include "model/ListChanges.h"
#include "model/SongInfo.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The list kinds between the my-music panel and the play controller.
enum SongListKind { kListTemporary = 0, kListRecommend = 2, kListAlbum = 5 };

class CSongList : public CMFMutex {
public:
    static constexpr int kCapacity = 50;

    CSongList();
    // Copies the songs and the playing index (not the no-eviction flag, not
    // the file path).
    CSongList(const CSongList& other);
    CSongList& operator=(const CSongList& other);

    int GetCount() const;
    bool IsEmpty() const;

    int GetAt(int index, St_SongInfo& out) const;
    int SetAt(int index, const St_SongInfo& song);

    // Appends a song with a non-empty id; a full list drops its first song,
    // or with the no-eviction flag refuses the new one.
    void Add(const St_SongInfo& song);
    // Appends the valid songs of `other` with their playing mark cleared,
    // skipping songs already present unless `allowDuplicates`. A full list
    // drops its first song for each song appended (none for a song skipped),
    // or with the no-eviction flag stops. Returns the number appended.
    int AddList(const CSongList& other, bool allowDuplicates);

    int RemoveHead(St_SongInfo& out);
    int RemoveAt(int index);
    void RemoveAll();

    bool HasSong(const St_SongInfo& song) const;
    int FindSong(std::string_view id) const;
    // The first valid song after `index`, wrapping round to the start but
    // never returning `index` itself; -1 (and out.id empty) when none.
    int FindNextValid(int index, St_SongInfo& out) const;

    void ClearDuplicates();
    void Compact();
    int CompactAndFindNext();
    void AdjustPlayingItem();

    void MoveUp(int index);
    void MoveDown(int index);
    // Orders by name (byName) or by singer with the locale's comparison of
    // Chinese text; among equal keys the later song comes first.
    void Sort(bool byName, bool ascending);

    // Names the play-list file: the program's folder, `name` and ".xls".
    void SetFileName(std::string_view name);
    // Puts the play-list file somewhere else altogether.
    void SetFilePath(const std::filesystem::path& path);
    std::filesystem::path GetFilePath() const;

    // Writes the list as tab-separated CP936 lines, replacing the file
    // atomically; an empty list removes the file. Returns the lines written
    // (0 also when writing failed, which leaves the old file as it was).
    int SaveToFile() const;
    // Replaces the list with the valid songs of the file (at most
    // m_nMaxCount); a path that is missing or is no regular file (a folder)
    // leaves the list as it is, and an overlong line is skipped. 1 when the
    // file was read, 0 when there is no file, -1 when it could not be opened.
    int LoadFromFile();

    // The playing index, -1 for none.
    int GetPlayingIndex() const;
    void SetNoEvict(bool noEvict);
    bool GetNoEvict() const;

    // A copy of all songs at once, for display.
    std::vector<St_SongInfo> Snapshot() const;

    // Listeners told after each change of the songs (see ListChanges.h);
    // not copied with the list.
    int AddChangeListener(std::function<void()> listener) { return m_changes.Listen(std::move(listener)); }
    void RemoveChangeListener(int token) { m_changes.Forget(token); }

private:
    bool InRange(int index) const { return index >= 0 && index < static_cast<int>(m_songs.size()); }
    void DropHeadLocked();

    std::vector<St_SongInfo> m_songs;
    int m_nMaxCount = kCapacity;  // capacity when loading from the file
    int m_nPlayingIndex = -1;
    bool m_bNoEvict = false;
    std::filesystem::path m_szFilePath;
    CListChangeNotice m_changes;
};
