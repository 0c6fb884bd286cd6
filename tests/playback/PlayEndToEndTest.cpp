// The whole way of a song: the play controller with its real address lookup
// against the service stand-in, and the real engine playing the stand-in's
// audio into a sink that plays in real time but makes no sound.

#include "playback/PlayController.h"
#include "playback/StreamResume.h"
#include "playback/WMPPlayer4.h"

#include "PlayFakes.h"

#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"
#include "tools/standin/AudioSynth.h"
#include "tools/standin/StandIn.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

// Every song gets a pipeline of its own; its HTTP session must not leave a
// thread behind (one per song made a long run grow without end).
TEST_F(PlayEndToEnd, SongAfterSongLeavesNoThreadBehind) {
    St_SongInfo first;
    ASSERT_TRUE(panel.lists[kListTemporary].GetAt(0, first));
    const std::string url = "http://" + standIn.Host() + "/songhall/audio/" + first.id + ".wav";
    const auto threads = [] {
        int count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
        return count;
    };
    int afterFirst = 0;
    for (int song = 0; song < 5; ++song) {
        const int ended = Reports(wmppsStopped);
        engine->put_URL(url);
        engine->play();
        ASSERT_TRUE(WaitForReports(wmppsStopped, ended + 1, seconds[0] * 1000 + kStartMs)) << engine->get_errorDescription();
        if (song == 0) afterFirst = threads();
    }
    engine->put_URL(url);  // the last song's pipeline goes too
    EXPECT_LE(threads(), afterFirst + 1);
}

// ---- a stream that breaks off mid-song ----

namespace {

class StreamBreak : public PlayEndToEnd {
protected:
    void SetUp() override {
        PlayEndToEnd::SetUp();
        if (HasFatalFailure()) return;
        // One song of at least 8 s, alone in the list, played once.
        const standin::St_CatalogueSong* chosen = nullptr;
        for (const auto& song : standIn.Catalogue().Songs())
            if (song.seconds >= 8 && (!chosen || song.seconds < chosen->seconds)) chosen = &song;
        ASSERT_NE(chosen, nullptr);
        length = chosen->seconds;
        song.id = chosen->id;
        song.name = "name" + song.id;
        panel.lists[kListTemporary].RemoveAll();
        panel.lists[kListTemporary].Add(song);
        panel.mode = kModeSingle;
        audioPath = "/songhall/audio/" + song.id + ".wav";
        QObject::connect(engine.get(), &CMediaEngine::Error, engine.get(), [this] { errorCodes.push_back(engine->get_errorCode()); });
    }

    // Plays the song and follows its position until the engine reports the
    // end or an error: the furthest position, and the smallest one seen
    // after the stream broke off. `onPlaying` is called with each position
    // seen while the song plays.
    bool PlayThrough(const std::function<void(double)>& onPlaying = {}) {
        controller->Play(song, 0, kListTemporary, 0);
        const int bound = (length + 30) * 1000;
        return QTest::qWaitFor(
            [&] {
                const double position = engine->get_currentPosition();
                if (onPlaying && engine->state() == wmppsPlaying) onPlaying(position);
                if (engine->state() == wmppsPlaying) furthest = std::max(furthest, position);
                if (Reports(wmppsReconnecting) > 0 && engine->state() == wmppsPlaying)
                    lowestAfterBreak = std::min(lowestAfterBreak, position);
                return Reports(wmppsStopped) > 0 || !errorCodes.empty();
            },
            bound);
    }

    // The byte the engine asked for when it took the stream up again: the
    // start of the last ranged request for the audio.
    long long ResumedAt() const {
        long long start = -1;
        for (const auto& request : standIn.RequestsFor(audioPath))
            if (request.range.rfind("bytes=", 0) == 0) start = std::atoll(request.range.c_str() + 6);
        return start;
    }

