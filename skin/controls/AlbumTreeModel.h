#pragma once
// The albums of the signed-in user for the skinned tree: an item per album,
// and under it an item per song in album order. Like the song list model it
// shows the album list as it was at its last refresh, taken under the
// list's lock, and refreshes itself on its thread after every change.

#include "skin/controls/ItemViewOwners.h"
#include "skin/controls/ListModelBase.h"

#include <QAbstractItemModel>
#include <QString>

#include <string>
#include <vector>

class CAlbumList;

class CAlbumTreeModel : public CListModelBase<QAbstractItemModel, CAlbumList> {
    Q_OBJECT
public:
    enum Role {
        kItemDataRole = Qt::UserRole + 1,  // qlonglong: 1000 + album id, or kSongItemData
        kPlayingRole,                      // bool: the song carries the playing mark
        kSongCountRole,                    // int, on album items
        kTitleRole,                        // QString, on song items
        kSingerRole,                       // QString, on song items
    };
    // Song items carry this item data: they get no album buttons.
    static constexpr long long kSongItemData = 33;

    explicit CAlbumTreeModel(CAlbumList& albums, QObject* parent = nullptr);
    ~CAlbumTreeModel() override;

    CAlbumList& Albums() const { return ShownList(); }
    void Refresh() override;

    TreeItemRef ItemOf(const QModelIndex& index) const;
    QModelIndex AlbumIndex(int album) const;
    QModelIndex SongIndex(int album, int song) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Song {
        QString title;
        QString singer;
        bool playing = false;
        bool operator==(const Song&) const = default;
    };
    struct Album {
        QString name;
        long long itemData = 0;
        std::vector<Song> songs;
    };
    void RefreshSongs(int album, std::vector<Song>& songs);

    std::vector<Album> m_rows;
};
