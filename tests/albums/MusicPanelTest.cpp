// The my-music panel's logic: its pages, its commands and their menus, the
// play commands into the player, and the recommendation worker, against the
// service stand-in.

#include "PanelFakes.h"

#include "albums/AlbumTexts.h"
#include "common/MessageIds.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kRecommendPath = "/songhall/port/tonvik/recommend_song.php";

// A kept recommendation answer of two songs (GBK).
std::string RecommendAnswer(const std::string& firstId) {
    return "<?xml version=\"1.0\" encoding=\"GBK\"?><Result>"
           "<item><SONG>kept one</SONG><SONGID>" + firstId + "</SONGID><SINGER>a</SINGER><ALBUM>x</ALBUM></item>"
           "<item><SONG>kept two</SONG><SONGID>902</SONGID><SINGER>b</SINGER><ALBUM>y</ALBUM></item></Result>";
}

}  // namespace

TEST_F(MusicPanelTest, AlbumTabWhileSignedOutShowsTheSignInFormEvenAfterAFailedSignIn) {
    panel.Initialise();
    EXPECT_EQ(panel.Page(), kPageEmptyPlayList);
    panel.OnCommand(ID_TAB_ALBUMS);
    EXPECT_EQ(panel.Page(), kPageSignIn);
    SignIn("tester", "secret123");
    EXPECT_EQ(panel.Page(), kPageAlbumTree);  // the completed fetch opened the tab again

    panel.OnCommand(ID_TAB_PLAYLIST);
    SignIn("tester", "wrong");
    EXPECT_FALSE(panel.Manager().IsLogon());
    panel.OnCommand(ID_TAB_ALBUMS);
    EXPECT_EQ(panel.Page(), kPageSignIn);
}

TEST_F(MusicPanelTest, ClearingThePlayListAsksAndShowsTheEmptyPage) {
    StartWithSongs(3);
    EXPECT_EQ(panel.Page(), kPagePlayList);
    window.rows[kListTemporary] = {1};
    panel.OnCommand(ID_PLAY_SONG);
    ASSERT_EQ(player.plays.back(), (CFakePanelPlayer::St_Play{"2", 1, kListTemporary}));

    window.answer = false;
    panel.OnCommand(ID_CLEAR_LIST);
    ASSERT_EQ(window.questions, std::vector<std::string>{Cp936(CMusicPanel::kClearQuestion)});
    EXPECT_EQ(panel.PlayList().List().GetCount(), 3);

    window.answer = true;
    panel.OnCommand(ID_CLEAR_LIST);
    EXPECT_EQ(panel.Page(), kPageEmptyPlayList);
    EXPECT_TRUE(panel.PlayList().List().IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(program / "Playlist.xls"));
    // The song that plays is gone with the list.
    EXPECT_EQ(player.removed, (std::vector<std::pair<int, int>>{{kListTemporary, -1}}));
}

TEST_F(MusicPanelTest, DeletingThePlayingSongTellsThePlayerWhereItsSuccessorIs) {
    StartWithSongs(4);
    player.Play(panel.PlayList().List().Snapshot().at(1), 1, kListTemporary);
    window.rows[kListTemporary] = {0, 1};
    panel.OnCommand(ID_DELETE_SONGS);
    EXPECT_EQ(PlayListIds(), (std::vector<std::string>{"3", "4"}));
    EXPECT_EQ(player.removed, (std::vector<std::pair<int, int>>{{kListTemporary, 0}}));
    EXPECT_NE(TempDir::Read(program / "Playlist.xls").find("4\tsong4"), std::string::npos);
    EXPECT_EQ(TempDir::Read(program / "Playlist.xls").find("2\tsong2"), std::string::npos);

    // Songs of a list the player does not play from tell it nothing.
    player.listKind = kListRecommend;
    window.rows[kListTemporary] = {0, 1};
    panel.OnCommand(ID_DELETE_SELECTED);
    EXPECT_EQ(player.removed.size(), 1u);
    EXPECT_EQ(panel.Page(), kPageEmptyPlayList);
    EXPECT_TRUE(traces.Has("Delsong===Empty."));
}

