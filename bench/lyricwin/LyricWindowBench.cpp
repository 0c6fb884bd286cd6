// Figures for the lyric window.
//
// BM_PaintLyricArea: one frame of the lyric area of a full-length lyric (998
// lines), background and text, as the window paints it while the lyric
// scrolls one pixel per frame. Goal: under 2 ms per frame.
//
// BM_ScrollMinute: the real window plays a full-length lyric for 60 s on its
// own scroll timer; the counter "cpu_percent" is the processor time used, in
// per cent of one core (goal: under 1 %), and "lag_ms" how far the lyric's
// own clock fell behind the song's.

#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/WindowMessage.h"
#include "lyrics/LyricDlg.h"
#include "lyrics/LyricLayout.h"
#include "lyrics/LyricRenderer.h"
#include "lyrics/LyricScroller.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

namespace {

constexpr uint32_t kLineMs = 3000;

std::string TimeTag(uint32_t ms) {
    const auto twoDigits = [](uint32_t value) { return (value < 10 ? "0" : "") + std::to_string(value); };
    return "[" + twoDigits(ms / 60000) + ":" + twoDigits(ms / 1000 % 60) + "." + twoDigits(ms % 1000 / 10) + "]";
}

// 998 timed lines of Chinese text, one every three seconds; with `wide`,
// each line is 5,000 characters long.
std::string LongLyric(bool wide = false) {
    std::string text;
    std::string words = Cp936("晚风吹过旧站台 灯火一盏一盏 把归途慢慢点亮");
    if (wide) {
        const std::string phrase = words;
        while (words.size() < 10000) words += phrase;
        words.resize(10000);  // 5,000 double-byte characters
    }
    for (int line = 0; line < kMaxSourceLines; ++line)
        text += TimeTag(static_cast<uint32_t>(line) * kLineMs) + words + " " + std::to_string(line) + "\r\n";
    return text;
}

// The window's lyric area at the skin's size, and its text rectangle.
const QRect kArea(10, 42, 280, 256);

class CNoHost : public ILyricScrollHost {
public:
    void StartScrollTimer(uint32_t) override {}
    void StopScrollTimer() override {}
    void RepaintLyric() override {}
};

void BM_PaintLyricArea(benchmark::State& state) {
    const bool horizontal = state.range(0) != 0;
    LyricModel model;
    model.SetLyric("20001", "song", LongLyric(state.range(1) != 0));
    CLyricRenderer renderer;
    renderer.SetLyric(model);
    CNoHost host;
    CLyricScroller scroller(model, renderer.Strip(), host);
    scroller.ChangeFont(renderer.LineHeight(), renderer.VerticalStep());
    scroller.SetMode(horizontal ? LyricMode::Horizontal : LyricMode::Vertical);

    // The area's background as the window has it, and a frame to paint on.
    QImage background(kArea.size(), QImage::Format_RGB32);
    background.fill(QColor(22, 25, 28));
    QImage frameImage(kArea.size(), QImage::Format_RGB32);
    LyricFrame frame;
    frame.display = DisplayRect(QRect(QPoint(0, 0), kArea.size()));
    frame.mode = scroller.Mode();
    frame.lineColour = QColor(140, 148, 158);
    frame.currentColour = QColor(186, 255, 76);

    scroller.Play(500 * kLineMs);  // the middle of the lyric
    for (auto _ : state) {
        scroller.Tick();  // one pixel of scrolling, as the timer does it
        frame.current = scroller.CurrentLine();
        frame.offset = scroller.Offset();
        QPainter painter(&frameImage);
        painter.drawImage(0, 0, background);
        renderer.Paint(painter, frame, model);
        painter.end();
        benchmark::DoNotOptimize(frameImage.constBits());
    }
    state.counters["lines"] = model.displayCount();
}
BENCHMARK(BM_PaintLyricArea)
    ->ArgNames({"horizontal", "wide"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_ScrollMinute(benchmark::State& state) {
    QTemporaryDir folder;
    const std::string text = LongLyric();
    for (auto _ : state) {
        LyricWindowSetup setup;
        setup.skinRoot = TONVIK_DATA_DIR;
        setup.skinFolder = "Skin2";
        setup.settings = std::make_unique<QSettings>(folder.filePath(QStringLiteral("options.ini")), QSettings::IniFormat);
        CLyricDlg window(std::move(setup));
        window.ShowWindow(true);
        window.LoadLyric("20001", "song", text);
        const uint32_t start = 100 * kLineMs;
        const std::clock_t cpuStart = std::clock();
        QElapsedTimer wall;
        wall.start();
        PostMessage(&window, WM_LYRIC_SYNC, 0, start);
        QEventLoop minute;
        QTimer::singleShot(60000, &minute, &QEventLoop::quit);
        minute.exec();
        const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        state.counters["cpu_percent"] = 100.0 * cpuSeconds / (static_cast<double>(wall.elapsed()) / 1000.0);
        state.counters["lines_passed"] = window.Scroller().CurrentLine() - 100;
        // How far the lyric's own clock is behind the song's.
        state.counters["lag_ms"] =
            static_cast<double>(start + wall.elapsed()) - static_cast<double>(window.Scroller().LyricPos());
    }
}
BENCHMARK(BM_ScrollMinute)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
