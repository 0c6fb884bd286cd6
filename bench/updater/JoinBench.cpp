// Joining a multi-part package: JoinParts (4096-byte blocks) next to `cat`
// doing the same work, for three parts of 20 MB each. The parts are made
// afresh before every iteration, since joining deletes them.

#include "updater/PartJoiner.h"
#include "updater/PatchwellTrace.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t kPartBytes = 20ULL * 1024 * 1024;
constexpr int kParts = 3;

struct Parts {
    Parts() {
        folder = dir.path().toStdString();
        std::vector<char> block(1024 * 1024);
        for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 2654435761u >> 24);
        for (int part = 1; part <= kParts; ++part) {
            const fs::path file = folder / ("source" + std::to_string(part));
            std::ofstream out(file, std::ios::binary);
            for (std::uint64_t written = 0; written < kPartBytes; written += block.size()) {
                out.write(block.data(), static_cast<std::streamsize>(block.size()));
            }
        }
    }
    // Fresh copies of the parts under their published names.
    std::vector<std::string> Make() const {
        std::vector<std::string> addresses;
        for (int part = 1; part <= kParts; ++part) {
            const std::string name = "Setup.exe0" + std::to_string(part) + "-03";
            fs::copy_file(folder / ("source" + std::to_string(part)), folder / name, fs::copy_options::overwrite_existing);
            addresses.push_back("http://host/" + name);
        }
        return addresses;
    }

    QTemporaryDir dir;
    fs::path folder;
};

const Parts& SharedParts() {
    static const Parts parts;
    return parts;
}

void BM_JoinParts(benchmark::State& state) {
    const Parts& parts = SharedParts();
    patchwell::SetTraceOutSink([](std::string_view) {});
    const patchwell::CreationTimeQuery today = [](const fs::path&) {
        return std::optional<tonvik::platform::LocalFileTime>(tonvik::platform::LocalFileTime{2026, 12, 7, 10, 0});
    };
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> addresses = parts.Make();
        state.ResumeTiming();
        const patchwell::JoinResult result = patchwell::JoinParts(parts.folder / "Setup.exe", parts.folder, addresses, today);
        if (!result.joined) state.SkipWithError(result.error.c_str());
    }
    patchwell::SetTraceOutSink(nullptr);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kPartBytes) * kParts);
}
BENCHMARK(BM_JoinParts)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CatParts(benchmark::State& state) {
    const Parts& parts = SharedParts();
    const std::string folder = parts.folder.string();
    const std::string command = "cd '" + folder + "' && cat Setup.exe01-03 Setup.exe02-03 Setup.exe03-03 > Setup.exe &&"
                                " rm Setup.exe01-03 Setup.exe02-03 Setup.exe03-03";
    for (auto _ : state) {
        state.PauseTiming();
        parts.Make();
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) state.SkipWithError("cat failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kPartBytes) * kParts);
}
BENCHMARK(BM_CatParts)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
