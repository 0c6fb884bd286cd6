#include "model/AlbumList.h"

#include <gtest/gtest.h>

namespace {
St_Album Album(const std::string& id) {
    St_Album album;
    album.albumId = id;
    album.albumName = "album " + id;
    return album;
}
std::string Ids(const CAlbumList& list) {
    std::string ids;
    for (int i = 0; i < list.GetCount(); ++i) ids += (ids.empty() ? "" : " ") + list.GetAt(i).albumId;
    return ids;
}
}  // namespace

TEST(AlbumList, BoundedAtFiftyWithoutEviction) {
    CAlbumList list;
    for (int i = 0; i < 51; ++i) list.Add(Album(std::to_string(i)));
    EXPECT_EQ(list.GetCount(), 50);
    EXPECT_EQ(list.FindById("0"), 0);
    EXPECT_EQ(list.FindById("50"), -1);
}

TEST(AlbumList, FindByItemData) {
    CAlbumList list;
    list.Add(Album("7"));
    list.Add(Album("23"));
    EXPECT_EQ(list.FindByItemData(999), -1);
    EXPECT_EQ(list.FindByItemData(0), -1);
    EXPECT_EQ(list.FindByItemData(1023), 1);
    EXPECT_EQ(list.FindByItemData(1007), 0);
    EXPECT_EQ(list.FindByItemData(1000), -1);  // looks for album "0"
}

TEST(AlbumList, MovesDoNotWrap) {
    CAlbumList list;
    for (const char* id : {"1", "2", "3"}) list.Add(Album(id));
    list.MoveUp(0);
    list.MoveDown(2);
    EXPECT_EQ(Ids(list), "1 2 3");
    list.MoveUp(2);
    EXPECT_EQ(Ids(list), "1 3 2");
    list.MoveDown(0);
    EXPECT_EQ(Ids(list), "3 1 2");
    list.MoveUp(7);
    list.RemoveAt(-1);
    list.SetAt(3, Album("x"));
    EXPECT_EQ(Ids(list), "3 1 2");
    list.RemoveAt(1);
    EXPECT_EQ(Ids(list), "3 2");
    EXPECT_TRUE(list.GetAt(5).albumId.empty());
}

TEST(AlbumList, AlbumsKeepOnlyTheirFirstFiftySongsThroughCopies) {
    St_Album album = Album("1");
    for (int i = 0; i < 60; ++i) {
        St_SongInfo song;
        song.id = std::to_string(i);
        song.name = "n";
        album.songs.Add(song);
    }
    EXPECT_EQ(album.songs.GetCount(), 50);
    EXPECT_EQ(album.songs.FindSong("0"), 0);

    CAlbumList list;
    list.Add(album);
    St_Album copy = list.GetAt(0);
    EXPECT_TRUE(copy.songs.GetNoEvict());
    St_SongInfo extra;
    extra.id = "extra";
    copy.songs.Add(extra);
    EXPECT_EQ(copy.songs.FindSong("extra"), -1);
    EXPECT_EQ(copy.songs.FindSong("0"), 0);
}

TEST(AlbumList, TellsItsListenerOfEachChange) {
    CAlbumList list;
    int told = 0;
    list.AddChangeListener([&] { ++told; });
    list.Add(Album("1"));
    list.Add(Album("2"));
    list.MoveUp(1);
    list.GetAt(0);
    list.FindById("2");
    EXPECT_EQ(told, 3);
}
