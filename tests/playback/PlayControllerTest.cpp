// The play controller against a scripted engine and fake windows; the
// address lookup runs on its real thread, the play report goes to the
// service stand-in.

#include "playback/PlayController.h"
#include "playback/DeferredEngine.h"

#include "PlayFakes.h"

#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "service/AnswerFiles.h"
#include "service/HttpClient.h"
#include "service/ServiceXml.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"
#include "tools/standin/StandIn.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr int kWaitMs = 10000;

St_SongInfo Song(const std::string& id) {
    St_SongInfo song;
    song.id = id;
    song.name = "song" + id;
    return song;
}

std::string UrlOf(const std::string& id) { return "http://media.test/" + id + ".wav"; }

class PlayController : public ::testing::Test {
protected:
    void SetUp() override {
        SetupWellKnownPaths(folder.Path());
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        folder.Write("TonvikMusic.ini", "[Hosts]\r\nService=" + standIn.Host() + "\r\n");
        for (const char* id : {"1", "2", "3"}) panel.lists[kListTemporary].Add(Song(id));
        for (const char* id : {"7", "8"}) panel.lists[kListRecommend].Add(Song(id));
        controller.SetLookup([this](CSongList& list, GenericHTTPClient&) {
            lookups.fetch_add(1);
            St_SongInfo song;
            list.GetAt(0, song);
            if (song.id == failingId) return -2;
            song.singer = "singer";
            if (song.id != silentId) song.playUrl = "\"" + UrlOf(song.id) + "\"";
            list.SetAt(0, song);
            return 1;
        });
    }

    void TearDown() override {
        if (HasFailure() && std::getenv("PLAY_TRACES"))
            for (const auto& line : traces.Lines()) std::fprintf(stderr, "%s\n", line.c_str());
        standIn.Stop();
    }

    // Starts the song at `index` of a list the way the panel does and waits
    // until the engine got its address.
    void Start(int index, int kind = kListTemporary) {
        St_SongInfo song;
        ASSERT_TRUE(panel.lists[kind].GetAt(index, song));
        const size_t before = engine.urls.size();
        controller.Play(song, index, kind, 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.urls.size() > before; }, kWaitMs));
    }

    void ReachPlaying() {
        engine.Report(wmppsTransitioning);
        engine.Report(wmppsPlaying);
        ASSERT_EQ(controller.State(), 0);
    }

    // The song ends; the posted end-of-song message is handled. Returns
    // whether a next song was started (and then waits for its address).
    bool EndOfSong() {
        const size_t before = engine.urls.size();
        const int opened = LookupsOpened();
        engine.Report(wmppsStopped);
        QCoreApplication::sendPostedEvents(&controller);
        if (LookupsOpened() == opened) return false;
        EXPECT_TRUE(QTest::qWaitFor([&] { return engine.urls.size() > before; }, kWaitMs));
        return true;
    }

    // Lookups started so far (counted on this thread, as they start).
    int LookupsOpened() const { return traces.CountContaining("OpenParseThread... --->Enter"); }

    std::string LastUrl() const { return engine.urls.empty() ? std::string() : engine.urls.back(); }
    int PlayingIndex(int kind = kListTemporary) { return panel.lists[kind].GetPlayingIndex(); }

    TempDir folder;
    TraceCapture traces;
    standin::CStandIn standIn{standin::OptionsWithState(folder.Path())};
    CScriptedEngine engine;
    CFakePanel panel;
    CFakeWindow window;
    CFakeLyric lyric;
    CPlayController controller{engine, &panel, window, lyric};
    std::atomic<int> lookups{0};
    std::string failingId;
    std::string silentId;
};

