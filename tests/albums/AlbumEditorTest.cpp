// Album editing against the service stand-in: what reaches the service, the
// album list and the tree, the caps, keeping a new song order back, and
// saving songs to an album in steps.

#include "AlbumFakes.h"

#include "albums/AlbumTexts.h"

#include <optional>

namespace {

using namespace std::chrono_literals;

// The editor's clock, moved on by the test.
struct FakeClock {
    std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
};

class AlbumEditorTest : public AlbumLogicTest {
protected:
    void SetUp() override {
        AlbumLogicTest::SetUp();
        SignIn();
        view.page = kPageAlbumTree;
        standIn.ClearLogs();
    }

    // The signed-in user's album as the service keeps it.
    std::optional<standin::St_StoredAlbum> StoredAlbum(const std::string& albumId) const {
        for (const auto& album : standIn.AlbumsOf("100001"))
            if (album.albumId == albumId) return album;
        return std::nullopt;
    }
    St_Album AlbumAt(int index) const { return manager.Albums().GetAt(index); }
    std::vector<std::string> SongIds(int index) const {
        std::vector<std::string> ids;
        for (const auto& song : AlbumAt(index).songs.Snapshot()) ids.push_back(song.id);
        return ids;
    }
    static CSongList Songs(int first, int count) {
        CSongList songs;
        for (int i = 0; i < count; ++i) {
            St_SongInfo song;
            song.id = std::to_string(first + i);
            song.name = "song" + song.id;
            songs.Add(song);
        }
        return songs;
    }

    FakeClock clock;
    CAlbumEditor editor{manager, view, player, [this] { return clock.now; }};
};

TEST_F(AlbumEditorTest, AnAlbumTakesFiftySongsAtMost) {
    St_Album album = AlbumAt(1);
    album.songs.RemoveAll();
    album.songs.AddList(Songs(1000, 48), false);
    manager.Albums().SetAt(1, album);
    const AlbumItem item = view.AlbumItemAt(1);

    EXPECT_EQ(editor.AddSong(Songs(2000, 3), item, false), -1);
    EXPECT_EQ(view.messages, std::vector<std::string>{Cp936(kTooManySongsText)});
    EXPECT_EQ(AlbumAt(1).songs.GetCount(), 48);

    EXPECT_EQ(editor.AddSong(Songs(2000, 2), item, false), 2);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(AlbumAt(1).songs.GetCount(), 50);
    EXPECT_EQ(StoredAlbum(album.albumId)->songIds.size(), 50u);
    EXPECT_EQ(view.Find(item)->songCount, 50);
    EXPECT_EQ(view.selectedPositions, std::vector<int>{50});
}

TEST_F(AlbumEditorTest, CopiedSongsAlreadyInTheAlbumAreCountedAsSkipped) {
    const St_Album target = AlbumAt(2);
    CSongList songs = Songs(3000, 3);
    songs.AddList(target.songs, true);  // its two songs again
    view.page = kPagePlayList;
    view.listSelection = songs;
    ASSERT_EQ(editor.SaveMenu().size(), 4u);
    editor.OnNewMenuItem(CAlbumEditor::kCmdSaveToFirst + 2);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(view.addedTips, (std::vector<std::pair<int, int>>{{3, 2}}));
    EXPECT_EQ(StoredAlbum(target.albumId)->songIds.size(), 5u);
    EXPECT_EQ(Sent("edituseralbum.php").size(), 1u);
}

TEST_F(AlbumEditorTest, SaveMenuNeedsSongs) {
    view.page = kPageEmptyPlayList;
    EXPECT_TRUE(editor.SaveMenu().empty());
    view.page = kPageRecommend;
    EXPECT_TRUE(editor.SaveMenu().empty());
    EXPECT_EQ(view.messages, (std::vector<std::string>{Cp936(kEmptyPlayListText), Cp936(kNoSongSelectedText)}));
    view.listSelection = Songs(1, 1);
    const auto menu = editor.SaveMenu();
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu.back().command, 903);
    EXPECT_EQ(menu.back().name, Cp936(kNewAlbumMenuText));
    EXPECT_EQ(menu[1].songCount, 4);
}

