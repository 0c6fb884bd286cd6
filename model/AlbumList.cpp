#include "model/AlbumList.h"

#include <string>
#include <utility>

CAlbumList::CAlbumList(const CAlbumList& other) : CMFMutex() {
    CMFAutoLock lock(other);
    m_albums = other.m_albums;
}

CAlbumList& CAlbumList::operator=(const CAlbumList& other) {
    if (this == &other) return *this;
    std::vector<St_Album> albums;
    {
        CMFAutoLock lock(other);
        albums = other.m_albums;
    }
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    m_albums = std::move(albums);
    return *this;
}

int CAlbumList::GetCount() const {
    CMFAutoLock lock(*this);
    return static_cast<int>(m_albums.size());
}

bool CAlbumList::IsEmpty() const { return GetCount() == 0; }

St_Album CAlbumList::GetAt(int index) const {
    CMFAutoLock lock(*this);
    return InRange(index) ? m_albums[static_cast<size_t>(index)] : St_Album();
}

void CAlbumList::SetAt(int index, const St_Album& album) {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    if (InRange(index)) m_albums[static_cast<size_t>(index)] = album;
}

void CAlbumList::Add(const St_Album& album) {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    if (static_cast<int>(m_albums.size()) < kCapacity) m_albums.push_back(album);
}

void CAlbumList::RemoveAt(int index) {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    if (InRange(index)) m_albums.erase(m_albums.begin() + index);
}

void CAlbumList::RemoveAll() {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    m_albums.clear();
}

int CAlbumList::FindById(std::string_view albumId) const {
    CMFAutoLock lock(*this);
    for (size_t i = 0; i < m_albums.size(); ++i)
        if (m_albums[i].albumId == albumId) return static_cast<int>(i);
    return -1;
}

int CAlbumList::FindByItemData(long long value) const {
    if (value < kItemDataBase) return -1;
    return FindById(std::to_string(value - kItemDataBase));
}

void CAlbumList::MoveUp(int index) {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    if (!InRange(index) || index == 0 || m_albums.size() < 2) return;
    std::swap(m_albums[static_cast<size_t>(index)], m_albums[static_cast<size_t>(index - 1)]);
}

void CAlbumList::MoveDown(int index) {
    const CListChangeScope changed(m_changes);
    CMFAutoLock lock(*this);
    if (!InRange(index) || index + 1 >= static_cast<int>(m_albums.size()) || m_albums.size() < 2) return;
    std::swap(m_albums[static_cast<size_t>(index)], m_albums[static_cast<size_t>(index + 1)]);
}