TEST_F(MusicPanelTest, DoubleClicksPlayWithTheListKindAndIndexOfTheirView) {
    StartWithSongs(3);
    panel.OnRowDoubleClicked(kListTemporary, 2);
    EXPECT_EQ(player.plays.back(), (CFakePanelPlayer::St_Play{"3", 2, kListTemporary}));

    program.Write("recommend.xml", RecommendAnswer("901"));
    panel.OnCommand(ID_TAB_RECOMMEND);
    ASSERT_TRUE(WaitUntil([this] { return panel.Page() == kPageRecommend; }));
    panel.OnRowDoubleClicked(kListRecommend, 1);
    EXPECT_EQ(player.plays.back(), (CFakePanelPlayer::St_Play{"902", 1, kListRecommend}));

    SignIn("tester", "secret123");
    panel.OnCommand(ID_TAB_ALBUMS);
    ASSERT_EQ(panel.Page(), kPageAlbumTree);
    const St_Album album = panel.Manager().Albums().GetAt(0);
    ASSERT_GE(album.songs.GetCount(), 2);
    window.Select(window.AlbumItemAt(0), 2);
    panel.OnAlbumItemDoubleClicked();
    St_SongInfo second;
    album.songs.GetAt(1, second);
    EXPECT_EQ(player.plays.back(), (CFakePanelPlayer::St_Play{second.id, 1, kListAlbum}));
    // The player's album list is that album, its song marked as playing.
    CSongList* songs = panel.ListOfKind(kListAlbum);
    ASSERT_NE(songs, nullptr);
    EXPECT_EQ(songs->GetCount(), album.songs.GetCount());
    EXPECT_EQ(songs->GetPlayingIndex(), 1);

    // Removing it from the album tells the player where its successor is.
    panel.OnCommand(ID_DELETE_ALBUM_SONGS);
    const int next = album.songs.GetCount() > 2 ? 1 : 0;
    EXPECT_EQ(player.removed, (std::vector<std::pair<int, int>>{{kListAlbum, next}}));
}

// A new song order survives opening the album tab again after another album
// change: it is sent first, whichever album is selected, instead of being
// lost to the album list fetched afresh.
TEST_F(MusicPanelTest, ANewSongOrderIsKeptWhenTheAlbumTabIsOpenedAgain) {
    panel.Initialise();
    SignIn("tester", "secret123");
    panel.OnCommand(ID_TAB_ALBUMS);
    ASSERT_EQ(panel.Page(), kPageAlbumTree);
    window.Select(window.AlbumItemAt(0), 1);
    panel.OnCommand(ID_DELETE_ALBUM_SONGS);
    ASSERT_TRUE(SettleAlbums());
    ASSERT_TRUE(panel.Manager().AlbumsChanged());  // the next opening of the tab fetches the albums

    const auto idsOf = [](const std::vector<St_SongInfo>& songs) {
        std::vector<std::string> ids;
        for (const St_SongInfo& song : songs) ids.push_back(song.id);
        return ids;
    };
    const std::string albumId = panel.Manager().Albums().GetAt(1).albumId;
    window.Select(window.AlbumItemAt(1), 1);
    panel.OnCommand(ID_MOVE_DOWN);
    const std::vector<std::string> reordered = idsOf(panel.Manager().Albums().GetAt(1).songs.Snapshot());
    for (int round = 0; round < 2; ++round) {
        panel.OnCommand(ID_TAB_PLAYLIST);
        panel.OnCommand(ID_TAB_ALBUMS);
        ASSERT_TRUE(SettleAlbums());
        const int index = panel.Manager().Albums().FindById(albumId);
        ASSERT_GE(index, 0);
        EXPECT_EQ(idsOf(panel.Manager().Albums().GetAt(index).songs.Snapshot()), reordered) << round;
    }
    const auto stored = standIn.AlbumsOf("100001");
    const auto album = std::find_if(stored.begin(), stored.end(), [&](const auto& one) { return one.albumId == albumId; });
    ASSERT_NE(album, stored.end());
    EXPECT_EQ(album->songIds, reordered);
}

