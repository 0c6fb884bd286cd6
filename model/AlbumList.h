#pragma once
// The signed-in user's albums: an ordered, lock-protected list of at most 50.

#include "common/MFMutex.h"
#include "model/ListChanges.h"
#include "model/SongList.h"

#include <string>
#include <string_view>
#include <vector>

struct St_Album {
    // An album keeps its first 50 songs: its list refuses more. A list copy
    // does not carry that flag, so every way of making an album sets it.
    St_Album() { songs.SetNoEvict(true); }
    St_Album(const St_Album& other)
        : albumId(other.albumId), albumName(other.albumName), songIds(other.songIds), songs(other.songs) {
        songs.SetNoEvict(true);
    }
    St_Album& operator=(const St_Album& other) = default;

    std::string albumId;    // decimal digits
    std::string albumName;  // CP936
    std::string songIds;    // the songs' ids joined by "|", no trailing bar
    CSongList songs;
};

class CAlbumList : public CMFMutex {
public:
    static constexpr int kCapacity = 50;
    // The album tree stores 1000 + album id as an item's data.
    static constexpr long long kItemDataBase = 1000;

    CAlbumList() = default;
    CAlbumList(const CAlbumList& other);
    CAlbumList& operator=(const CAlbumList& other);

    int GetCount() const;
    bool IsEmpty() const;
    // A copy of the album; an empty album when out of range.
    St_Album GetAt(int index) const;
    void SetAt(int index, const St_Album& album);
    // Appends while fewer than 50 albums are held; otherwise drops it.
    void Add(const St_Album& album);
    void RemoveAt(int index);
    void RemoveAll();

    int FindById(std::string_view albumId) const;
    int FindByItemData(long long value) const;

    void MoveUp(int index);
    void MoveDown(int index);

    // Listeners told after each change of the albums (see ListChanges.h);
    // not copied with the list.
    int AddChangeListener(std::function<void()> listener) { return m_changes.Listen(std::move(listener)); }
    void RemoveChangeListener(int token) { m_changes.Forget(token); }

private:
    bool InRange(int index) const { return index >= 0 && index < static_cast<int>(m_albums.size()); }
    std::vector<St_Album> m_albums;
    CListChangeNotice m_changes;
};
