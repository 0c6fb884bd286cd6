#include "playback/StreamResume.h"
#include "playback/WMPPlayer4.h"

#include "tests/support/TempDir.h"
#include "tests/support/WavFile.h"

#include <gst/audio/streamvolume.h>
#include <gst/gst.h>

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <httplib.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

// Generous bounds: a loaded machine may be slow, but never this slow.
constexpr int kStateTimeoutMs = 10000;

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        CWMPPlayer4Options options;
        options.audioSink = "fakesink";
        player = CWMPPlayer4::Create(options, &reason);
        ASSERT_TRUE(player) << reason;
        states = std::make_unique<QSignalSpy>(player.get(), &CMediaEngine::PlayStateChange);
        errors = std::make_unique<QSignalSpy>(player.get(), &CMediaEngine::Error);
    }

    // Waits until the engine reports `state`; false after the time-out.
    bool WaitForState(int state, int timeoutMs = kStateTimeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            for (const auto& args : *states)
                if (args.at(0).toInt() == state) return true;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            states->wait(static_cast<int>(left.count()));
        }
    }

    std::vector<int> States() const {
        std::vector<int> list;
        for (const auto& args : *states) list.push_back(args.at(0).toInt());
        return list;
    }

    TempDir dir;
    std::unique_ptr<CWMPPlayer4> player;
    std::unique_ptr<QSignalSpy> states;
    std::unique_ptr<QSignalSpy> errors;
};

// Catches the audio output of each song as it joins its pipeline, so that a
// test can speak on the song's bus as the stream would.
class SinkCatcher {
public:
    SinkCatcher()
        : m_signal(g_signal_lookup("element-added", GST_TYPE_BIN)),
          m_hook(g_signal_add_emission_hook(m_signal, 0, &SinkCatcher::OnAdded, this, nullptr)) {}
    ~SinkCatcher() {
        g_signal_remove_emission_hook(m_signal, m_hook);
        if (m_sink) gst_object_unref(m_sink);
    }
    SinkCatcher(const SinkCatcher&) = delete;
    SinkCatcher& operator=(const SinkCatcher&) = delete;

    // Posts a buffering report of `percent` from the latest song's output.
    bool PostBuffering(int percent) {
        std::lock_guard lock(m_mutex);
        return m_sink && gst_element_post_message(m_sink, gst_message_new_buffering(GST_OBJECT(m_sink), percent));
    }

private:
    static gboolean OnAdded(GSignalInvocationHint*, guint count, const GValue* params, gpointer self) {
        auto* catcher = static_cast<SinkCatcher*>(self);
        GstElement* element = count > 1 ? GST_ELEMENT(g_value_get_object(&params[1])) : nullptr;
        GstElementFactory* factory = element ? gst_element_get_factory(element) : nullptr;
        if (factory && std::strcmp(GST_OBJECT_NAME(factory), "fakesink") == 0) {
            std::lock_guard lock(catcher->m_mutex);
            if (catcher->m_sink) gst_object_unref(catcher->m_sink);
            catcher->m_sink = GST_ELEMENT(gst_object_ref(element));
        }
        return TRUE;
    }

    std::mutex m_mutex;
    GstElement* m_sink = nullptr;
    guint m_signal;
    gulong m_hook;
};

}  // namespace

// The program sets the framework up beside its own start; an engine made
// meanwhile (each test runs in a process of its own) waits for it and works.
TEST(EngineSetUp, AnEngineMadeWhileTheFrameworkSetsUpWorks) {
    std::jthread setUp = StartMediaFrameworkSetUp();
    std::string reason;
    CWMPPlayer4Options options;
    options.audioSink = "fakesink";
    const auto player = CWMPPlayer4::Create(options, &reason);
    ASSERT_TRUE(player) << reason;
    setUp.join();
    EXPECT_TRUE(gst_is_initialized());
    const auto second = CWMPPlayer4::Create(options, &reason);
    EXPECT_TRUE(second) << reason;
}

TEST(PlayTime, MinutesAndSeconds) {
    EXPECT_EQ(FormatPlayTime(0), "00:00");
    EXPECT_EQ(FormatPlayTime(59.9), "00:59");
    EXPECT_EQ(FormatPlayTime(61), "01:01");
    EXPECT_EQ(FormatPlayTime(3723.4), "62:03");
    EXPECT_EQ(FormatPlayTime(-3), "00:00");
    EXPECT_EQ(FormatPlayTime(std::nan("")), "00:00");
}