TEST_F(AlbumEditorTest, NewAlbumsAndNewNames) {
    // A new item named with nothing becomes "我的专辑".
    const AlbumItem item = view.InsertAlbumItem("", 0, CAlbumList::kItemDataBase);
    view.labelEdit = "   ";
    EXPECT_EQ(editor.OnMyCreateAlbum(item), 1);
    ASSERT_TRUE(Settle());
    const St_Album created = AlbumAt(3);
    EXPECT_EQ(created.albumName, Cp936("我的专辑"));
    EXPECT_EQ(view.ItemData(item), CAlbumList::kItemDataBase + std::stoll(created.albumId));
    EXPECT_EQ(StoredAlbum(created.albumId)->name, "我的专辑");

    // Renamed to blanks: the old name stays and nothing is sent.
    view.labelEdit = "  ";
    editor.OnRenameAlbum(item);
    view.labelEdit = Cp936("夜 & 雨");
    editor.OnRenameAlbum(item);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Sent("edituseralbum.php").size(), 1u);
    EXPECT_EQ(AlbumAt(3).albumName, Cp936("夜 & 雨"));
    EXPECT_EQ(StoredAlbum(created.albumId)->name, "夜 & 雨");
    EXPECT_EQ(view.Find(item)->name, Cp936("夜 & 雨"));
}

TEST_F(AlbumEditorTest, FiftyAlbumsAreTheMost) {
    for (int i = manager.Albums().GetCount(); i < CAlbumList::kCapacity; ++i) {
        St_Album album;
        album.albumId = std::to_string(900000 + i);
        album.albumName = "a";
        manager.Albums().Add(album);
    }
    const AlbumItem item = view.InsertAlbumItem("", 0, CAlbumList::kItemDataBase);
    EXPECT_EQ(editor.OnMyCreateAlbum(item), -1);
    EXPECT_EQ(view.messages, std::vector<std::string>{Cp936(kTooManyAlbumsText)});
    EXPECT_EQ(view.ItemData(item), -1);
    EXPECT_TRUE(Sent("createuseralbum.php").empty());
}

TEST_F(AlbumEditorTest, ASongMovedDownAndBackUpSendsNothing) {
    const std::vector<std::string> before = SongIds(1);
    view.Select(view.AlbumItemAt(1), 2);
    editor.Move(false);
    EXPECT_EQ(view.selectedPositions, std::vector<int>{3});
    EXPECT_NE(SongIds(1), before);
    editor.Move(true);
    EXPECT_EQ(SongIds(1), before);
    view.Select(view.AlbumItemAt(2), 0);
    EXPECT_FALSE(editor.CheckAndSave("Test", false));
    EXPECT_FALSE(editor.SaveChangedAlbums());
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(Sent("edituseralbum.php").empty());
}

TEST_F(AlbumEditorTest, AReorderedAlbumIsSentBeforeAnotherAlbumIsDeleted) {
    const St_Album reordered = AlbumAt(1);
    const St_Album other = AlbumAt(2);
    view.Select(view.AlbumItemAt(1), 1);
    editor.Move(true);  // the first song becomes the last
    EXPECT_EQ(view.selectedPositions, std::vector<int>{4});
    view.Select(view.AlbumItemAt(2), 0);
    editor.OnDelalum();
    ASSERT_TRUE(Settle());

    // Changed: the delete used to be dropped for the save, with nothing shown; now both are sent, in order.
    EXPECT_EQ(SentPaths(), (std::vector<std::string>{"edituseralbum.php", "deluseralbum.php"}));
    const auto stored = StoredAlbum(reordered.albumId)->songIds;
    EXPECT_EQ(stored, SongIds(1));
    EXPECT_EQ(stored.back(), reordered.songs.Snapshot().front().id);
    EXPECT_TRUE(traces.Has("OnDelalum==BeforeAction : 1"));
    EXPECT_FALSE(StoredAlbum(other.albumId));
    EXPECT_EQ(manager.Albums().FindById(other.albumId), -1);
}

// Before a sign-out or the close, a sorted album is sent although it is
// still the selected one.
TEST_F(AlbumEditorTest, ASortedAlbumIsSentWhenSavingChangedAlbums) {
    St_Album album = AlbumAt(1);
    album.songs.RemoveAll();
    for (const char* name : {"b", "c", "a"}) {
        St_SongInfo song;
        song.name = name;
        song.id = std::string("1") + name;
        album.songs.Add(song);
    }
    manager.Albums().SetAt(1, album);
    view.Select(view.AlbumItemAt(1), 0);
    editor.Sort(true);
    EXPECT_EQ(SongIds(1), (std::vector<std::string>{"1a", "1b", "1c"}));
    EXPECT_EQ(editor.HasSaveAlbum(false), 0);
    EXPECT_TRUE(editor.SaveChangedAlbums());
    ASSERT_TRUE(Settle());
    EXPECT_EQ(StoredAlbum(album.albumId)->songIds, SongIds(1));
    editor.Sort(true);  // the next sort runs the other way
    EXPECT_EQ(SongIds(1), (std::vector<std::string>{"1c", "1b", "1a"}));
}

