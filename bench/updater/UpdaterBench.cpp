// Figures for the download engine and the package digest, each next to the
// command-line tool doing the same work in the same run:
//   - a 200 MB package over loopback: HttpDownloader against `curl`;
//   - its MD5: Md5FileHex against `md5sum`;
//   - its verification: both digests (DigestPackage, one reading with
//     SHA-256 beside MD5) against the MD5 check alone, and SHA-256 alone;
//   - the engine's peak memory for a 20 MB and a 200 MB package.
// The packages are generated in a temporary folder and removed afterwards.
// Ratios of the medians are printed at the end.

#include "tests/updater/LoopbackServer.h"
#include "updater/HttpDownloader.h"
#include "updater/Digest.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t kMegabyte = 1024 * 1024;

void WritePackage(const fs::path& path, std::uint64_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> block(kMegabyte);
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (std::uint64_t written = 0; written < size; written += block.size()) {
        for (size_t i = 0; i < block.size(); i += 8) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            for (size_t k = 0; k < 8; ++k) block[i + k] = static_cast<char>(state >> (8 * k));
        }
        out.write(block.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(block.size(), size - written)));
    }
}

// The packages, the server and a folder to download into, made once.
struct Bench {
    Bench() {
        folder = dir.path().toStdString();
        fs::create_directories(folder / "out");
        for (int megabytes : {20, 200}) {
            const fs::path file = folder / ("Setup" + std::to_string(megabytes) + ".exe");
            WritePackage(file, megabytes * kMegabyte);
            server.ServeFile("/download/Setup" + std::to_string(megabytes) + ".exe", file);
        }
    }
    fs::path Package(int megabytes) const { return folder / ("Setup" + std::to_string(megabytes) + ".exe"); }
    std::string Url(int megabytes) const { return server.Url("/download/Setup" + std::to_string(megabytes) + ".exe"); }
    fs::path Output() const { return folder / "out" / "Setup.exe"; }

    QTemporaryDir dir;
    fs::path folder;
    LoopbackServer server;
};

Bench& Shared() {
    static Bench bench;
    return bench;
}

// Peak resident memory (VmHWM) and current (VmRSS) in kB.
std::map<std::string, long> MemoryStatus() {
    std::map<std::string, long> values;
    std::ifstream in("/proc/self/status");
    std::string key;
    long value = 0;
    std::string unit;
    while (in >> key) {
        if (key == "VmHWM:" || key == "VmRSS:") {
            in >> value >> unit;
            values[key] = value;
        } else {
            std::string rest;
            std::getline(in, rest);
        }
    }
    return values;
}

// Starts a new peak: the kernel resets VmHWM to the current size.
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

bool EngineDownload(const std::string& url, const fs::path& output) {
    std::error_code ec;
    fs::remove(output, ec);
    patchwell::HttpDownloader engine;
    engine.AddTask(patchwell::DownloadTask::Make(url, output.string()));
    engine.Start();
    engine.WaitUntilIdle(std::chrono::minutes(5));
    return engine.IsPackageDone();
}