TEST_F(PlayController, PlayLooksUpReportsAndStartsTheSong) {
    Start(1);
    EXPECT_EQ(LastUrl(), UrlOf("2"));  // quotes stripped
    EXPECT_EQ(engine.plays, 1);
    EXPECT_EQ(controller.PlayFlag(), 1);  // every song started through Play continues by mode
    EXPECT_EQ(controller.LastSong().singer, "singer");
    EXPECT_EQ(PlayingIndex(), 1);
    EXPECT_EQ(panel.shown.back(), std::make_pair(int(kListTemporary), 1));
    EXPECT_EQ(lyric.loaded, std::vector<std::string>{"2"});
    EXPECT_TRUE(controller.PositionTimerActive());
    EXPECT_TRUE(traces.Has("Play==Init state."));
    EXPECT_TRUE(traces.Has("CPlayMainDlg::Play===By Mode 1"));
    EXPECT_TRUE(traces.Has("DoStop : 0 Caller:Play"));

    ASSERT_TRUE(standIn.WaitForPlayReports(1, 5s));
    EXPECT_EQ(standIn.PlayReports().at(0).id, "2");
    EXPECT_EQ(standIn.PlayReports().at(0).name, "song2");

    engine.Report(wmppsTransitioning);
    EXPECT_EQ(controller.State(), 3);
    EXPECT_EQ(window.title, Cp936("    正在缓冲..."));
    engine.position = 1.25;
    engine.duration = 61;
    engine.Report(wmppsPlaying);
    EXPECT_EQ(controller.State(), 0);
    EXPECT_FALSE(controller.InitState());
    EXPECT_TRUE(window.pauseImage);
    EXPECT_TRUE(window.sliderEnabled);
    EXPECT_EQ(window.range, 61);
    EXPECT_EQ(window.durationText, "01:01");
    EXPECT_EQ(window.title, "song2--singer");
    EXPECT_EQ(window.animation, IPlayWindow::Animation::Playing);
    // The first playing event jumps the lyric to the exact position.
    EXPECT_EQ(lyric.posts.back(), std::make_pair(WPARAM{ILyricSink::kJump}, LPARAM{1250}));
}

// A service that takes the play report and never answers holds up neither
// the song nor the orderly close, which ends the report.
TEST_F(PlayController, AHungPlayReportHoldsUpNothing) {
    const std::string path = "/songhall/tonvik/playlog.php";
    standIn.SetFault(path, standin::MakeFault(standin::FaultKind::Hang));
    Start(0);
    ASSERT_TRUE(standIn.WaitForHung(1, 5s, path));  // still unanswered while the song starts
    EXPECT_EQ(engine.plays, 1);
    EXPECT_EQ(standIn.PlayReports().at(0).target, path + "?id=1&name=song1");
    EXPECT_TRUE(traces.Has("Set Play log Leave " + standIn.Url(path + "?id=1&name=song1") + "."));
    controller.SetClosing();
    EXPECT_TRUE(QTest::qWaitFor([&] { return standIn.HungCount(path) == 0; }, kWaitMs));
}

TEST_F(PlayController, PauseAndResumeFollowTheButton) {
    Start(0);
    ReachPlaying();
    controller.OnCommand(kCmdPlayPause);
    EXPECT_EQ(engine.pauses, 1);
    EXPECT_EQ(lyric.posts.back().first, WPARAM{ILyricSink::kPause});
    engine.Report(wmppsPaused);
    EXPECT_EQ(controller.State(), 1);
    EXPECT_FALSE(window.pauseImage);
    controller.OnCommand(kCmdPlayPause);
    EXPECT_EQ(engine.plays, 2);
    EXPECT_EQ(engine.urls.size(), 1u);  // resumed, not reloaded
    EXPECT_EQ(lyric.posts.back().first, WPARAM{ILyricSink::kResume});
    engine.Report(wmppsPlaying);
    EXPECT_TRUE(traces.Has("===Lyric Coninue to play..."));
}

TEST_F(PlayController, NextAndPreviousWrapRoundTheList) {
    Start(2);
    controller.GoNext(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return LastUrl() == UrlOf("1"); }, kWaitMs));
    EXPECT_EQ(controller.CurIndex(), 0);
    controller.GoLast(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return LastUrl() == UrlOf("3"); }, kWaitMs));
    EXPECT_EQ(controller.CurIndex(), 2);
    EXPECT_TRUE(traces.Has("GoLast  0..."));
    EXPECT_EQ(PlayingIndex(), 2);
}

