// Figures for starting a song: from Play to the engine's playing state with
// the service stand-in on loopback (lookup, descriptor, play report, then
// the media engine into a fake audio sink), and the three HTTP exchanges of
// a start on their own. The song is the stand-in's shortest, played as the
// WAV it serves and as a short MP3 encoded here and served in its place.

#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "playback/PlayController.h"
#include "playback/WMPPlayer4.h"
#include "service/AnswerFiles.h"
#include "service/HttpClient.h"
#include "service/ServiceHosts.h"
#include "service/ServiceXml.h"
#include "tools/standin/StandIn.h"
#include "tools/support/QuietPlayerPorts.h"

#include <QCoreApplication>

#include <gst/gst.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs this thread's events until `done` holds; false after `limit`.
template <class Predicate>
bool RunUntil(Predicate done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// A two-second tone as MP3, encoded with the media framework; empty when its
// MP3 encoder is missing (`error` says why).
std::string EncodeMp3(const std::filesystem::path& file, std::string& error) {
    if (!gst_init_check(nullptr, nullptr, nullptr)) {
        error = "GStreamer could not be initialised";
        return {};
    }
    const std::string description = "audiotestsrc num-buffers=87 samplesperbuffer=1024 ! audioconvert ! "
                                    "lamemp3enc ! filesink location=\"" + file.string() + "\"";
    GError* failure = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &failure);
    if (!pipeline) {
        error = failure ? failure->message : "no MP3 encoder";
        if (failure) g_error_free(failure);
        return {};
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end = gst_bus_timed_pop_filtered(bus, 30 * GST_SECOND,
                                                 static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    if (end) gst_message_unref(end);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    if (!ok) {
        error = "encoding the MP3 failed";
        return {};
    }
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A program folder whose options name the stand-in as the service host.
struct St_Setup {
    std::filesystem::path folder;
    standin::CStandIn standIn;
    St_SongInfo song;

    St_Setup() : folder(std::filesystem::temp_directory_path() / "tonvik-bench-playback"), standIn() {}
    bool Start(std::string& error) {
        std::filesystem::create_directories(folder);
        SetupWellKnownPaths(folder);
        if (!standIn.Start()) {
            error = standIn.Error();
            return false;
        }
        std::ofstream(folder / "TonvikMusic.ini") << "[Hosts]\r\nService=" << standIn.Host() << "\r\n";
        const auto& songs = standIn.Catalogue().Songs();
        const auto shortest = std::min_element(songs.begin(), songs.end(),
                                               [](const auto& a, const auto& b) { return a.seconds < b.seconds; });
        song.id = shortest->id;
        song.name = Utf8ToAnsi(shortest->name);
        return true;
    }
    // Serves the song as an MP3 in place of its WAV.
    bool UseMp3(std::string& error) {
        std::string mp3 = EncodeMp3(folder / "tone.mp3", error);
        if (mp3.empty()) return false;
        const std::string audio = "/songhall/audio/" + song.id + ".mp3";
        standIn.SetDocument(audio, std::move(mp3), "audio/mpeg");
        standIn.SetDocument("/songhall/stream/" + song.id + ".asx",
                            "<asx>\r\n  <entry><ref href=\"http://{HOST}" + audio + "\" /></entry>\r\n</asx>\r\n",
                            "video/x-ms-asf");
        return true;
    }
    ~St_Setup() {
        standIn.Stop();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

// state.range(0): 1 for the MP3, 0 for the WAV.
void BM_PlayToPlayingState(benchmark::State& state) {
    St_Setup setup;
    std::string error;
    if (!setup.Start(error) || (state.range(0) == 1 && !setup.UseMp3(error))) {
        state.SkipWithError(error.c_str());
        return;
    }
    CWMPPlayer4Options options;
    options.audioSink = "fakesink";
    auto engine = CWMPPlayer4::Create(options, &error);
    if (!engine) {
        state.SkipWithError(error.c_str());
        return;
    }
    CNoPanel panel;
    panel.list.Add(setup.song);
    CNoWindow window;
    CNoLyric lyric;
    CPlayController controller(*engine, &panel, window, lyric);
    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = Clock::now();
        controller.Play(setup.song, 0, kListTemporary, 0);
        if (!RunUntil([&] { return engine->state() == wmppsPlaying; }, std::chrono::seconds(10))) {
            state.SkipWithError("the song did not start");
            return;
        }
        samples.push_back(MsSince(start));
        state.PauseTiming();
        controller.OnButtonStop();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["median_ms"] = MedianMs(samples);
    state.counters["reports"] = static_cast<double>(setup.standIn.PlayReports().size());
    // How many times the audio itself was fetched, so a run shows what it played.
    const std::string extension = state.range(0) == 1 ? ".mp3" : ".wav";
    state.counters["audio_fetches"] =
        static_cast<double>(setup.standIn.RequestsFor("/songhall/audio/" + setup.song.id + extension).size());
    state.SetLabel(extension.substr(1));
}
BENCHMARK(BM_PlayToPlayingState)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

// The song information, its stream descriptor and the play report.
void BM_ThreeExchanges(benchmark::State& state) {
    St_Setup setup;
    std::string error;
    if (!setup.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    GenericHTTPClient lookupClient;
    const std::string report = ServiceAddress("/songhall/tonvik/playlog.php?") + "id=" + setup.song.id +
                               "&name=" + UrlEncode(AnsiToUtf8(setup.song.name));
    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = Clock::now();
        CSongList list;
        list.Add(setup.song);
        CSongXml parser;
        if (parser.GetSongInfoEx(list, &lookupClient, kAnswerPlaySong) <= 0) {
            state.SkipWithError("lookup failed");
            return;
        }
        GenericHTTPClient reportClient;
        reportClient.RequestOfURI(report, kHttpGet, kServiceAgent);
        samples.push_back(MsSince(start));
    }
    state.counters["median_ms"] = MedianMs(samples);
}
BENCHMARK(BM_ThreeExchanges)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