// The tries after a break: spaced out, bounded, the address looked up again
// after a failed one, a fresh set only for a stream that got on.
TEST(StreamResume, TriesAreBoundedSpacedAndRenewedOnlyByProgress) {
    CStreamResume resume;
    ASSERT_TRUE(resume.Broke(3.2));
    EXPECT_EQ(resume.Position(), 3.2);
    EXPECT_EQ(resume.Delay(), CStreamResume::kFirstDelay);
    EXPECT_FALSE(resume.WantsNewAddress());
    ASSERT_TRUE(resume.TryFailed());
    EXPECT_EQ(resume.Delay(), 2 * CStreamResume::kFirstDelay);
    EXPECT_TRUE(resume.WantsNewAddress());
    ASSERT_TRUE(resume.TryFailed());
    EXPECT_EQ(resume.Try(), CStreamResume::kMaxTries);
    EXPECT_FALSE(resume.TryFailed());
    EXPECT_FALSE(resume.Active());

    // Mended at the second try, broken again at the same place: the set
    // goes on; broken further on: a fresh set.
    resume.Reset();
    ASSERT_TRUE(resume.Broke(5));
    ASSERT_TRUE(resume.TryFailed());
    resume.Recovered();
    ASSERT_TRUE(resume.Broke(5.5));
    EXPECT_EQ(resume.Try(), 3);
    EXPECT_FALSE(resume.WantsNewAddress());
    resume.Recovered();
    EXPECT_FALSE(resume.Broke(5.6));
    resume.Reset();
    ASSERT_TRUE(resume.Broke(5));
    resume.Recovered();
    ASSERT_TRUE(resume.Broke(9));
    EXPECT_EQ(resume.Try(), 1);
}

TEST_F(Engine, PlaysASongToItsEndAndReportsStopped) {
    player->put_URL(WriteToneWav(dir / "tone.wav", 0.6).string());
    player->play();
    ASSERT_TRUE(WaitForState(wmppsPlaying));
    ASSERT_TRUE(WaitForState(wmppsStopped));
    const auto seen = States();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), wmppsTransitioning);
    EXPECT_EQ(seen.back(), wmppsStopped);
    EXPECT_EQ(errors->count(), 0);
    EXPECT_EQ(player->get_currentPosition(), 0);
}

TEST_F(Engine, PauseResumeStopAndPosition) {
    player->put_URL(WriteToneWav(dir / "tone.wav", 5).string());
    player->play();
    ASSERT_TRUE(WaitForState(wmppsPlaying));
    EXPECT_NEAR(player->get_duration(), 5.0, 0.1);
    EXPECT_EQ(player->get_durationString(), "00:05");
    player->pause();
    ASSERT_TRUE(WaitForState(wmppsPaused));
    player->put_currentPosition(3.0);
    // The seek settles asynchronously; poll with a bound.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::abs(player->get_currentPosition() - 3.0) > 0.2 && std::chrono::steady_clock::now() < deadline)
        QTest::qWait(20);
    EXPECT_NEAR(player->get_currentPosition(), 3.0, 0.2);
    EXPECT_EQ(player->get_currentPositionString(), "00:03");
    states->clear();
    player->play();
    ASSERT_TRUE(WaitForState(wmppsPlaying));
    EXPECT_EQ(States().front(), wmppsPlaying);  // resuming is no new load
    player->stop();
    EXPECT_EQ(States().back(), wmppsStopped);
    EXPECT_EQ(player->get_currentPosition(), 0);
}

TEST_F(Engine, ANewAddressDropsTheOldSongsMessages) {
    player->put_URL(WriteToneWav(dir / "short.wav", 0.3).string());
    player->play();
    ASSERT_TRUE(WaitForState(wmppsPlaying));
    player->put_URL(WriteToneWav(dir / "second.wav", 0.8, 660).string());
    states->clear();
    player->play();
    ASSERT_TRUE(WaitForState(wmppsStopped));
    QTest::qWait(100);  // let any straggler of the first song show itself
    const auto seen = States();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), wmppsStopped), 1);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), wmppsPlaying), 1);
    EXPECT_EQ(errors->count(), 0);
}

TEST_F(Engine, UnplayableMediaRaisesTheErrorEvent) {
    for (const std::string& url : {(dir / "missing.wav").string(), dir.Write("junk.mp3", std::string(4000, '\x5A')).string()}) {
        errors->clear();
        player->put_URL(url);
        player->play();
        ASSERT_TRUE(errors->count() > 0 || errors->wait(kStateTimeoutMs)) << url;
        EXPECT_EQ(States().back(), wmppsReady);  // reported before the error
        EXPECT_FALSE(player->get_errorDescription().empty());
        EXPECT_NE(player->get_errorCode(), 0);
        player->clearErrorQueue();
        EXPECT_TRUE(player->get_errorDescription().empty());
        EXPECT_EQ(player->get_errorCode(), 0);
    }
}

// A song that ran dry and waits to fill up again: the user's play takes
// over, and a pause, before or after that play, is reported so that the
// next play resumes.
TEST_F(Engine, PlayAndPauseTakeOverFromAPauseForFillingUp) {
    SinkCatcher catcher;
    player->put_URL(WriteToneWav(dir / "long.wav", 30).string());
    player->play();
    ASSERT_TRUE(WaitForState(wmppsPlaying));
    for (const bool playFirst : {true, false}) {
        states->clear();
        ASSERT_TRUE(catcher.PostBuffering(40));
        ASSERT_TRUE(WaitForState(wmppsBuffering));
        if (playFirst) {
            player->play();
            ASSERT_TRUE(WaitForState(wmppsPlaying));
        }
        player->pause();
        ASSERT_TRUE(WaitForState(wmppsPaused)) << playFirst;
        states->clear();
        player->play();
        ASSERT_TRUE(WaitForState(wmppsPlaying)) << playFirst;
    }
}