TEST_F(PlayController, WithoutAPlayingMarkNextPlaysTheFirstAndPreviousTheLast) {
    failingId = "8";
    controller.Play(Song("8"), 1, kListRecommend, 0);  // sets the list kind; its lookup fails
    ASSERT_TRUE(QTest::qWaitFor([&] { return traces.Has("Play===Get song info failed,ID:8"); }, kWaitMs));
    ASSERT_EQ(PlayingIndex(kListRecommend), -1);
    failingId.clear();
    controller.GoNext(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return LastUrl() == UrlOf("7"); }, kWaitMs));
    panel.lists[kListRecommend].RemoveAll();
    for (const char* id : {"7", "8"}) panel.lists[kListRecommend].Add(Song(id));
    controller.GoLast(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return LastUrl() == UrlOf("8"); }, kWaitMs));
}

// Rows that moved during the lookup: the song goes back to the row that
// holds it now, and a song gone from the list overwrites nothing.
TEST_F(PlayController, TheLookedUpSongGoesBackToItsOwnRow) {
    CSongList& list = panel.lists[kListTemporary];
    St_SongInfo row;
    controller.Play(Song("2"), 1, kListTemporary, 0);
    list.RemoveAt(0);  // "2" moves up, "3" takes its row
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.urls.size() == 1; }, kWaitMs));
    ASSERT_TRUE(list.GetAt(1, row));
    EXPECT_EQ(row.id, "3");
    EXPECT_TRUE(row.playUrl.empty());
    ASSERT_TRUE(list.GetAt(0, row));
    EXPECT_EQ(row.singer, "singer");
    EXPECT_EQ(PlayingIndex(), 0);
    EXPECT_EQ(controller.CurIndex(), 0);

    controller.Play(Song("3"), 1, kListTemporary, 0);
    list.RemoveAt(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.urls.size() == 2; }, kWaitMs));
    EXPECT_EQ(LastUrl(), UrlOf("3"));
    ASSERT_EQ(list.GetCount(), 1);
    ASSERT_TRUE(list.GetAt(0, row));
    EXPECT_EQ(row.id, "2");
    EXPECT_TRUE(traces.Has("PlaySong===Song 3 is no longer in its list."));
}

// The panel removed the playing song: it plays on, and the play mode, Next
// and Previous go on from where it was, not from the first song.
TEST_F(PlayController, RemovedPlayingSongContinuesWithItsSuccessor) {
    Start(1);
    ReachPlaying();
    CSongList& list = panel.lists[kListTemporary];
    list.RemoveAt(1);  // "1", "3" are left; "3" followed the playing "2"
    controller.OnSongRemoved(kListAlbum, 1);  // another list: nothing changes
    controller.OnSongRemoved(kListTemporary, 1);
    EXPECT_EQ(controller.State(), 0);
    ASSERT_TRUE(EndOfSong());
    EXPECT_EQ(LastUrl(), UrlOf("3"));

    Start(1);
    list.RemoveAt(1);
    controller.OnSongRemoved(kListTemporary, 0);  // "3" wrapped round to "1"
    controller.GoLast(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.urls.size() == 4; }, kWaitMs));
    EXPECT_EQ(LastUrl(), UrlOf("1"));
}

// A song still being looked up when it is removed never starts.
TEST_F(PlayController, RemovedSongInLookupIsStopped) {
    std::mutex mutex;
    std::condition_variable released;
    bool free = false;
    std::atomic<bool> returned{false};
    controller.SetLookup([&](CSongList&, GenericHTTPClient&) {
        std::unique_lock<std::mutex> lock(mutex);
        released.wait_for(lock, 30s, [&] { return free; });
        returned = true;
        return 1;
    });
    controller.Play(Song("2"), 1, kListTemporary, 0);
    ASSERT_TRUE(controller.LookupRunning());
    controller.OnSongRemoved(kListTemporary, -1);
    EXPECT_TRUE(controller.ForceStop());
    EXPECT_TRUE(window.title.empty());
    {
        std::lock_guard<std::mutex> lock(mutex);
        free = true;
    }
    released.notify_all();
    ASSERT_TRUE(QTest::qWaitFor([&] { return returned.load() && controller.Handle().PendingSends() == 0; }, kWaitMs));
    QCoreApplication::sendPostedEvents(&controller);
    EXPECT_TRUE(engine.urls.empty());
}