TEST_F(MusicPanelTest, FirstVisitOfTheRecommendationsUsesTheKeptAnswerAndRefreshAlwaysAsks) {
    program.Write("recommend.xml", RecommendAnswer("901"));
    panel.Initialise();
    panel.OnCommand(ID_TAB_RECOMMEND);
    EXPECT_EQ(panel.Page(), kPageRecommendLoading);
    ASSERT_TRUE(WaitUntil([this] { return panel.Page() == kPageRecommend; }));
    EXPECT_EQ(panel.Recommendations().List().GetCount(), 2);
    EXPECT_TRUE(standIn.RequestsFor(kRecommendPath).empty());

    panel.OnCommand(ID_REFRESH_RECOMMEND);
    EXPECT_FALSE(window.enabled[kListRecommend]);
    ASSERT_TRUE(WaitUntil([this] { return window.busy; }));
    EXPECT_EQ(standIn.RequestsFor(kRecommendPath).size(), 1u);
    EXPECT_EQ(panel.Recommendations().List().GetCount(), 10);
    EXPECT_FALSE(window.enabled[kListRecommend]);  // locked while it settles
    ASSERT_TRUE(WaitUntil([this] { return !window.busy; }));
    EXPECT_TRUE(window.enabled[kListRecommend]);
    EXPECT_TRUE(player.plays.empty());  // the player does not play from the recommendations
}

// A service that never answers leaves the list as it was and the panel
// usable: the next refresh ends the hung one within its bound.
TEST_F(MusicPanelTest, RecommendationsThatNeverArriveLeaveThePreviousList) {
    program.Write("recommend.xml", RecommendAnswer("901"));
    panel.Initialise();
    panel.OnCommand(ID_TAB_RECOMMEND);
    ASSERT_TRUE(WaitUntil([this] { return panel.Recommendations().IsLoaded(); }));
    standIn.SetFault(kRecommendPath, standin::MakeFault(standin::FaultKind::Hang));
    panel.OnCommand(ID_REFRESH_RECOMMEND);
    ASSERT_TRUE(standIn.WaitForHung(1, 10s, kRecommendPath));

    standIn.SetFault(kRecommendPath, standin::MakeFault(standin::FaultKind::Drop));
    const auto before = std::chrono::steady_clock::now();
    panel.OnCommand(ID_REFRESH_RECOMMEND);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);  // bounded, far below the exchange's own limits
    EXPECT_TRUE(traces.Has("ThreadRandom===Refresh ends the running one."));
    ASSERT_TRUE(WaitUntil([this] { return window.busy; }));
    standIn.ReleaseHung();
    EXPECT_EQ(panel.Recommendations().List().FindSong("901"), 0);
    ASSERT_TRUE(WaitUntil([this] { return window.enabled[kListRecommend]; }));
}

// The album item menu: move up stops at the first album, move down at the
// last; play needs songs.
TEST_F(MusicPanelTest, AlbumMenusDisableWhatCannotApply) {
    panel.Initialise();
    SignIn("tester", "secret123");
    panel.OnCommand(ID_TAB_ALBUMS);
    const int count = panel.Manager().Albums().GetCount();
    ASSERT_GE(count, 2);
    auto menuOf = [this](AlbumItem item, int position) {
        window.Select(item, position);
        panel.OnContextMenu(kListAlbum, 0);
        return window.menus.back();
    };
    const PanelMenu first = menuOf(window.AlbumItemAt(0), 0);
    EXPECT_FALSE(FindMenuEntry(first, ID_MOVE_UP)->enabled);
    EXPECT_TRUE(FindMenuEntry(first, ID_MOVE_DOWN)->enabled);
    EXPECT_TRUE(FindMenuEntry(first, ID_RENAME_ALBUM)->enabled);
    const PanelMenu last = menuOf(window.AlbumItemAt(count - 1), 0);
    EXPECT_TRUE(FindMenuEntry(last, ID_MOVE_UP)->enabled);
    EXPECT_FALSE(FindMenuEntry(last, ID_MOVE_DOWN)->enabled);

    // A song item: "移动到 " lists the albums and the new one.
    const PanelMenu song = menuOf(window.AlbumItemAt(0), 1);
    EXPECT_FALSE(FindMenuEntry(song, ID_MOVE_UP)->enabled);
    EXPECT_NE(FindMenuEntry(song, ID_SAVE_TO_FIRST + count), nullptr);

    // The delete button on the album page: no duplicates entry; the selected
    // songs need a song item.
    window.Select(window.AlbumItemAt(0), 0);
    panel.OnCommand(ID_DELETE_MENU);
    EXPECT_EQ(FindMenuEntry(window.menus.back(), ID_DELETE_DUPLICATES), nullptr);
    EXPECT_FALSE(FindMenuEntry(window.menus.back(), ID_DELETE_SELECTED)->enabled);
    EXPECT_TRUE(FindMenuEntry(window.menus.back(), ID_CLEAR_LIST)->enabled);

    // An empty album can be neither played nor added.
    const PanelMenu empty = AlbumItemMenu({0, 1}, 0);
    EXPECT_FALSE(FindMenuEntry(empty, ID_PLAY_ALBUM)->enabled);
    EXPECT_FALSE(FindMenuEntry(empty, ID_ADD_ALBUM_TO_LIST)->enabled);
}

