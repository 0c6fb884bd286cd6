// Songs chosen on a page: the identifiers read from the page's text, the
// information fetched on a worker, then played or added with the right tip.
// The panel is a fake; the fetch names the songs it is asked for.

#include "app/LibSongs.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "tests/support/TraceCapture.h"

#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <set>

namespace {

constexpr int kWaitMs = 10000;

class CFakeLibSongPanel final : public ILibSongPanel {
public:
    int ShownListKind() const override { return shownKind; }
    std::string SelectedAlbumId() const override { return selectedAlbum; }
    bool AlbumWorkerFree() override { return workerFree; }
    int PlayListCount() const override { return playList.GetCount(); }
    int PlayListIndexOf(const std::string& id) const override { return playList.FindSong(id); }
    int AddToPlayList(const CSongList& songs) override { return playList.AddList(songs, false); }
    int AddToAlbum(const CSongList& songs, const std::string& albumId) override {
        albumAdds.push_back(songs.GetCount());
        albumIds.push_back(albumId);
        return albumResult >= 0 ? album.AddList(songs, false) : -1;
    }
    void PlayFromPlayList(int index) override {
        St_SongInfo song;
        playList.GetAt(index, song);
        played.push_back(song.id);
    }
    void ShowMessage(const std::string& text) override { messages.push_back(FromAnsi(text).toStdString()); }
    void ShowTip(const std::string& text) override { tips.push_back(FromAnsi(text).toStdString()); }
    void ShowAddedTip(int added, int dropped) override { counts.emplace_back(added, dropped); }

    int shownKind = kListTemporary;
    std::string selectedAlbum = "7";
    bool workerFree = true;
    int albumResult = 0;
    CSongList playList;
    CSongList album;
    std::vector<int> albumAdds;
    std::vector<std::string> albumIds;
    std::vector<std::string> messages;
    std::vector<std::string> played;
    std::vector<std::string> tips;
    std::vector<std::pair<int, int>> counts;
};

St_SongInfo Song(const std::string& id) {
    St_SongInfo song;
    song.id = id;
    song.name = "song " + id;
    return song;
}

class LibSongsTest : public ::testing::Test {
protected:
    LibSongsTest()
        : songs(panel, [this](CSongList& list) {
              ++fetches;
              if (!serviceAnswers) return -2;
              // The service knows every song but "99".
              for (int i = 0; i < list.GetCount(); ++i) {
                  St_SongInfo song;
                  list.GetAt(i, song);
                  if (song.id != "99") list.SetAt(i, Song(song.id));
              }
              return 1;
          }) {
        // The requests of a test come a second apart, unless it says otherwise.
        songs.Admission().SetClock([this] { return now += CLibSongAdmission::kPlayInterval; });
    }

    // Posts the page's text and waits until its songs were dealt with.
    void Choose(WPARAM play, const std::u16string& ids) {
        songs.OnLibSong(play, ids);
        ASSERT_TRUE(QTest::qWaitFor([this] { return songs.Pending() == 0; }, kWaitMs));
    }
    void FillPlayList(int count) {
        for (int i = 0; i < count; ++i) panel.playList.Add(Song("old" + std::to_string(i)));
    }

    TraceCapture traces;
    std::chrono::steady_clock::time_point now;
    CFakeLibSongPanel panel;
    std::atomic<int> fetches{0};
    std::atomic<bool> serviceAnswers{true};
    CLibSongs songs;
};

const std::string kAdded = "歌曲已经添加到播放列表！";
const std::string kFailed = "     添加歌曲失败！";

}  // namespace

TEST(ParseLibSongIds, ThePagesTextGivesSongsWithOnlyTheirIdsAtMostAListFull) {
    const CSongList two = ParseLibSongIds("12_34_");
    ASSERT_EQ(two.GetCount(), 2);
    St_SongInfo first, second;
    two.GetAt(0, first);
    two.GetAt(1, second);
    EXPECT_EQ(first.id, "12");
    EXPECT_EQ(second.id, "34");
    EXPECT_TRUE(first.name.empty());
    EXPECT_EQ(ParseLibSongIds("_7__8").GetCount(), 2) << "empty pieces are no songs";
    EXPECT_EQ(ParseLibSongIds("").GetCount(), 0);

    std::string many;
    for (int i = 1; i <= 60; ++i) many += std::to_string(i) + "_";
    const CSongList capped = ParseLibSongIds(many);
    ASSERT_EQ(capped.GetCount(), CSongList::kCapacity);
    St_SongInfo last;
    capped.GetAt(CSongList::kCapacity - 1, last);
    EXPECT_EQ(last.id, "60");
}

TEST_F(LibSongsTest, PlayAddsTheSongsAndPlaysTheFirstOfThemWithTheAddedTip) {
    FillPlayList(3);
    Choose(1, u"12_34_");
    EXPECT_EQ(panel.playList.GetCount(), 5);
    EXPECT_EQ(panel.played, (std::vector<std::string>{"12"})) << "the song at the old count";
    EXPECT_EQ(panel.tips, (std::vector<std::string>{kAdded}));
    EXPECT_TRUE(traces.Has(std::string("OnLibSong...") + std::string(kTraceEnterSuffix)));

    // A song already in the list is not added again: it plays where it is
    // (it used to play nothing and say the adding failed).
    Choose(1, u"34_");
    EXPECT_EQ(panel.playList.GetCount(), 5);
    EXPECT_EQ(panel.played, (std::vector<std::string>{"12", "34"}));
    EXPECT_EQ(panel.tips.back(), kAdded);
    EXPECT_EQ(traces.CountContaining("获取歌曲信息失败！"), 0);
}