void BM_DownloadEngine(benchmark::State& state) {
    Bench& bench = Shared();
    const auto megabytes = static_cast<int>(state.range(0));
    for (auto _ : state) {
        if (!EngineDownload(bench.Url(megabytes), bench.Output())) state.SkipWithError("download failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * megabytes * kMegabyte));
}
BENCHMARK(BM_DownloadEngine)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5);

void BM_CurlTool(benchmark::State& state) {
    Bench& bench = Shared();
    const auto megabytes = static_cast<int>(state.range(0));
    const std::string command = "curl -s -f -o '" + bench.Output().string() + "' '" + bench.Url(megabytes) + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("curl failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * megabytes * kMegabyte));
}
BENCHMARK(BM_CurlTool)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5);

void BM_DownloadPeakMemory(benchmark::State& state) {
    Bench& bench = Shared();
    const auto megabytes = static_cast<int>(state.range(0));
    long growth = 0;
    for (auto _ : state) {
        ResetPeakMemory();
        const long before = MemoryStatus()["VmRSS:"];
        if (!EngineDownload(bench.Url(megabytes), bench.Output())) state.SkipWithError("download failed");
        growth = std::max(growth, MemoryStatus()["VmHWM:"] - before);
    }
    state.counters["peak_growth_kB"] = static_cast<double>(growth);
}
BENCHMARK(BM_DownloadPeakMemory)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

// One digest reading of the 200 MB package per iteration; `digest` gives
// nullopt when the file could not be read.
template <typename Digest>
void DigestBench(benchmark::State& state, Digest digest) {
    Bench& bench = Shared();
    const std::clock_t cpuBefore = std::clock();
    for (auto _ : state) {
        const auto result = digest(bench.Package(200));
        if (!result) state.SkipWithError("no digest");
        benchmark::DoNotOptimize(result);
    }
    // The processor time of every thread of the process, next to the
    // reading thread's own in the CPU column.
    state.counters["process_cpu_ms"] = benchmark::Counter(
        1000.0 * static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC / static_cast<double>(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 200 * kMegabyte));
}

// The digest figures are close to each other and the machine is shared:
// more runs, and the best of them beside the median.
double Fastest(const std::vector<double>& runs) { return *std::min_element(runs.begin(), runs.end()); }

void BM_Md5File(benchmark::State& state) { DigestBench(state, patchwell::Md5FileHex); }
BENCHMARK(BM_Md5File)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9)
    ->ComputeStatistics("min", Fastest);

void BM_PackageDigests(benchmark::State& state) { DigestBench(state, patchwell::DigestPackage); }
BENCHMARK(BM_PackageDigests)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9)
    ->ComputeStatistics("min", Fastest);

std::optional<std::string> Sha256FileHex(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> block(kMegabyte);
    patchwell::Sha256 sha256;
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        sha256.Update(block.data(), static_cast<size_t>(in.gcount()));
    }
    return sha256.FinishHex();
}

void BM_Sha256File(benchmark::State& state) { DigestBench(state, Sha256FileHex); }
BENCHMARK(BM_Sha256File)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9)
    ->ComputeStatistics("min", Fastest);

void BM_Md5sumTool(benchmark::State& state) {
    Bench& bench = Shared();
    const std::string command = "md5sum '" + bench.Package(200).string() + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("md5sum failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 200 * kMegabyte));
}
BENCHMARK(BM_Md5sumTool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5);

// Keeps the medians to print the ratios after the tables.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    MedianReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
                fastest[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* what, const std::string& ours, const std::string& tool) const {
        const auto a = medians.find(ours);
        const auto b = medians.find(tool);
        if (a == medians.end() || b == medians.end() || a->second <= 0) return;
        std::printf("%s: throughput ratio %.2f (median %.0f ms against %.0f ms)\n", what, b->second / a->second,
                    a->second, b->second);
    }
    void PrintCost(const char* what, const std::string& ours, const std::string& baseline) const {
        for (const auto& [kind, times] : {std::pair{"median", &medians}, std::pair{"best", &fastest}}) {
            const auto a = times->find(ours);
            const auto b = times->find(baseline);
            if (a == times->end() || b == times->end() || b->second <= 0) continue;
            std::printf("%s: cost %.2fx (%s %.0f ms against %.0f ms)\n", what, a->second / b->second, kind, a->second,
                        b->second);
        }
    }
    std::map<std::string, double> medians;
    std::map<std::string, double> fastest;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("download engine / curl", "BM_DownloadEngine", "BM_CurlTool");
    reporter.PrintRatio("Md5FileHex / md5sum", "BM_Md5File", "BM_Md5sumTool");
    reporter.PrintCost("SHA-256 and MD5 (DigestPackage) against MD5 alone", "BM_PackageDigests", "BM_Md5File");
    benchmark::Shutdown();
    return 0;
}
