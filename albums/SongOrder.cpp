#include "albums/SongOrder.h"

#include "common/Trace.h"

#include <vector>

void CSongOrder::Record(const St_Album& album, const char* change) {
    // A change of another album than the recorded one starts from that
    // album's own order: comparing it with the kept songs of the first would
    // always find a difference.
    if (m_bSortClean || album.albumId != m_strSortAlbumId) {
        Trace("%s===First Move this Album.", change);
        m_bSortClean = 0;
        m_sortSongs = album.songs;
    }
    m_strSortAlbumId = album.albumId;
}

bool CSongOrder::Differs(const St_Album& album) const {
    const std::vector<St_SongInfo> now = album.songs.Snapshot();
    const std::vector<St_SongInfo> kept = m_sortSongs.Snapshot();
    if (now.size() != kept.size()) {
        Trace("HasSaveAlbum===Can't go here!");
        return true;
    }
    for (size_t i = 0; i < now.size(); ++i) {
        if (now[i].id != kept[i].id) {
            Trace("HasSaveAlbum===Order change!");
            return true;
        }
    }
    return false;
}

void CSongOrder::Clear() {
    m_bSortClean = 1;
    m_strSortAlbumId.clear();
    m_sortSongs.RemoveAll();
}
