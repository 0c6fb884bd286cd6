// The whole way of a song: the play controller with its real address lookup
// against the service stand-in, and the real engine playing the stand-in's
// audio into a sink that plays in real time but makes no sound.

#include "playback/PlayController.h"
#include "playback/WMPPlayer4.h"

#include "PlayFakes.h"

#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"
#include "tools/standin/StandIn.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Bounds for a loaded two-core machine; a healthy run needs a fraction.
constexpr int kStartMs = 20000;

class PlayEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        SetupWellKnownPaths(folder.Path());
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        folder.Write("TonvikMusic.ini", "[Hosts]\r\nService=" + standIn.Host() + "\r\n");

        std::string reason;
        CWMPPlayer4Options options;
        options.audioSink = "fakesink";
        engine = CWMPPlayer4::Create(options, &reason);
        ASSERT_TRUE(engine) << reason;
        states = std::make_unique<QSignalSpy>(engine.get(), &CMediaEngine::PlayStateChange);
        controller = std::make_unique<CPlayController>(*engine, &panel, window, lyric);

        // The two shortest songs of the catalogue, so that each plays to its end quickly.
        std::vector<const standin::St_CatalogueSong*> songs;
        for (const auto& song : standIn.Catalogue().Songs()) songs.push_back(&song);
        ASSERT_GE(songs.size(), 2u);
        std::sort(songs.begin(), songs.end(), [](auto* a, auto* b) { return a->seconds < b->seconds; });
        for (int i = 0; i < 2; ++i) {
            St_SongInfo song;
            song.id = songs[i]->id;
            song.name = "name" + song.id;
            seconds.push_back(songs[i]->seconds);
            names.push_back(songs[i]->name);
            panel.lists[kListTemporary].Add(song);
        }
    }

    void TearDown() override {
        if (HasFailure() && std::getenv("PLAY_TRACES"))
            for (const auto& line : traces.Lines()) std::fprintf(stderr, "%s\n", line.c_str());
        controller.reset();
        engine.reset();
        standIn.Stop();
    }

    // The number of times the engine reported `state` so far.
    int Reports(int state) const {
        return static_cast<int>(std::count_if(states->begin(), states->end(),
                                              [state](const QList<QVariant>& args) { return args.at(0).toInt() == state; }));
    }

    // Waits while handling this thread's events: the lookup hands its song
    // over to this thread, and the engine its news.
    bool WaitForPlayReports(size_t count) {
        return QTest::qWaitFor([&] { return standIn.PlayReports().size() >= count; }, kStartMs);
    }

    bool WaitForReports(int state, int count, int timeoutMs) {
        return QTest::qWaitFor([&] { return Reports(state) >= count; }, timeoutMs);
    }

    TempDir folder;
    TraceCapture traces;
    standin::CStandIn standIn{standin::OptionsWithState(folder.Path())};
    CFakePanel panel;
    CFakeWindow window;
    CFakeLyric lyric;
    std::unique_ptr<CWMPPlayer4> engine;
    std::unique_ptr<QSignalSpy> states;
    std::unique_ptr<CPlayController> controller;
    std::vector<int> seconds;
    std::vector<std::string> names;  // as the service knows them (UTF-8)
};

}  // namespace

TEST_F(PlayEndToEnd, PlaysASongToItsEndAndContinuesWithTheNextByMode) {
    panel.mode = kModeRepeatList;
    St_SongInfo first;
    ASSERT_TRUE(panel.lists[kListTemporary].GetAt(0, first));
    controller->Play(first, 0, kListTemporary, 0);

    // The lookup asked the service, the play was reported, and the song plays.
    ASSERT_TRUE(WaitForPlayReports(1));
    EXPECT_EQ(standIn.PlayReports().at(0).id, first.id);
    // The report carries the name the service gave, not the one the list had.
    EXPECT_EQ(standIn.PlayReports().at(0).name, names[0]);
    EXPECT_EQ(controller->LastSong().name, Utf8ToAnsi(names[0]));
    ASSERT_TRUE(WaitForReports(wmppsPlaying, 1, kStartMs)) << engine->get_errorDescription();
    // A loaded machine may buffer again just after the first "playing" (the
    // title then says so for a moment): the playing state is waited for.
    const std::string title = controller->LastSong().name + "--" + controller->LastSong().singer;
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller->State() == 0 && window.title == title; }, kStartMs))
        << controller->State() << " " << window.title;
    EXPECT_EQ(controller->CurIndex(), 0);
    EXPECT_NE(engine->get_URL().find("/songhall/audio/" + first.id + ".wav"), std::string::npos);
    EXPECT_TRUE(window.sliderEnabled);
    EXPECT_NEAR(window.range, seconds[0], 1);

    // At its end the next song of the list starts on its own.
    ASSERT_TRUE(WaitForReports(wmppsStopped, 1, seconds[0] * 1000 + kStartMs));
    ASSERT_TRUE(WaitForPlayReports(2));
    St_SongInfo second;
    ASSERT_TRUE(panel.lists[kListTemporary].GetAt(1, second));
    EXPECT_EQ(standIn.PlayReports().at(1).id, second.id);
    ASSERT_TRUE(WaitForReports(wmppsPlaying, 2, kStartMs)) << engine->get_errorDescription();
    EXPECT_EQ(controller->CurIndex(), 1);
    EXPECT_EQ(panel.lists[kListTemporary].GetPlayingIndex(), 1);
    EXPECT_NE(engine->get_URL().find("/songhall/audio/" + second.id + ".wav"), std::string::npos);
    EXPECT_EQ(engine->get_errorDescription(), "");

    // The stop button ends it for good: nothing follows.
    controller->OnButtonStop();
    EXPECT_TRUE(controller->ForceStop());
    QTest::qWait(300);
    EXPECT_EQ(standIn.PlayReports().size(), 2u);
}