TEST_F(PlayController, EmptyListAndUnknownKindDoNothing) {
    controller.Play(Song("9"), 0, 9, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !engine.urls.empty() || traces.Has("PlaySong... --->Leave\xE2\x96\xB3\r\n"); }, kWaitMs));
    const int before = lookups.load();
    controller.GoNext(0);  // kind 9 has no list
    panel.lists[kListRecommend].RemoveAll();
    controller.Play(Song("7"), 0, kListRecommend, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lookups.load() == before + 1; }, kWaitMs));
    controller.GoNext(0);
    controller.GoLast(0);
    EXPECT_EQ(lookups.load(), before + 1);
}

// The continuation by play mode at the end of a song.
TEST_F(PlayController, ListLoopContinuesAndWraps) {
    Start(2);
    ReachPlaying();
    ASSERT_TRUE(EndOfSong());
    EXPECT_EQ(LastUrl(), UrlOf("1"));
    EXPECT_TRUE(traces.Has("GoNext  1..."));
    EXPECT_TRUE(traces.Has("SetPlayMode..Continue..."));
}

TEST_F(PlayController, SequenceStopsAfterTheLastAndTheNextStartedSongContinues) {
    panel.mode = kModeSequence;
    Start(1);
    ReachPlaying();
    ASSERT_TRUE(EndOfSong());
    EXPECT_EQ(LastUrl(), UrlOf("3"));
    ReachPlaying();
    EXPECT_FALSE(EndOfSong());
    EXPECT_TRUE(controller.InitState());
    EXPECT_EQ(controller.State(), 2);

    Start(0);
    EXPECT_EQ(controller.PlayFlag(), 1);
    ReachPlaying();
    ASSERT_TRUE(EndOfSong());
    EXPECT_EQ(LastUrl(), UrlOf("2"));
}

TEST_F(PlayController, RepeatOneReplaysTheSameIndex) {
    panel.mode = kModeRepeatOne;
    Start(1);
    ReachPlaying();
    ASSERT_TRUE(EndOfSong());
    EXPECT_EQ(LastUrl(), UrlOf("2"));
    EXPECT_EQ(controller.CurIndex(), 1);
    EXPECT_EQ(engine.urls.size(), 2u);
}

TEST_F(PlayController, SingleModeStopsAndRandomStaysInTheList) {
    panel.mode = kModeSingle;
    Start(0);
    ReachPlaying();
    EXPECT_FALSE(EndOfSong());
    EXPECT_TRUE(controller.InitState());

    panel.mode = kModeRandom;
    Start(0);
    ReachPlaying();
    ASSERT_TRUE(EndOfSong());
    EXPECT_GE(controller.CurIndex(), 0);
    EXPECT_LT(controller.CurIndex(), 3);
    EXPECT_EQ(LastUrl(), UrlOf(std::to_string(controller.CurIndex() + 1)));

    panel.mode = 7;
    ReachPlaying();
    EXPECT_FALSE(EndOfSong());
    EXPECT_TRUE(traces.Has("ModeCommon:default handle."));
}

TEST_F(PlayController, StopDuringPlaybackDoesNotContinue) {
    Start(0);
    ReachPlaying();
    window.position = 9;
    controller.OnCommand(kCmdStop);
    EXPECT_EQ(controller.State(), 2);
    EXPECT_EQ(window.time, "00:00");
    EXPECT_EQ(window.position, 0);
    EXPECT_TRUE(controller.LastSong().playUrl.empty());
    EXPECT_EQ(lyric.posts.back().first, WPARAM{ILyricSink::kStop});
    EXPECT_FALSE(controller.PositionTimerActive());
    const int opened = LookupsOpened();
    QCoreApplication::sendPostedEvents(&controller);
    EXPECT_EQ(LookupsOpened(), opened);
    EXPECT_EQ(engine.urls.size(), 1u);
    EXPECT_FALSE(traces.Has("SetPlayMode..Continue..."));
}

TEST_F(PlayController, ControlErrorShowsTheMessageAndNeverAdvances) {
    Start(0);
    ReachPlaying();
    engine.Fail("no codec");
    QCoreApplication::sendPostedEvents(&controller);  // the error message, then the end-of-song one
    QCoreApplication::sendPostedEvents(&controller);
    EXPECT_EQ(panel.messages, std::vector<std::string>{Cp936("  该歌曲无法正常播放！")});
    EXPECT_TRUE(traces.Has("OnPlayError===no codec"));
    EXPECT_TRUE(engine.error.empty());
    EXPECT_EQ(controller.State(), 2);
    EXPECT_EQ(LookupsOpened(), 1);
    EXPECT_EQ(engine.urls.size(), 1u);
}

