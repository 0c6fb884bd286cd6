// Figures for starting a song: from Play to the engine's playing state with
// the service stand-in on loopback (lookup, descriptor, play report, then
// the media engine into a fake audio sink), and the three HTTP exchanges of
// a start on their own. The stand-in serves WAV audio, not MP3: the song is
// its shortest WAV.

#include "app/common/Text.h"
#include "app/common/WellKnownPaths.h"
#include "playback/PlayController.h"
#include "playback/WMPPlayer4.h"
#include "service/AnswerFiles.h"
#include "service/HttpClient.h"
#include "service/ServiceHosts.h"
#include "service/ServiceXml.h"
#include "tools/standin/StandIn.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace {

class CNoPanel final : public IPlayPanel {
public:
    CSongList* ListOfKind(int kind) override { return kind == kListTemporary ? &list : nullptr; }
    bool SelectRow(int, int) override { return true; }
    void ShowPlayingRow(int, int, const St_SongInfo&) override {}
    void RedrawList(int) override {}
    int PlayMode() const override { return kModeSingle; }
    void ShowMessage(const std::string&) override {}
    CSongList list;
};

class CNoWindow final : public IPlayWindow {
public:
    void SetTitle(const std::string&) override {}
    void SetTitleScrolling(bool) override {}
    void SetTimeText(const std::string&) override {}
    void SetDurationText(const std::string&) override {}
    void ShowPauseImage(bool) override {}
    void SetAnimation(Animation) override {}
    void EnablePositionSlider(bool) override {}
    void SetPositionRange(int) override {}
    void SetPositionValue(int) override {}
    int SliderValue(int) const override { return 0; }
};

class CNoLyric final : public ILyricSink {
public:
    void PostLyric(WPARAM, LPARAM) override {}
    void LoadLyric(const std::string&, const std::string&, const std::string&) override {}
};

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
    ~St_Setup() {
        standIn.Stop();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

void BM_PlayToPlayingState(benchmark::State& state) {
    St_Setup setup;
    std::string error;
    if (!setup.Start(error)) {
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
}
BENCHMARK(BM_PlayToPlayingState)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

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

