// The album tree's items as the album logic sees them: handles over the
// albums the tree shows, kept apart from the album manager's list.

#include "albums/AlbumTreeItems.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class CFakeTreeControl final : public IAlbumTreeControl {
public:
    TreeItemRef CurrentItem() const override { return current; }
    std::vector<TreeItemRef> SelectedItems() const override { return selected; }
    void Select(const TreeItemRef& item) override {
        current = item;
        selected = {item};
    }
    void Expand(int album) override { expanded.push_back(album); }
    void SetPlayIcon(const TreeItemRef& song) override { playing = song; }
    bool EditLabel(int album, bool newAlbum) override {
        edits.emplace_back(album, newAlbum);
        return true;
    }
    std::string TakeEditedName() override { return std::exchange(name, std::string()); }

    TreeItemRef current;
    std::vector<TreeItemRef> selected;
    std::vector<int> expanded;
    TreeItemRef playing;
    std::vector<std::pair<int, bool>> edits;
    std::string name;
};

St_Album Album(const std::string& id, int songs) {
    St_Album album;
    album.albumId = id;
    album.albumName = "album" + id;
    for (int i = 1; i <= songs; ++i) {
        St_SongInfo song;
        song.id = id + "0" + std::to_string(i);
        song.name = "song";
        album.songs.Add(song);
    }
    return album;
}

}  // namespace

TEST(AlbumTreeItems, HandlesNameTheShownItemsAndGoStaleAtARebuild) {
    CFakeTreeControl control;
    CAlbumTreeItems items(control);
    CAlbumList albums;
    albums.Add(Album("7", 2));
    albums.Add(Album("9", 0));
    items.Rebuild(albums);
    const AlbumItem first = items.AlbumItemAt(0);
    EXPECT_EQ(items.ItemData(first), 1007);
    EXPECT_EQ(items.PlaceOf(first + 2).song, 1);
    EXPECT_EQ(items.ItemData(first + 3), -1);  // album 7 has two songs
    EXPECT_EQ(items.HandleOf({1, -1, 0}), items.AlbumItemAt(1));

    // A new album: an item with data 1000 until the service names it.
    const AlbumItem fresh = items.Insert("new", CAlbumList::kItemDataBase);
    EXPECT_EQ(items.ItemData(fresh), 1000);
    items.SetItemData(fresh, 1042);
    EXPECT_EQ(items.Shown().GetAt(2).albumId, "42");
    items.Delete(items.AlbumItemAt(1));
    EXPECT_EQ(items.AlbumItemAt(1), fresh);

    items.Rebuild(albums);
    EXPECT_EQ(items.ItemData(first), -1);
    items.Select(first);  // names nothing any more
    EXPECT_EQ(control.current.album, -1);
}

TEST(AlbumTreeItems, SelectionPlayingMarkAndNaming) {
    CFakeTreeControl control;
    CAlbumTreeItems items(control);
    CAlbumList albums;
    albums.Add(Album("7", 3));
    items.Rebuild(albums);
    const AlbumItem album = items.AlbumItemAt(0);

    control.current = {0, 2, 33};
    control.selected = {{0, 2, 33}, {0, 0, 33}};
    const St_AlbumSelection selection = items.Selection();
    EXPECT_EQ(selection.album, album);
    EXPECT_EQ(selection.item, album + 3);
    EXPECT_EQ(selection.position, 3);
    EXPECT_EQ(selection.positions, (std::vector<int>{1, 3}));

    EXPECT_TRUE(items.SelectSong(album, 2));
    EXPECT_EQ(control.current, (TreeItemRef{0, 1, 1007}));
    EXPECT_FALSE(items.SelectSong(album, 4));
    items.MarkPlaying(album, 3);
    EXPECT_EQ(control.playing.song, 2);

    const AlbumItem named = items.StartNewAlbum("mine");
    EXPECT_EQ(items.Shown().GetCount(), 1);
    EXPECT_EQ(items.ItemData(named), 1000);
    EXPECT_EQ(control.edits.back(), std::make_pair(0, true));
    control.name = "typed";
    EXPECT_EQ(items.TakeLabelEditText(), "typed");
    EXPECT_TRUE(items.TakeLabelEditText().empty());
}