TEST_F(AlbumEditorTest, DeletingThePlayingAlbumStopsThePlayer) {
    const St_Album playing = AlbumAt(0);
    manager.SetPlayingAlbum(playing.albumId, playing.songs.Snapshot().front().id);
    player.listKind = kListAlbum;
    view.Select(view.AlbumItemAt(0), 0);
    editor.OnDelalum();
    EXPECT_EQ(player.stops, std::vector<std::string>{"OnDelalum"});
    EXPECT_EQ(manager.PlayingAlbumItem(), kNoAlbumItem);
    ASSERT_TRUE(Settle());
    EXPECT_FALSE(StoredAlbum(playing.albumId));
    EXPECT_EQ(Sent("deluseralbum.php").at(0).query, "id=" + playing.albumId);
}

TEST_F(AlbumEditorTest, RemovedSongsLeaveTheAlbumAndThePlayerFollows) {
    const St_Album album = AlbumAt(1);
    manager.SetPlayingAlbum(album.albumId, "");
    player.listKind = kListAlbum;
    view.Select(view.AlbumItemAt(1), std::vector<int>{2, 4});
    editor.OnDelalumsong();
    ASSERT_TRUE(Settle());
    const auto songs = album.songs.Snapshot();
    EXPECT_EQ(SongIds(1), (std::vector<std::string>{songs[0].id, songs[2].id}));
    EXPECT_EQ(StoredAlbum(album.albumId)->songIds, SongIds(1));
    EXPECT_EQ(player.albumChanges, 1);
    EXPECT_EQ(view.selectedPositions, std::vector<int>{2});
}

// Moving songs of one album to a new one: the album is created, the songs
// added to it and then removed from their old album, each step after the
// worker finished the one before; the tip with the counts comes last.
TEST_F(AlbumEditorTest, SongsMovedToANewAlbum) {
    const St_Album source = AlbumAt(1);
    const auto songs = source.songs.Snapshot();
    view.Select(view.AlbumItemAt(1), std::vector<int>{1, 3});
    editor.OnNewMenuItem(CAlbumEditor::kCmdSaveToFirst + 3);
    ASSERT_TRUE(Settle());

    ASSERT_EQ(manager.Albums().GetCount(), 4);
    EXPECT_EQ(SongIds(3), (std::vector<std::string>{songs[0].id, songs[2].id}));
    EXPECT_EQ(SongIds(1), (std::vector<std::string>{songs[1].id, songs[3].id}));
    EXPECT_EQ(StoredAlbum(AlbumAt(3).albumId)->songIds, SongIds(3));
    EXPECT_EQ(StoredAlbum(source.albumId)->songIds, SongIds(1));
    EXPECT_EQ(view.addedTips, (std::vector<std::pair<int, int>>{{2, 0}}));
    EXPECT_EQ(view.selected, view.AlbumItemAt(3));
    EXPECT_TRUE(view.items.at(3).expanded);
}