TEST_F(PlayController, FailedLookupLeavesThePlayerStopped) {
    failingId = "2";
    controller.Play(Song("2"), 1, kListTemporary, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return traces.Has("Play===Get song info failed,ID:2"); }, kWaitMs));
    QCoreApplication::sendPostedEvents(&controller);
    EXPECT_TRUE(engine.urls.empty());
    EXPECT_EQ(controller.State(), 2);
    EXPECT_EQ(window.title, Cp936("正在获取播放地址..."));  // kept until the next action
    EXPECT_TRUE(standIn.PlayReports().empty());
}

TEST_F(PlayController, SongWithoutAnAddressStops) {
    silentId = "3";
    controller.Play(Song("3"), 2, kListTemporary, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return traces.Has("Play==song info is Null,ID:3 "); }, kWaitMs));
    EXPECT_TRUE(engine.urls.empty());
    EXPECT_TRUE(controller.ForceStop());
    // The stop runs inside the hand-over: it must not wait for the lookup that waits for it.
    EXPECT_FALSE(traces.Has("Dostop===Thread out time."));
    EXPECT_EQ(controller.LookupExitCode(), 0u);
}

TEST_F(PlayController, MissingAlbumItemStartsNoLookup) {
    panel.lists[kListAlbum].Add(Song("5"));
    panel.rowExists = false;
    controller.Play(Song("5"), 0, kListAlbum, 0);
    EXPECT_EQ(LookupsOpened(), 1);
    EXPECT_EQ(panel.selected.back(), std::make_pair(int(kListAlbum), 0));
    EXPECT_FALSE(controller.LookupRunning());
    panel.rowExists = true;
    Start(0, kListAlbum);
    EXPECT_EQ(PlayingIndex(kListAlbum), 0);
}

TEST_F(PlayController, SlidersSeekAndSetTheVolume) {
    Start(0);
    ReachPlaying();
    PostMessage(&controller, WM_SLIDER_DRAGSTART, kCtrlPositionSlider);
    QCoreApplication::sendPostedEvents(&controller);
    EXPECT_FALSE(controller.PositionTimerActive());
    window.positionValue = 42;
    PostMessage(&controller, WM_SLIDER_DRAGEND, kCtrlPositionSlider);
    QCoreApplication::sendPostedEvents(&controller);
    EXPECT_EQ(engine.position, 42);
    EXPECT_EQ(lyric.posts.back(), std::make_pair(WPARAM{ILyricSink::kJump}, LPARAM{42000}));
    EXPECT_TRUE(controller.PositionTimerActive());

    window.volumeValue = 35;
    PostMessage(&controller, WM_SLIDER_DRAGSTART, kCtrlVolumeSlider);
    QCoreApplication::sendPostedEvents(&controller);
    EXPECT_EQ(engine.volume, 35);
    window.volumeValue = 60;
    PostMessage(&controller, WM_SLIDER_DRAGEND, kCtrlVolumeSlider);
    QCoreApplication::sendPostedEvents(&controller);
    EXPECT_EQ(controller.Volume(), 60);
    EXPECT_EQ(engine.volume, 60);

    // A lyric line's time, to the millisecond; nothing once stopped.
    controller.SeekTo(19540);
    EXPECT_DOUBLE_EQ(engine.position, 19.54);
    EXPECT_EQ(lyric.posts.back(), std::make_pair(WPARAM{ILyricSink::kJump}, LPARAM{19540}));
    controller.OnButtonStop();
    const size_t posts = lyric.posts.size();
    controller.SeekTo(5000);
    EXPECT_DOUBLE_EQ(engine.position, 19.54);
    EXPECT_EQ(lyric.posts.size(), posts);

    engine.position = 75.9;
    controller.OnTimer();
    EXPECT_EQ(window.position, 75);
    EXPECT_EQ(window.time, "01:15");
    controller.SetClosing();
    controller.OnTimer();
    EXPECT_TRUE(traces.Has("OnTimer:有这种事？！"));
}

