#pragma once
// Keep song order: moving or sorting songs inside an album is not sent at
// once. The order the album had before its first change is kept here until
// the new order is sent (or found to be the old one after all).

#include "model/AlbumList.h"
#include "model/SongList.h"

#include <string>

class CSongOrder {
public:
    // Before a move or a sort of the album's songs ("Move" or "Sort" names
    // the change in the trace). The first change of an album keeps its order.
    void Record(const St_Album& album, const char* change);
    // Nothing recorded (m_bSortClean).
    bool IsClean() const { return m_bSortClean != 0; }
    // The re-ordered album; empty when clean.
    const std::string& AlbumId() const { return m_strSortAlbumId; }
    // Whether the album's songs are no longer in the kept order.
    bool Differs(const St_Album& album) const;
    void Clear();

private:
    std::string m_strSortAlbumId;
    CSongList m_sortSongs;
    int m_bSortClean = 1;
};
