#include "skin/controls/AlbumTreeModel.h"

#include "skin/controls/ControlAccessibility.h"

#include "common/Text.h"
#include "model/AlbumList.h"

#include <algorithm>
#include <charconv>

namespace {

// The item data of an album: 1000 + its identifier; an album the service
// has not numbered yet (a new one) carries 1000.
long long AlbumItemData(const std::string& albumId)
{
    long long id = 0;
    const auto [end, error] = std::from_chars(albumId.data(), albumId.data() + albumId.size(), id);
    const bool number = error == std::errc() && end == albumId.data() + albumId.size() && id >= 0 &&
                        id <= (1LL << 53);
    return CAlbumList::kItemDataBase + (number ? id : 0);
}

// Album items have the internal id 0; a song item the index of its album + 1.
constexpr quintptr kAlbumLevel = 0;

}  // namespace

CAlbumTreeModel::CAlbumTreeModel(CAlbumList& albums, QObject* parent) : CListModelBase(albums, parent) { Refresh(); }

CAlbumTreeModel::~CAlbumTreeModel() = default;

void CAlbumTreeModel::Refresh()
{
    std::vector<Album> fresh;
    {
        // One look at the whole list: no worker changes it in between.
        CAlbumList& albums = Albums();
        CMFAutoLock lock(albums);
        const int count = albums.GetCount();
        fresh.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            const St_Album album = albums.GetAt(i);
            Album row{FromAnsi(album.albumName), AlbumItemData(album.albumId), {}};
            for (const St_SongInfo& song : album.songs.Snapshot())
                row.songs.push_back({FromAnsi(song.name), FromAnsi(song.singer), song.playing == kPlayingMark});
            fresh.push_back(std::move(row));
        }
    }

    const int common = MatchRowCount(m_rows, fresh);
    for (int i = 0; i < common; ++i) {
        Album& row = m_rows[size_t(i)];
        RefreshSongs(i, fresh[size_t(i)].songs);
        if (row.name != fresh[size_t(i)].name || row.itemData != fresh[size_t(i)].itemData) {
            row.name = fresh[size_t(i)].name;
            row.itemData = fresh[size_t(i)].itemData;
            const QModelIndex item = AlbumIndex(i);
            emit dataChanged(item, item);
        }
    }
}

void CAlbumTreeModel::RefreshSongs(int album, std::vector<Song>& songs)
{
    std::vector<Song>& shown = m_rows[size_t(album)].songs;
    const QModelIndex parent = AlbumIndex(album);
    const int before = int(shown.size());
    const int common = MatchRowCount(shown, songs, parent);
    for (int i = 0; i < common; ++i) {
        if (shown[size_t(i)] == songs[size_t(i)])
            continue;
        shown[size_t(i)] = std::move(songs[size_t(i)]);
        const QModelIndex item = SongIndex(album, i);
        emit dataChanged(item, item);
    }
    // The album's count of songs is part of its text.
    if (int(shown.size()) != before)
        emit dataChanged(parent, parent);
}

TreeItemRef CAlbumTreeModel::ItemOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return {};
    if (index.internalId() == kAlbumLevel)
        return index.row() < int(m_rows.size()) ? TreeItemRef{index.row(), -1, m_rows[size_t(index.row())].itemData}
                                                : TreeItemRef{};
    return {int(index.internalId() - 1), index.row(), kSongItemData};
}

QModelIndex CAlbumTreeModel::AlbumIndex(int album) const { return index(album, 0); }

QModelIndex CAlbumTreeModel::SongIndex(int album, int song) const { return index(song, 0, AlbumIndex(album)); }

QModelIndex CAlbumTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < int(m_rows.size()) ? createIndex(row, 0, kAlbumLevel) : QModelIndex();
    if (parent.internalId() != kAlbumLevel || parent.row() >= int(m_rows.size()))
        return {};
    const Album& album = m_rows[size_t(parent.row())];
    return row < int(album.songs.size()) ? createIndex(row, 0, quintptr(parent.row()) + 1) : QModelIndex();
}

QModelIndex CAlbumTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kAlbumLevel)
        return {};
    return createIndex(int(child.internalId() - 1), 0, kAlbumLevel);
}

int CAlbumTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_rows.size());
    if (parent.internalId() != kAlbumLevel || parent.row() >= int(m_rows.size()))
        return 0;
    return int(m_rows[size_t(parent.row())].songs.size());
}

int CAlbumTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant CAlbumTreeModel::data(const QModelIndex& index, int role) const
{
    const TreeItemRef item = ItemOf(index);
    if (item.album < 0 || item.album >= int(m_rows.size()))
        return {};
    const Album& album = m_rows[size_t(item.album)];
    if (item.IsAlbum()) {
        switch (role) {
        case Qt::DisplayRole: return QStringLiteral("%1( %2 )").arg(album.name).arg(album.songs.size());
        case Qt::EditRole: return album.name;
        case kItemDataRole: return album.itemData;
        case kSongCountRole: return int(album.songs.size());
        default: return {};
        }
    }
    if (item.song >= int(album.songs.size()))
        return {};
    const Song& song = album.songs[size_t(item.song)];
    switch (role) {
    case Qt::DisplayRole: return QStringLiteral("%1 %2|%3").arg(item.song + 1).arg(song.title, song.singer);
    case Qt::AccessibleTextRole: return SongReaderName(song.title, song.singer);
    case kItemDataRole: return kSongItemData;
    case kPlayingRole: return song.playing;
    case kTitleRole: return song.title;
    case kSingerRole: return song.singer;
    default: return {};
    }
}

Qt::ItemFlags CAlbumTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Album names are edited in place; the edit's outcome goes to the panel,
    // which changes the album list.
    return ItemOf(index).IsAlbum() ? flags | Qt::ItemIsEditable : flags | Qt::ItemNeverHasChildren;
}
