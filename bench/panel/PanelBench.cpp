// The my-music panel is built at start, on the user-interface thread, before
// the program shows anything: how long reading the play list takes (a full
// list, and ten megabytes of noise some other program left in the file) and
// how long the window takes to build in each skin. The goal is well under
// 100 ms for all of it.

#include "albums/ListManage.h"
#include "albums/PlayList.h"
#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "tools/standin/ProgramFolder.h"
#include "tools/support/QuietPlayerPorts.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A program folder with the shipped skins and a play list of `bytes`.
class CProgramFolder {
public:
    explicit CProgramFolder(const std::string& playList) {
        standin::PrepareProgramFolder(m_dir.path().toStdString(), "127.0.0.1:9", TONVIK_DATA_DIR);
        SetupWellKnownPaths(m_dir.path().toStdString());
        QFile file(m_dir.filePath(QStringLiteral("Playlist.xls")));
        if (file.open(QIODevice::WriteOnly)) file.write(playList.data(), static_cast<qint64>(playList.size()));
    }

private:
    QTemporaryDir m_dir;
};

std::string FullPlayList() {
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += std::to_string(100000 + i) + "\t" + Cp936("晚风里的灯塔 ") + std::to_string(i) + "\t" + Cp936("林一") +
                "\t" + Cp936("星河") + "\t\r\n";
    return text;
}

std::string Noise(size_t size) {
    std::string noise(size, '\0');
    unsigned value = 12345;
    for (char& byte : noise) byte = static_cast<char>((value = value * 1103515245u + 12345u) >> 24);
    return noise;
}

void LoadPlayList(benchmark::State& state, const std::string& content) {
    const CProgramFolder folder(content);
    for (auto _ : state) {
        CPlayList list;
        list.Load();
        benchmark::DoNotOptimize(list.List().GetCount());
    }
}

void BM_LoadFullPlayList(benchmark::State& state) { LoadPlayList(state, FullPlayList()); }
BENCHMARK(BM_LoadFullPlayList)->Unit(benchmark::kMicrosecond);

void BM_LoadTenMegabytesOfNoise(benchmark::State& state) { LoadPlayList(state, Noise(10 << 20)); }
BENCHMARK(BM_LoadTenMegabytesOfNoise)->Unit(benchmark::kMillisecond);

class CNoPlayer final : public IPanelPlayer {
public:
    int PlayingListKind() const override { return -1; }
    void Stop(const char*) override {}
    void Play(const St_SongInfo&, int, int) override {}
    St_SongInfo CurrentSong() const override { return {}; }
    bool IsStopped() const override { return true; }
    void SongRemoved(int, int) override {}
    void PlayModeChanged() override {}
};

void BM_BuildPanel(benchmark::State& state, const char* skin) {
    const CProgramFolder folder(FullPlayList());
    CQuietFrame frame;
    CNoPlayer player;
    for (auto _ : state) {
        CListManage panel(frame, CMessageHandle(), player, skin, nullptr, St_PanelOptions{false});
        benchmark::DoNotOptimize(panel.Logic().Page());
    }
}
BENCHMARK_CAPTURE(BM_BuildPanel, Skin2, "Skin2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildPanel, Skin, "Skin")->Unit(benchmark::kMillisecond);

}  // namespace