TEST_F(MusicPanelTest, PlayListCommandsKeepTheFileAndTheSelection) {
    StartWithSongs(3);
    window.rows[kListTemporary] = {0};
    panel.OnCommand(ID_MOVE_UP);  // wraps round: the first goes last
    EXPECT_EQ(PlayListIds(), (std::vector<std::string>{"2", "3", "1"}));
    EXPECT_EQ(window.rows[kListTemporary], std::vector<int>{2});
    EXPECT_EQ(TempDir::Read(program / "Playlist.xls").substr(0, 2), "2\t");

    // The context menu of the last row: move down is off, the pick runs.
    window.menuChoice = ID_SEARCH_SINGER;
    panel.OnContextMenu(kListTemporary, 2);
    EXPECT_FALSE(FindMenuEntry(window.menus.back(), ID_MOVE_DOWN)->enabled);
    EXPECT_EQ(window.panePages.back(), std::make_pair(std::string("search"), std::string("singer")));

    panel.OnCommand(ID_MODE_FIRST + kModeRandom);
    EXPECT_EQ(panel.PlayMode(), kModeRandom);
    EXPECT_EQ(player.modeChanges, 1);
    panel.OnCommand(ID_MODE_MENU);
    EXPECT_TRUE(FindMenuEntry(window.menus.back(), ID_MODE_FIRST + kModeRandom)->checked);
}

TEST_F(MusicPanelTest, APlayListThatCannotBeReadIsKeptAsideAndNotSavedOver) {
    // The list saved again by a spreadsheet program, as UTF-16 text.
    std::string utf16 = "\xFF\xFE";
    for (char ch : std::string("1\tone\tsinger\t\t\r\n2\ttwo\tsinger\t\t\r\n")) utf16 += {ch, '\0'};
    program.Write("Playlist.xls", utf16);
    TraceCapture capture;
    panel.Initialise();
    EXPECT_TRUE(panel.PlayList().List().IsEmpty());
    EXPECT_EQ(capture.CountContaining("LoadPlayList===Can not read "), 1);
    EXPECT_EQ(capture.CountContaining("Playlist.xls.bad"), 1);

    // The next change writes a list of its own; the user's file stays whole.
    St_SongInfo song;
    song.id = "20001";
    song.name = "song";
    CSongList one;
    one.Add(song);
    ASSERT_EQ(panel.AddToPlayList(one), 1);
    EXPECT_EQ(TempDir::Read(program / "Playlist.xls.bad"), utf16);
    EXPECT_EQ(TempDir::Read(program / "Playlist.xls").substr(0, 6), "20001\t");
}

// What another program, a full disk or a crash may leave in the play-list
// file: the panel starts with what is sound in it.
TEST_F(MusicPanelTest, BadPlayListFilesStartWithWhatIsSound) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> files = {
        {"", {}},
        {"1\tone\t\t\t\r\n2\ttw", {"1"}},
        {"1\tone\r2\ttwo\r3\tthree\r", {"1", "2", "3"}},
        {"1\tone\n\x01\x02\tjunk\n3 4\tblank id\n5\tname\x7F\n6\tsix\n", {"1", "6"}},
    };
    for (const auto& [text, ids] : files) {
        CPlayList list;
        program.Write("Playlist.xls", text);
        list.Load();
        std::vector<std::string> loaded;
        for (const St_SongInfo& song : list.List().Snapshot()) loaded.push_back(song.id);
        EXPECT_EQ(loaded, ids) << text;
    }

    // Ten megabytes of noise.
    std::string noise(10 << 20, '\0');
    unsigned value = 12345;
    for (char& byte : noise) byte = static_cast<char>((value = value * 1103515245u + 12345u) >> 24);
    program.Write("Playlist.xls", noise);
    CPlayList list;
    list.Load();
    EXPECT_TRUE(list.List().IsEmpty());
}
