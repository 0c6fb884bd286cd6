// Figures for the play-list file and the text conversions on the request path.

#include "common/Text.h"
#include "model/SongList.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

CSongList FiftySongs(const std::filesystem::path& file) {
    CSongList list;
    list.SetFilePath(file);
    for (int i = 0; i < 50; ++i) {
        St_SongInfo song;
        song.id = std::to_string(100000 + i);
        song.name = Cp936("晚风里的灯塔 ") + std::to_string(i);
        song.singer = Cp936("林一");
        song.album = Cp936("星河 Tonvik Demo");
        list.Add(song);
    }
    return list;
}

void BM_SaveFiftySongs(benchmark::State& state) {
    QTemporaryDir dir;
    const CSongList list = FiftySongs(dir.filePath("Playlist.xls").toStdString());
    for (auto _ : state) benchmark::DoNotOptimize(list.SaveToFile());
}
BENCHMARK(BM_SaveFiftySongs);

void BM_LoadFiftySongs(benchmark::State& state) {
    QTemporaryDir dir;
    const auto path = dir.filePath("Playlist.xls").toStdString();
    FiftySongs(path).SaveToFile();
    CSongList list;
    list.SetFilePath(path);
    for (auto _ : state) {
        list.LoadFromFile();
        benchmark::DoNotOptimize(list.GetCount());
    }
}
BENCHMARK(BM_LoadFiftySongs);

void BM_UrlEncodeName(benchmark::State& state) {
    const std::string name = Cp936("晚风里的灯塔 (Live) - 林一");
    for (auto _ : state) {
        const std::string encoded = UrlEncode(AnsiToUtf8(name));
        benchmark::DoNotOptimize(encoded.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * name.size()));
}
BENCHMARK(BM_UrlEncodeName);

void BM_Cp936ToUtf16(benchmark::State& state) {
    std::string text;
    while (text.size() < static_cast<size_t>(state.range(0))) text += Cp936("歌词同步显示 lyric line ");
    for (auto _ : state) {
        const std::u16string wide = ToWide(text);
        benchmark::DoNotOptimize(wide.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Cp936ToUtf16)->Arg(64)->Arg(64 * 1024);

}  // namespace