TEST_F(LibSongsTest, WithoutTheServicesAnswerNothingIsAddedOrPlayed) {
    serviceAnswers = false;
    Choose(1, u"12_34_");
    EXPECT_EQ(panel.playList.GetCount(), 0);
    EXPECT_TRUE(panel.played.empty());
    EXPECT_EQ(panel.tips, (std::vector<std::string>{kFailed}));
    EXPECT_TRUE(traces.Has("获取歌曲信息失败！"));

    // A song the service does not know is not added either.
    serviceAnswers = true;
    Choose(1, u"99_");
    EXPECT_EQ(panel.playList.GetCount(), 0);
}

TEST_F(LibSongsTest, OnAFullListTheOldestSongsMakeRoomAndTheNewOnePlays) {
    FillPlayList(CSongList::kCapacity);
    Choose(1, u"12_");
    ASSERT_EQ(panel.playList.GetCount(), CSongList::kCapacity);
    EXPECT_EQ(panel.played, (std::vector<std::string>{"12"}));
    EXPECT_EQ(panel.tips, (std::vector<std::string>{kAdded}));

    // Nothing new: a full list plays nothing, and the failure is no lookup failure.
    Choose(1, u"99_");
    EXPECT_EQ(panel.played.size(), 1u);
    EXPECT_EQ(panel.tips.back(), kFailed);
    EXPECT_EQ(traces.CountContaining("获取歌曲信息失败！"), 0);
}

TEST_F(LibSongsTest, AddPutsTheSongsIntoThePlayListWithoutPlaying) {
    Choose(0, u"12_34_");
    EXPECT_EQ(panel.playList.GetCount(), 2);
    EXPECT_TRUE(panel.played.empty());
    EXPECT_EQ(panel.tips, (std::vector<std::string>{kAdded}));
    Choose(0, u"34_");
    EXPECT_EQ(panel.tips.back(), kFailed);
}

TEST_F(LibSongsTest, AnAlbumGetsTheSongsWithTheCountsOfAddedAndDropped) {
    panel.shownKind = kListAlbum;
    panel.album.Add(Song("34"));
    Choose(0, u"12_34_99_");
    EXPECT_EQ(panel.album.GetCount(), 2);
    EXPECT_EQ(panel.counts, (std::vector<std::pair<int, int>>{{1, 2}}));
    EXPECT_EQ(panel.albumIds, std::vector<std::string>{"7"});
    EXPECT_EQ(panel.playList.GetCount(), 0);
    EXPECT_TRUE(panel.tips.empty());

    // An album the panel could not take songs for has said why itself.
    panel.albumResult = -1;
    Choose(0, u"56_");
    EXPECT_EQ(panel.counts.size(), 1u);
    EXPECT_TRUE(panel.tips.empty());
}

TEST_F(LibSongsTest, ABusyAlbumWorkerTakesNoSongsAndNothingIsFetched) {
    panel.shownKind = kListAlbum;
    panel.workerFree = false;
    songs.OnLibSong(0, u"12_34_");
    EXPECT_EQ(songs.Pending(), 0);
    EXPECT_EQ(fetches, 0);
    EXPECT_TRUE(traces.Has("OnLibSong==BeforeAction : 1"));
    EXPECT_TRUE(panel.albumAdds.empty());

    // Playing does not touch the album: it goes on.
    Choose(1, u"12_");
    EXPECT_EQ(panel.played, (std::vector<std::string>{"12"}));
}

TEST_F(LibSongsTest, TheSongsGoWhereTheUserChoseThemAndABusyWorkerAtTheEndTakesNone) {
    // Chosen on the album page with album 7 selected; by the time the
    // service answered the user looked at the play list and album 8.
    panel.shownKind = kListAlbum;
    songs.OnLibSong(0, u"12_");
    panel.shownKind = kListTemporary;
    panel.selectedAlbum = "8";
    ASSERT_TRUE(QTest::qWaitFor([this] { return songs.Pending() == 0; }, kWaitMs));
    EXPECT_EQ(panel.albumIds, std::vector<std::string>{"7"});
    EXPECT_EQ(panel.playList.GetCount(), 0);

    // Chosen on the play list, answered while the album page shows.
    songs.OnLibSong(0, u"34_");
    panel.shownKind = kListAlbum;
    ASSERT_TRUE(QTest::qWaitFor([this] { return songs.Pending() == 0; }, kWaitMs));
    EXPECT_EQ(panel.playList.GetCount(), 1);
    EXPECT_EQ(panel.albumIds.size(), 1u);

    // The worker took other work while the songs came: they wait for the user.
    songs.OnLibSong(0, u"56_");
    panel.workerFree = false;
    ASSERT_TRUE(QTest::qWaitFor([this] { return songs.Pending() == 0; }, kWaitMs));
    EXPECT_EQ(panel.albumIds.size(), 1u);
    EXPECT_EQ(panel.messages, std::vector<std::string>{"缓存中...请稍候！"});
}

TEST_F(LibSongsTest, RequestsFollowEachOtherInTheOrderTheyCame) {
    songs.OnLibSong(0, u"12_");
    songs.OnLibSong(0, u"34_");
    songs.OnLibSong(1, u"56_");
    EXPECT_EQ(songs.Pending(), 3);
    ASSERT_TRUE(QTest::qWaitFor([this] { return songs.Pending() == 0; }, kWaitMs));
    std::vector<std::string> ids;
    for (const St_SongInfo& song : panel.playList.Snapshot()) ids.push_back(song.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"12", "34", "56"}));
    EXPECT_EQ(panel.played, (std::vector<std::string>{"56"}));
    EXPECT_EQ(fetches, 3);
}
