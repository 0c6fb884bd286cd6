// Figures for loading a lyric and for finding the line at a play position.

#include "lyrics/LyricModel.h"

#include "common/Text.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string TimeTag(uint32_t ms) {
    const auto twoDigits = [](uint32_t value) { return (value < 10 ? "0" : "") + std::to_string(value); };
    return "[" + twoDigits(ms / 60000) + ":" + twoDigits(ms / 1000 % 60) + "." + twoDigits(ms % 1000 / 10) + "]";
}

// A full-length lyric: title tags, then kMaxSourceLines - 4 lines of Chinese
// text with `tagsPerLine` time tags each, in CRLF line ends.
std::string LongLyric(int tagsPerLine) {
    std::string text = Cp936("[ti:晚风里的灯塔]\r\n[ar:林一]\r\n[al:星河]\r\n[by:Tonvik]\r\n");
    const std::string words = Cp936("晚风吹过旧站台 灯火一盏一盏 把归途慢慢点亮");
    const int lines = kMaxSourceLines - 4;
    for (int line = 0; line < lines; ++line) {
        for (int tag = 0; tag < tagsPerLine; ++tag)
            text += TimeTag(static_cast<uint32_t>((tag * lines + line) * 730 + 1000));
        text += words + "\r\n";
    }
    return text;
}

void BM_SetLyric(benchmark::State& state) {
    const std::string text = LongLyric(static_cast<int>(state.range(0)));
    LyricModel model;
    for (auto _ : state) {
        model.SetLyric("123456", Cp936("晚风里的灯塔"), text);
        benchmark::DoNotOptimize(model.displayCount());
    }
    state.counters["lines"] = model.displayCount();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SetLyric)->Arg(1)->Arg(3)->Arg(9)->Unit(benchmark::kMicrosecond);

void BM_FindLineAt(benchmark::State& state) {
    LyricModel model;
    model.SetLyric("123456", "song", LongLyric(static_cast<int>(state.range(0))));
    const uint32_t end = model.displayLines()[static_cast<size_t>(model.displayCount())].start;
    uint32_t position = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.FindLineAt(position));
        position = (position + 7919) % end;
    }
    state.counters["lines"] = model.displayCount();
}
BENCHMARK(BM_FindLineAt)->Arg(3)->Arg(9)->Unit(benchmark::kNanosecond);

}  // namespace

