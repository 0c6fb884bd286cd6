// Figures for the player window, measured from outside the process under a
// bare virtual X server (DISPLAY must name one, without a window manager):
//
// - BM_StartToPainted: the whole product as a user starts it: from starting
//   TonvikMusic to its window "Tonvik Player" being mapped and painted
//   (polled every 5 ms), the resident memory of the process at that moment
//   and once it has settled (2 s), and 10 s after the start the
//   proportional set size of all its processes, children (the web
//   engine's) included.
// - BM_PlayingCpu: the processor time playerdemo (the same window, the same
//   media engine) takes while a song plays with the window visible for 60 s,
//   as a share of one core.
//
// Best run from the release preset: a sanitised build is slower and bigger.
// PLAYER_BENCH_PROGRAM names another program to start in the player's place
// (one that shows a window titled "Tonvik Player"), for comparison.

#include "tools/standin/StandIn.h"

#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kWindowTitle = "Tonvik Player";
constexpr auto kPollPeriod = 5ms;

double MedianOf(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

template <class T>
using XcbReply = std::unique_ptr<T, decltype(&free)>;

// The X server the player shows on, asked directly.
class CDisplay {
public:
    CDisplay() : m_connection(xcb_connect(nullptr, nullptr)) {}
    ~CDisplay() { xcb_disconnect(m_connection); }
    bool Ok() const { return xcb_connection_has_error(m_connection) == 0; }

    // The mapped top-level window titled `title`, or XCB_WINDOW_NONE.
    xcb_window_t FindMapped(const std::string& title) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, screen->root), nullptr), &free);
        if (!tree) return XCB_WINDOW_NONE;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            if (Title(children[i]) != title) continue;
            XcbReply<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, children[i]), nullptr),
                &free);
            if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE) return children[i];
        }
        return XCB_WINDOW_NONE;
    }

    // Painted: the window's picture holds the many colours of a skin, not
    // the one colour of an empty window.
    bool Painted(xcb_window_t window) {
        XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr), &free);
        if (!geometry || geometry->width == 0 || geometry->height == 0) return false;
        XcbReply<xcb_get_image_reply_t> image(
            xcb_get_image_reply(m_connection,
                                xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, geometry->width,
                                              geometry->height, ~0u),
                                nullptr),
            &free);
        if (!image || image->depth < 24) return false;
        const auto* pixels = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image.get()));
        const int count = xcb_get_image_data_length(image.get()) / 4;
        std::set<uint32_t> colours;
        for (int i = 0; i < count && colours.size() < 16; i += 7) colours.insert(pixels[i] & 0xFFFFFF);
        return colours.size() >= 16;
    }

private:
    std::string Title(xcb_window_t window) {
        XcbReply<xcb_get_property_reply_t> name(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
                                   nullptr),
            &free);
        if (!name) return {};
        return std::string(static_cast<const char*>(xcb_get_property_value(name.get())),
                           static_cast<size_t>(xcb_get_property_value_length(name.get())));
    }

    xcb_connection_t* m_connection;
};

// A program folder of its own: a copy of the player (it finds its files
// beside its real path), the shipped skins, options naming the stand-in,
// and private runtime and data folders.
class CPlayerFolder {
public:
    bool Prepare(const standin::CStandIn& standIn, std::string& error) {
        if (!m_folder.isValid()) {
            error = "no temporary folder";
            return false;
        }
        const std::filesystem::path bin = TONVIK_PROGRAM_FOLDER;
        std::error_code failure;
        const char* other = std::getenv("PLAYER_BENCH_PROGRAM");
        std::filesystem::copy_file(other ? other : TONVIK_PLAYER_PROGRAM, Path() / "TonvikMusic", failure);
        // The web engine it loads from beside itself.
        if (!failure) std::filesystem::copy_file(bin / "libTonvikWebEngine.so", Path() / "libTonvikWebEngine.so", failure);
        // Every shipped folder (skins, pages, update files) beside it.
        for (const auto& entry : std::filesystem::directory_iterator(bin, failure)) {
            if (failure || !entry.is_directory()) continue;
            std::filesystem::create_directory_symlink(entry.path(), Path() / entry.path().filename(), failure);
        }
        if (failure) {
            error = failure.message();
            return false;
        }
        const std::string host = standIn.Host();
        std::ofstream(Path() / "TonvikMusic.ini") << "[Hosts]\r\nService=" << host << "\r\nLogin=" << host
                                                  << "\r\nComment=" << host << "\r\nLyricSearch=" << host << "\r\n";
        std::ofstream(Path() / "Patchwell.ini") << "[Hosts]\r\nUpdate=" << host << "\r\nGamePatch=" << host << "\r\n";
        std::filesystem::create_directories(Path() / "run");
        std::filesystem::permissions(Path() / "run", std::filesystem::perms::owner_all);
        return true;
    }
    std::filesystem::path Path() const { return m_folder.path().toStdString(); }
    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString((Path() / "run").string()));
        environment.insert("XDG_DATA_HOME", QString::fromStdString((Path() / "data").string()));
        environment.insert("QT_QPA_PLATFORM", "xcb");
        return environment;
    }

private:
    QTemporaryDir m_folder;
};

// Kibibytes of resident memory, or 0.
double ResidentKib(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6);
    }
    return 0;
}

// The process and every process it started, directly or not.
std::vector<qint64> ProcessTree(qint64 root) {
    std::vector<std::pair<qint64, qint64>> parents;  // (pid, parent)
    std::error_code failure;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", failure)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        const size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream fields(text.substr(close + 2));
        std::string state;
        qint64 parent = 0;
        if (fields >> state >> parent) parents.emplace_back(std::atoll(name.c_str()), parent);
    }
    std::vector<qint64> tree{root};
    for (size_t i = 0; i < tree.size(); ++i)
        for (const auto& [pid, parent] : parents)
            if (parent == tree[i]) tree.push_back(pid);
    return tree;
}