    bool Traced(const std::string& text) const {
        for (const auto& line : traces.Lines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }

    St_SongInfo song;
    int length = 0;
    std::string audioPath;
    std::vector<std::int32_t> errorCodes;
    double furthest = 0;
    double lowestAfterBreak = 1e9;
};

using standin::CAudioSynth;
using standin::FaultKind;
using standin::MakeFault;

}  // namespace

TEST_F(StreamBreak, ADroppedConnectionGoesOnFromWhereItBrokeOff) {
    // 3 s of audio go out, then the connection is dropped while the song
    // plays (dropped at once, the break would come before anything played),
    // and the stream's own immediate reconnect is dropped too: the engine
    // takes it up.
    standIn.SetFault(audioPath, MakeFault(FaultKind::Hang, 0, CAudioSynth::ByteAt(3), 1));
    standIn.AddFault(audioPath, MakeFault(FaultKind::Drop, 0, 0, 1));
    bool dropped = false;
    ASSERT_TRUE(PlayThrough([&](double position) {
        if (dropped || position < 1.0) return;
        dropped = true;
        standIn.DropHung(audioPath);
    }));
    ASSERT_TRUE(dropped);

    ASSERT_EQ(Reports(wmppsStopped), 1) << engine->get_errorDescription();
    EXPECT_TRUE(errorCodes.empty());
    EXPECT_GE(Reports(wmppsReconnecting), 1);
    EXPECT_TRUE(Traced("Playing again from"));
    EXPECT_FALSE(Traced("Stream stalled"));  // the break itself was seen, not a stall after it
    // On from about 3 s, not from the start, and on to the song's end.
    EXPECT_GE(ResumedAt(), static_cast<long long>(CAudioSynth::ByteAt(2)));
    EXPECT_LE(ResumedAt(), static_cast<long long>(CAudioSynth::ByteAt(3)));
    EXPECT_GE(lowestAfterBreak, 2.0);
    EXPECT_GE(furthest, length - 1.0);
    // One song, one report; nothing else was started.
    EXPECT_EQ(standIn.PlayReports().size(), 1u);
    EXPECT_EQ(standIn.RequestsFor("/songhall/port/tonvik/playlist.php").size(), 1u);
    EXPECT_TRUE(panel.messages.empty());
}

TEST_F(StreamBreak, AStalledConnectionIsTakenUpAgain) {
    // 3 s of audio, then nothing: the answer is held for a minute.
    standIn.SetFault(audioPath, MakeFault(FaultKind::Hang, 0, CAudioSynth::ByteAt(3), 1));
    ASSERT_TRUE(PlayThrough());

    ASSERT_EQ(Reports(wmppsStopped), 1) << engine->get_errorDescription();
    EXPECT_TRUE(errorCodes.empty());
    // The engine's own watch saw the stall, long before the held answer
    // or the connection's time-out would have ended it.
    EXPECT_TRUE(Traced("Stream stalled at"));
    EXPECT_EQ(engine->resumeTries(), 1);
    // On from where the song stood when it ran short (it waits to fill up
    // before the 3 s are played), not from the start.
    EXPECT_GE(ResumedAt(), static_cast<long long>(CAudioSynth::ByteAt(1)));
    EXPECT_LE(ResumedAt(), static_cast<long long>(CAudioSynth::ByteAt(3)));
    EXPECT_GE(lowestAfterBreak, 1.0);
    EXPECT_GE(furthest, length - 1.0);
    EXPECT_EQ(standIn.PlayReports().size(), 1u);
}

TEST_F(StreamBreak, AStreamThatNeverComesBackEndsWithTheEnginesError) {
    // Dropped after 3 s, and every connection after that dropped unanswered.
    standIn.SetFault(audioPath, MakeFault(FaultKind::Drop, 0, CAudioSynth::ByteAt(3), 1));
    standIn.AddFault(audioPath, MakeFault(FaultKind::Drop));
    ASSERT_TRUE(PlayThrough());

    ASSERT_EQ(errorCodes.size(), 1u);
    EXPECT_EQ(errorCodes[0] >> 16, 3);  // a resource error, as the stream gave it
    EXPECT_EQ(Reports(wmppsReady), 1);
    EXPECT_EQ(engine->resumeTries(), CStreamResume::kMaxTries);
    EXPECT_TRUE(Traced("Given up after 3 tries"));
    // Looked up again once its address stopped answering; still one report.
    EXPECT_GE(standIn.RequestsFor("/songhall/port/tonvik/playlist.php").size(), 2u);
    EXPECT_EQ(standIn.PlayReports().size(), 1u);
    // The error ends the song as any error does: its message, and no next song.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.messages.empty(); }, kStartMs));
    EXPECT_EQ(panel.messages.back(), Cp936("  该歌曲无法正常播放！"));
    EXPECT_EQ(controller->State(), 2);
    EXPECT_EQ(controller->CurIndex(), 0);
}