// Moved songs leave their album only when the service took them into the
// other one; the tip (modal for 2 s, as in the program) comes at the end.
// An add that fails, by its exchange or by the service's answer, ends the
// move there, and so do failed edits and deletes: traced, the songs stay.
TEST_F(AlbumEditorTest, MovedSongsLeaveTheirAlbumOnlyWhenTheServiceTookThem) {
    const std::string source = AlbumAt(1).albumId;
    const std::string target = AlbumAt(2).albumId;
    const auto songs = AlbumAt(1).songs.Snapshot();
    view.Select(view.AlbumItemAt(1), std::vector<int>{2, 3});
    editor.OnNewMenuItem(CAlbumEditor::kCmdSaveToFirst + 2);
    ASSERT_TRUE(WaitUntil([this] { return !view.addedTips.empty(); }));
    const std::vector<std::string> left{songs[0].id, songs[3].id};
    EXPECT_EQ(StoredAlbum(source)->songIds, left);
    EXPECT_EQ(SongIds(1), left);
    const auto moved = StoredAlbum(target)->songIds;
    EXPECT_EQ(std::vector<std::string>(moved.end() - 2, moved.end()), (std::vector<std::string>{songs[1].id, songs[2].id}));
    EXPECT_EQ(view.addedTips, (std::vector<std::pair<int, int>>{{2, 0}}));
    EXPECT_EQ(view.selected, view.AlbumItemAt(2));

    const std::string editPath = "/shequ/port/tonvik/edituseralbum.php";
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "an error answer" : "a failed exchange");
        if (refused)
            standIn.SetDocument(editPath, "<?xml version=\"1.0\" encoding=\"GBK\"?><Result><item>0</item></Result>");
        else
            standIn.SetFault(editPath, standin::MakeFault(standin::FaultKind::Drop, 0, 0, 1));
        standIn.ClearLogs();
        traces.Clear();
        view.Select(view.AlbumItemAt(1), 1);
        editor.OnNewMenuItem(CAlbumEditor::kCmdSaveToFirst + 2);
        ASSERT_TRUE(Settle());
        EXPECT_EQ(Sent("edituseralbum.php").size(), 1u) << "nothing is removed from the album";
        EXPECT_EQ(StoredAlbum(source)->songIds, left);
        EXPECT_EQ(SongIds(1), left);
        EXPECT_EQ(SongIds(2), moved) << "the album shows what the service holds";
        EXPECT_EQ(view.addedTips.size(), 1u);
        EXPECT_TRUE(traces.Has("OnAlbulComplete===Edit album failed! " + target));
        EXPECT_TRUE(traces.Has("OnNewMenuItem,add song failed!"));
    }

    standIn.SetDocument("/shequ/port/tonvik/deluseralbum.php",
                        "<?xml version=\"1.0\" encoding=\"GBK\"?><Result><item>0</item></Result>");
    view.Select(view.AlbumItemAt(0), 0);
    const std::string refused = AlbumAt(0).albumId;
    editor.OnDelalum();
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(traces.Has("OnAlbulComplete===Delete album failed! " + refused));
    EXPECT_TRUE(StoredAlbum(refused));
    EXPECT_TRUE(manager.AlbumsChanged()) << "the next album tab fetches what the service holds";
}

// A command takes its album from the selection when it is given: a new
// album whose creation completes while the command waits for the worker
// takes the selection (songs copied into it), yet the album the user chose
// is the one deleted.
TEST_F(AlbumEditorTest, ACommandActsOnTheAlbumSelectedWhenItWasGiven) {
    view.page = kPagePlayList;
    view.listSelection = Songs(5000, 2);
    editor.OnNewMenuItem(CAlbumEditor::kCmdSaveToFirst + 3);
    // Its completion waits, unhandled, for the command's guard.
    ASSERT_TRUE(standIn.WaitForRequests(1, kBound, "/shequ/port/tonvik/createuseralbum.php"));
    view.page = kPageAlbumTree;
    const St_Album chosen = AlbumAt(0);
    view.Select(view.AlbumItemAt(0), 0);
    editor.OnDelalum();
    ASSERT_TRUE(Settle());

    EXPECT_FALSE(StoredAlbum(chosen.albumId));
    EXPECT_EQ(manager.Albums().FindById(chosen.albumId), -1);
    ASSERT_EQ(manager.Albums().GetCount(), 3);
    const St_Album created = manager.Albums().GetAt(2);
    EXPECT_EQ(created.albumName, Cp936(kDefaultAlbumName));
    EXPECT_EQ(StoredAlbum(created.albumId)->songIds, (std::vector<std::string>{"5000", "5001"}));
    EXPECT_EQ(view.addedTips, (std::vector<std::pair<int, int>>{{2, 0}}));
}

TEST_F(AlbumEditorTest, ANewAlbumConfirmedTooLateGetsNoSongs) {
    view.page = kPagePlayList;
    view.listSelection = Songs(4000, 2);
    editor.OnNewMenuItem(CAlbumEditor::kCmdSaveToFirst + 3);
    clock.now += CAlbumEditor::kCreateWait + 1ms;
    ASSERT_TRUE(Settle());
    EXPECT_EQ(manager.Albums().GetCount(), 4);
    EXPECT_TRUE(AlbumAt(3).songs.IsEmpty());
    EXPECT_TRUE(Sent("edituseralbum.php").empty());
    EXPECT_TRUE(traces.Has("OnNewMenuItem===Create Album time out!"));
}

}  // namespace