// A drag while the song is still loading seeks nothing, but the time display
// goes on; a song that ended during the drag keeps it still. A song that
// played and fills up again (after a seek, say) is moved in as one playing.
TEST_F(PlayController, DragWhileBufferingRestartsThePositionTimer) {
    panel.mode = kModeSingle;  // nothing follows the end of the song
    Start(0);
    engine.Report(wmppsBuffering);
    auto drag = [&](unsigned message) {
        PostMessage(&controller, message, kCtrlPositionSlider);
        QCoreApplication::sendPostedEvents(&controller);
    };
    drag(WM_SLIDER_DRAGSTART);
    EXPECT_FALSE(controller.PositionTimerActive());
    drag(WM_SLIDER_DRAGEND);
    EXPECT_TRUE(controller.PositionTimerActive());
    EXPECT_EQ(engine.position, 0);

    controller.SeekTo(7000);
    EXPECT_EQ(engine.position, 0);

    engine.Report(wmppsPlaying);
    engine.Report(wmppsBuffering);
    EXPECT_TRUE(controller.SongLoaded());
    window.positionValue = 42;
    drag(WM_SLIDER_DRAGSTART);
    drag(WM_SLIDER_DRAGEND);
    EXPECT_EQ(engine.position, 42);
    controller.SeekTo(7000);
    EXPECT_EQ(engine.position, 7);
    engine.Report(wmppsReconnecting);
    EXPECT_FALSE(controller.SongLoaded());

    drag(WM_SLIDER_DRAGSTART);
    engine.Report(wmppsStopped);
    drag(WM_SLIDER_DRAGEND);
    EXPECT_FALSE(controller.PositionTimerActive());
}

TEST_F(PlayController, StopWhileStoppedAndNotSeekingStoppedMedia) {
    window.positionValue = 9;
    PostMessage(&controller, WM_SLIDER_DRAGEND, kCtrlPositionSlider);
    QCoreApplication::sendPostedEvents(&controller);
    EXPECT_EQ(engine.position, 0);
    controller.OnCommand(kCmdPlayPause);  // stopped: left to the panel
    EXPECT_EQ(engine.plays, 0);
    controller.ButtonPlay();  // nothing to play
    EXPECT_TRUE(traces.Has("URL is Null."));
}

// A stop that comes while the lookup waits to hand over its song need not
// wait for it: the song is dropped and the lookup ends at once after.
TEST_F(PlayController, StopDuringTheHandOverDoesNotWaitForTheLookup) {
    controller.Play(Song("1"), 0, kListTemporary, 0);
    // Events are not handled here, so the hand-over stays pending.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (controller.Handle().PendingSends() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(controller.Handle().PendingSends(), 1);
    controller.OnCommand(kCmdStop);
    EXPECT_FALSE(traces.Has("Dostop===Thread out time."));
    EXPECT_EQ(controller.LookupExitCode(), 0u);
    EXPECT_FALSE(controller.LookupRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.Handle().PendingSends() == 0; }, kWaitMs));
    EXPECT_TRUE(engine.urls.empty());
}

// A lookup stuck beyond the reach of its closed transfer is abandoned: the
// next song starts and the stuck one never plays, even once it comes free.
TEST_F(PlayController, AbandonedLookupNeverDeliversItsSong) {
    std::mutex mutex;
    std::condition_variable released;
    bool free = false;
    std::atomic<bool> returned{false};
    controller.SetLookup([&](CSongList& list, GenericHTTPClient&) {
        St_SongInfo song;
        list.GetAt(0, song);
        song.playUrl = UrlOf(song.id);
        list.SetAt(0, song);
        if (song.id == "1") {
            std::unique_lock<std::mutex> lock(mutex);
            released.wait_for(lock, 30s, [&] { return free; });
            returned = true;
        }
        return 1;
    });
    controller.Play(Song("1"), 0, kListTemporary, 0);
    ASSERT_TRUE(controller.LookupRunning());
    Start(1);
    EXPECT_TRUE(traces.Has("Dostop===Thread out time."));
    EXPECT_EQ(controller.LookupExitCode(), CPlayController::kExitStopTimeout);
    EXPECT_EQ(engine.urls, std::vector<std::string>{UrlOf("2")});
    {
        std::lock_guard<std::mutex> lock(mutex);
        free = true;
    }
    released.notify_all();
    ASSERT_TRUE(QTest::qWaitFor([&] { return returned.load() && controller.Handle().PendingSends() == 0; }, kWaitMs));
    QCoreApplication::sendPostedEvents(&controller);
    EXPECT_EQ(engine.urls, std::vector<std::string>{UrlOf("2")});
    EXPECT_EQ(controller.CurIndex(), 1);
}

