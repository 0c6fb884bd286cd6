#include "albums/AlbumTreeItems.h"

#include <algorithm>
#include <charconv>

namespace {

// The album identifier of item data 1000 + id; empty for 1000 itself (an
// album not created yet) and anything below.
std::string AlbumIdOf(long long data) {
    return data > CAlbumList::kItemDataBase ? std::to_string(data - CAlbumList::kItemDataBase) : std::string();
}

}  // namespace

CAlbumTreeItems::CAlbumTreeItems(IAlbumTreeControl& control) : m_control(control) {}

int CAlbumTreeItems::IndexOf(AlbumItem album) const {
    const auto found = std::find(m_handles.begin(), m_handles.end(), album);
    return found == m_handles.end() ? -1 : static_cast<int>(found - m_handles.begin());
}

AlbumItem CAlbumTreeItems::HandleOf(const TreeItemRef& item) const {
    const AlbumItem album = AlbumItemAt(item.album);
    if (album == kNoAlbumItem || item.song < 0) return album;
    return item.song < m_shown.GetAt(item.album).songs.GetCount() ? album + static_cast<AlbumItem>(item.song + 1)
                                                                   : kNoAlbumItem;
}

TreeItemRef CAlbumTreeItems::PlaceOf(AlbumItem item) const {
    const AlbumItem album = item - item % kHandleStep;
    const int index = IndexOf(album);
    if (item == kNoAlbumItem || index < 0) return {};
    const St_Album shown = m_shown.GetAt(index);
    const int position = static_cast<int>(item % kHandleStep);
    if (position > shown.songs.GetCount()) return {};
    return {index, position - 1, ItemData(album)};
}

AlbumItem CAlbumTreeItems::StartNewAlbum(const std::string& defaultName) {
    Rebuild(CAlbumList());
    const AlbumItem item = Insert(defaultName, CAlbumList::kItemDataBase);
    m_control.EditLabel(0, true);
    return item;
}

bool CAlbumTreeItems::EditName(AlbumItem album) {
    const int index = IndexOf(album);
    return index >= 0 && m_control.EditLabel(index, false);
}

void CAlbumTreeItems::Rebuild(const CAlbumList& albums) {
    m_shown = albums;
    m_handles.clear();
    for (int i = 0; i < m_shown.GetCount(); ++i) m_handles.push_back(NewHandle());
}

void CAlbumTreeItems::RebuildSongs(AlbumItem album, const St_Album& songs) {
    const int index = IndexOf(album);
    if (index < 0) return;
    St_Album shown = m_shown.GetAt(index);
    shown.songs = songs.songs;
    m_shown.SetAt(index, shown);
}

AlbumItem CAlbumTreeItems::AlbumItemAt(int index) const {
    return index >= 0 && index < static_cast<int>(m_handles.size()) ? m_handles[static_cast<size_t>(index)]
                                                                     : kNoAlbumItem;
}

AlbumItem CAlbumTreeItems::Insert(const std::string& name, long long data) {
    if (m_shown.GetCount() >= CAlbumList::kCapacity) return kNoAlbumItem;
    St_Album album;
    album.albumName = name;
    album.albumId = AlbumIdOf(data);
    m_shown.Add(album);
    m_handles.push_back(NewHandle());
    return m_handles.back();
}

void CAlbumTreeItems::Delete(AlbumItem item) {
    const TreeItemRef place = PlaceOf(item);
    if (place.album < 0) return;
    if (place.song < 0) {
        m_shown.RemoveAt(place.album);
        m_handles.erase(m_handles.begin() + place.album);
        return;
    }
    St_Album shown = m_shown.GetAt(place.album);
    shown.songs.RemoveAt(place.song);
    m_shown.SetAt(place.album, shown);
}

long long CAlbumTreeItems::ItemData(AlbumItem item) const {
    const AlbumItem album = item - item % kHandleStep;
    const int index = IndexOf(album);
    if (item == kNoAlbumItem || index < 0) return -1;
    if (item != album) return PlaceOf(item).album < 0 ? -1 : CAlbumTreeModel::kSongItemData;
    long long id = 0;
    const std::string albumId = m_shown.GetAt(index).albumId;
    std::from_chars(albumId.data(), albumId.data() + albumId.size(), id);
    return CAlbumList::kItemDataBase + id;
}

void CAlbumTreeItems::SetItemData(AlbumItem item, long long data) {
    const int index = IndexOf(item);
    if (index < 0) return;
    St_Album shown = m_shown.GetAt(index);
    shown.albumId = AlbumIdOf(data);
    m_shown.SetAt(index, shown);
}

void CAlbumTreeItems::SetName(AlbumItem album, const std::string& name) {
    const int index = IndexOf(album);
    if (index < 0) return;
    St_Album shown = m_shown.GetAt(index);
    shown.albumName = name;
    m_shown.SetAt(index, shown);
}

void CAlbumTreeItems::MarkPlaying(AlbumItem album, int position) {
    const TreeItemRef place = PlaceOf(album + static_cast<AlbumItem>(position));
    if (place.song >= 0) m_control.SetPlayIcon(place);
}

void CAlbumTreeItems::Expand(AlbumItem album) {
    const int index = IndexOf(album);
    if (index >= 0) m_control.Expand(index);
}

void CAlbumTreeItems::Select(AlbumItem item) {
    const TreeItemRef place = PlaceOf(item);
    if (place.album >= 0) m_control.Select(place);
}

bool CAlbumTreeItems::SelectSong(AlbumItem album, int position) {
    if (position < 1 || album % kHandleStep != 0) return false;
    const TreeItemRef place = PlaceOf(album + static_cast<AlbumItem>(position));
    if (place.song < 0) return false;
    m_control.Select(place);
    return true;
}

St_AlbumSelection CAlbumTreeItems::Selection() const {
    St_AlbumSelection selection;
    const TreeItemRef current = m_control.CurrentItem();
    selection.item = HandleOf(current);
    if (selection.item == kNoAlbumItem) return selection;
    selection.album = AlbumItemAt(current.album);
    selection.position = current.song + 1;
    for (const TreeItemRef& item : m_control.SelectedItems())
        if (item.album == current.album && item.song >= 0) selection.positions.push_back(item.song + 1);
    std::sort(selection.positions.begin(), selection.positions.end());
    if (selection.position > 0 && selection.positions.empty()) selection.positions.push_back(selection.position);
    return selection;
}