// Kibibytes of proportional set size of the processes, or 0 for those gone.
double ProportionalKib(const std::vector<qint64>& pids) {
    double total = 0;
    for (qint64 pid : pids) {
        std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
        std::string line;
        while (std::getline(rollup, line)) {
            if (line.rfind("Pss:", 0) == 0) {
                total += std::atof(line.c_str() + 4);
                break;
            }
        }
    }
    return total;
}

// Processor seconds (user + system) the process has used.
double CpuSeconds(qint64 pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14 || index == 15) ticks += std::atof(field.c_str());
        if (index == 15) break;
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void Finish(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

bool NeedsDisplay(benchmark::State& state) {
    if (std::getenv("DISPLAY")) return true;
    state.SkipWithError("DISPLAY must name a virtual X server");
    return false;
}

// What the start-up figures need: a stand-in, a program folder and the display.
struct CProgramBench {
    standin::CStandIn standIn;
    CPlayerFolder folder;
    CDisplay display;

    bool Ready(benchmark::State& state) {
        if (!NeedsDisplay(state)) return false;
        std::string error;
        if (!display.Ok()) error = "the display cannot be reached";
        else if (!standIn.Start()) error = standIn.Error();
        else folder.Prepare(standIn, error);
        if (error.empty()) return true;
        state.SkipWithError(error.c_str());
        return false;
    }
};

// Starts the program of `folder` and polls until its window is mapped and
// painted: the milliseconds that took, or -1 when it did not show in 20 s.
double StartUntilPainted(QProcess& player, const CPlayerFolder& folder, CDisplay& display) {
    player.setProcessEnvironment(folder.Environment());
    const auto start = Clock::now();
    player.start(QString::fromStdString((folder.Path() / "TonvikMusic").string()), {});
    while (Clock::now() - start < 20s && player.state() != QProcess::NotRunning) {
        const xcb_window_t window = display.FindMapped(kWindowTitle);
        if (window != XCB_WINDOW_NONE && display.Painted(window))
            return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::this_thread::sleep_for(kPollPeriod);
    }
    return -1;
}

void BM_StartToPainted(benchmark::State& state) {
    CProgramBench bench;
    if (!bench.Ready(state)) return;
    std::vector<double> startMs;
    std::vector<double> cpuMs;
    std::vector<double> paintedMib;
    std::vector<double> residentMib;
    std::vector<double> settledMib;
    std::vector<double> processes;
    for (auto _ : state) {
        QProcess player;
        const double elapsed = StartUntilPainted(player, bench.folder, bench.display);
        const double painted = ResidentKib(player.processId()) / 1024;
        if (elapsed < 0) {
            Finish(player);
            state.SkipWithError("the player window did not appear");
            return;
        }
        state.SetIterationTime(elapsed / 1000);
        startMs.push_back(elapsed);
        paintedMib.push_back(painted);
        // The processor time start-up took, which a busy machine changes less than the wall time.
        cpuMs.push_back(CpuSeconds(player.processId()) * 1000);
        state.PauseTiming();
        std::this_thread::sleep_for(2s);  // what start-up leaves running settles
        residentMib.push_back(ResidentKib(player.processId()) / 1024);
        // The whole product 10 s after its start: every process of it.
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(8000 - elapsed));
        const std::vector<qint64> tree = ProcessTree(player.processId());
        settledMib.push_back(ProportionalKib(tree) / 1024);
        processes.push_back(static_cast<double>(tree.size()));
        Finish(player);
        state.ResumeTiming();
    }
    state.counters["median_ms"] = MedianOf(startMs);
    state.counters["cpu_ms"] = MedianOf(cpuMs);
    state.counters["rss_painted_mib"] = MedianOf(paintedMib);
    state.counters["rss_mib"] = MedianOf(residentMib);
    state.counters["pss_10s_mib"] = MedianOf(settledMib);
    state.counters["processes"] = MedianOf(processes);
}
BENCHMARK(BM_StartToPainted)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);

void BM_PlayingCpu(benchmark::State& state) {
    if (!NeedsDisplay(state)) return;
    // The stand-in serves from this process, so that its work is not counted.
    standin::CStandIn standIn;
    if (!standIn.Start()) {
        state.SkipWithError(standIn.Error().c_str());
        return;
    }
    for (auto _ : state) {
        QProcess demo;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        demo.setProcessEnvironment(environment);
        demo.start(QString::fromUtf8(TONVIK_DEMO_PROGRAM), {"--loop", "--settle", "0", "--seconds", "90", "--host",
                                                            QString::fromStdString(standIn.Host())});
        std::string output;
        const auto start = Clock::now();
        while (output.find("ready") == std::string::npos && Clock::now() - start < 30s &&
               demo.state() != QProcess::NotRunning) {
            demo.waitForReadyRead(200);
            output += demo.readAllStandardOutput().toStdString();
        }
        if (output.find("ready") == std::string::npos) {
            Finish(demo);
            state.SkipWithError("playerdemo did not start playing");
            return;
        }
        std::this_thread::sleep_for(5s);  // past the start
        const double before = CpuSeconds(demo.processId());
        std::this_thread::sleep_for(60s);
        const double used = CpuSeconds(demo.processId()) - before;
        Finish(demo);
        state.SetIterationTime(60);
        state.counters["cpu_percent"] = used / 60 * 100;
    }
}
BENCHMARK(BM_PlayingCpu)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1)->Repetitions(3);

}  // namespace