// The same through the real lookup and the stand-in's hang switch.
TEST_F(PlayController, NewPlayWhileTheServiceHangsStartsTheNewSong) {
    controller.SetLookup([](CSongList& list, GenericHTTPClient& client) {
        CSongXml parser;
        return parser.GetSongInfoEx(list, &client, kAnswerPlaySong);
    });
    const auto& songs = standIn.Catalogue().Songs();
    ASSERT_GE(songs.size(), 2u);
    panel.lists[kListTemporary].RemoveAll();
    for (size_t i = 0; i < 2; ++i) panel.lists[kListTemporary].Add(Song(songs[i].id));
    standIn.SetFault("/songhall/port/tonvik/playlist.php", standin::MakeFault(standin::FaultKind::Hang, 0, 0, 1));
    controller.Play(Song(songs[0].id), 0, kListTemporary, 0);
    ASSERT_TRUE(standIn.WaitForHung(1, 5s));
    Start(1);
    ASSERT_EQ(engine.urls.size(), 1u);
    EXPECT_NE(engine.urls[0].find(songs[1].id), std::string::npos);
    standIn.ReleaseHung();
    ASSERT_TRUE(standIn.WaitForPlayReports(1, 5s));
    QCoreApplication::sendPostedEvents(&controller);
    EXPECT_EQ(engine.urls.size(), 1u);
    EXPECT_EQ(standIn.PlayReports().size(), 1u);
    EXPECT_EQ(standIn.PlayReports()[0].id, songs[1].id);
}

}  // namespace

// The engine the player starts over: the volume and mute set before the real
// engine is made reach it, its signals come through, and one that cannot be
// made is tried once and leaves every call harmless.
TEST(DeferredEngineTest, HandsOverWhatWasSetAndForwardsSignalsOrStaysHarmless) {
    int makes = 0;
    CScriptedEngine* made = nullptr;
    CDeferredEngine engine([&](std::string*) {
        ++makes;
        auto real = std::make_unique<CScriptedEngine>();
        made = real.get();
        return real;
    });
    engine.put_volume(40);
    engine.put_mute(true);
    EXPECT_EQ(engine.get_volume(), 40);
    EXPECT_EQ(engine.get_currentPosition(), 0.0);
    EXPECT_EQ(makes, 0) << "reading and keeping settings make no engine";

    engine.put_URL("http://127.0.0.1/1.mp3");  // a call that needs the engine makes it
    ASSERT_EQ(makes, 1);
    EXPECT_EQ(made->volume, 40);
    EXPECT_TRUE(made->mute);
    EXPECT_EQ(made->urls, (std::vector<std::string>{"http://127.0.0.1/1.mp3"}));
    std::vector<int> states;
    QObject::connect(&engine, &CMediaEngine::PlayStateChange, [&](int state) { states.push_back(state); });
    made->Report(wmppsPlaying);
    EXPECT_EQ(states, (std::vector<int>{wmppsPlaying}));
    EXPECT_TRUE(engine.Attach());
    EXPECT_EQ(makes, 1);

    CDeferredEngine missing([&](std::string* reason) -> std::unique_ptr<CMediaEngine> {
        ++makes;
        *reason = "no player element";
        return nullptr;
    });
    std::string reason;
    EXPECT_FALSE(missing.Attach(&reason));
    EXPECT_EQ(reason, "no player element");
    missing.play();
    missing.put_currentPosition(3);
    EXPECT_FALSE(missing.Attach());
    EXPECT_EQ(makes, 2) << "a failed engine is not made again";
    EXPECT_EQ(missing.get_errorCode(), 0);
}