TEST_F(Engine, VolumeAndMute) {
    EXPECT_EQ(player->get_volume(), 100);
    player->put_volume(37);
    EXPECT_EQ(player->get_volume(), 37);
    player->put_volume(150);
    EXPECT_EQ(player->get_volume(), 100);
    player->put_volume(-4);
    EXPECT_EQ(player->get_volume(), 0);
    EXPECT_FALSE(player->get_mute());
    player->put_mute(true);
    EXPECT_TRUE(player->get_mute());
    player->put_mute(false);
    EXPECT_FALSE(player->get_mute());
}

TEST_F(Engine, StreamsOverHttp) {
    httplib::Server server;
    server.set_keep_alive_max_count(1);  // so stopping need not wait out an idle connection
    const std::string wav = MakeToneWav(0.7);
    server.Get("/song.wav", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(wav, "audio/wav");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    // Bound already: connections wait in the backlog until the loop accepts them.
    std::thread serving([&] { server.listen_after_bind(); });

    player->put_URL("http://127.0.0.1:" + std::to_string(port) + "/song.wav");
    player->play();
    EXPECT_TRUE(WaitForState(wmppsPlaying));
    EXPECT_TRUE(WaitForState(wmppsStopped));
    EXPECT_EQ(errors->count(), 0) << player->get_errorDescription();

    server.stop();
    serving.join();
}

// Every element a song's pipeline made is gone once the next song plays:
// one message kept too long keeps its sender, and so its whole pipeline; a
// long run grew by a pipeline a song.
TEST_F(Engine, SongAfterSongLeavesNoPipelineBehind) {
    struct Made {
        std::mutex mutex;
        std::vector<std::unique_ptr<GWeakRef>> elements;
        std::size_t Count() {
            std::lock_guard lock(mutex);
            return elements.size();
        }
    } made;
    const guint signal = g_signal_lookup("element-added", GST_TYPE_BIN);
    const gulong hook = g_signal_add_emission_hook(
        signal, 0,
        [](GSignalInvocationHint*, guint count, const GValue* params, gpointer data) -> gboolean {
            if (count < 2) return TRUE;
            auto element = std::make_unique<GWeakRef>();
            g_weak_ref_init(element.get(), g_value_get_object(&params[1]));
            auto* made = static_cast<Made*>(data);
            std::lock_guard lock(made->mutex);
            made->elements.push_back(std::move(element));
            return TRUE;
        },
        &made, nullptr);
    const auto song = WriteToneWav(dir / "song.wav", 0.3).string();
    std::size_t byEarlierSongs = 0;
    for (int i = 0; i < 3; ++i) {
        if (i == 2) byEarlierSongs = made.Count();
        states->clear();
        player->put_URL(song);
        player->play();
        ASSERT_TRUE(WaitForState(wmppsStopped));
    }
    QTest::qWait(100);  // the messages still on their way to this thread
    g_signal_remove_emission_hook(signal, hook);
    EXPECT_GT(byEarlierSongs, 8u);
    std::size_t alive = 0;
    for (std::size_t i = 0; i < made.elements.size(); ++i) {
        if (GObject* element = static_cast<GObject*>(g_weak_ref_get(made.elements[i].get()))) {
            // The framework's output chain keeps each song's software volume
            // element (a few kilobytes, nothing of the song's data).
            if (i < byEarlierSongs && !GST_IS_STREAM_VOLUME(element)) ++alive;
            g_object_unref(element);
        }
        g_weak_ref_clear(made.elements[i].get());
    }
    EXPECT_EQ(alive, 0u) << "of " << byEarlierSongs << " elements of the earlier songs";
}

// Only the user's pause is told as a pause: the engine's own pause to fill
// up may be read after it ended, and telling it would flash "paused" on the
// player and the desktop.
TEST_F(Engine, OnlyTheUsersPauseIsToldAsAPause) {
    SinkCatcher catcher;
    player->put_URL(WriteToneWav(dir / "long.wav", 30).string());
    player->play();
    ASSERT_TRUE(WaitForState(wmppsPlaying));
    states->clear();
    // Both reports wait in the queue before the pause they cause is read.
    ASSERT_TRUE(catcher.PostBuffering(40));
    ASSERT_TRUE(catcher.PostBuffering(100));
    ASSERT_TRUE(WaitForState(wmppsBuffering));
    ASSERT_TRUE(WaitForState(wmppsPlaying));
    QTest::qWait(100);  // the pause's own report comes after the play
    const auto seen = States();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), wmppsPaused), 0);
    EXPECT_EQ(seen.back(), wmppsPlaying);
    player->pause();
    EXPECT_TRUE(WaitForState(wmppsPaused));
}
