// A long run of the real program, on demand (tools/scripts/soak.sh MINUTES):
// the stand-in's whole catalogue plays in the "列表循环" mode on a virtual X
// screen while the stand-in gives a fault to every few requests (audio,
// look-up, recommendations, sign-in), the user refreshes the
// recommendations and signs in now and then, and the network goes away and
// comes back. Prints the program's resident memory over time, the songs
// played, the recoveries of broken streams, the crashes, and whether the
// play list survived.
//
//   soak_run MINUTES PROGRAM_FOLDER [--flip INTERFACE] [--every N]
//
// PROGRAM_FOLDER holds TonvikMusic, TonvikClose, the update library and the
// shipped files (a build's bin folder). --flip names a network interface
// whose link the run takes down and up again (the program's network check
// looks at the interfaces: the script runs everything in a network
// namespace of its own, where that interface is the only way out).

#include "common/Text.h"
#include "skin/SkinDescription.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tests/e2e/XSession.h"
#include "tests/support/TempDir.h"
#include "tools/standin/StandIn.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

const QString kPlayerTitle = QStringLiteral("Tonvik Player");
const QString kPanelTitle = QStringLiteral("Tonvik音乐--管理");
constexpr const char* kSkin = "Skin2";
constexpr const char* kUser = "tester";
constexpr const char* kPassword = "secret123";
constexpr int kListRow = 18;

// How often the run samples, acts as a user, and takes the network away.
constexpr auto kSamplePeriod = std::chrono::seconds(10);
constexpr auto kUserPeriod = std::chrono::seconds(70);
constexpr auto kFirstOffline = std::chrono::seconds(50);
constexpr auto kOfflinePeriod = std::chrono::minutes(4);
constexpr auto kOfflineFor = std::chrono::seconds(12);
// A program that played nothing new for this long is helped on (Next).
constexpr auto kIdleLimit = std::chrono::seconds(60);
// A tip or message box left up this long is answered.
constexpr auto kBoxLimit = std::chrono::seconds(8);

struct St_Options {
    double minutes = 0;
    fs::path programFolder;
    std::string flip;
    int every = 4;
};

std::optional<St_Options> ParseArguments(const QStringList& arguments) {
    if (arguments.size() < 3) return std::nullopt;
    St_Options options;
    options.minutes = arguments.at(1).toDouble();
    options.programFolder = arguments.at(2).toStdString();
    for (int i = 3; i + 1 < arguments.size(); i += 2) {
        if (arguments.at(i) == "--flip") options.flip = arguments.at(i + 1).toStdString();
        else if (arguments.at(i) == "--every") options.every = arguments.at(i + 1).toInt();
        else return std::nullopt;
    }
    if (!(options.minutes > 0) || !fs::exists(options.programFolder / "TonvikMusic")) return std::nullopt;
    return options;
}

// One figure of a process's memory ("VmRSS:" resident, "RssAnon:" the
// resident part that is no file's: where a leak shows, while the libraries'
// code comes in as it first runs), in KiB; 0 when it is gone.
double StatusKib(qint64 pid, std::string_view key = "VmRSS:") {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::atof(line.c_str() + key.size());
    return 0;
}
double ResidentKib(qint64 pid) { return StatusKib(pid); }

double TreeResidentKib(qint64 root) {
    std::vector<std::pair<qint64, qint64>> parents;  // (pid, parent)
    std::error_code failure;
    for (const auto& entry : fs::directory_iterator("/proc", failure)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        std::getline(stat, text);
        const size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(text.substr(close + 2));
        char state = 0;
        qint64 parent = 0;
        rest >> state >> parent;
        parents.emplace_back(std::stoll(name), parent);
    }
    std::vector<qint64> tree{root};
    for (size_t i = 0; i < tree.size(); ++i)
        for (const auto& [pid, parent] : parents)
            if (parent == tree[i]) tree.push_back(pid);
    double total = 0;
    for (qint64 pid : tree) total += ResidentKib(pid);
    return total;
}

// The trace file, read on from where the last look ended.
class CTraceTail {
public:
    explicit CTraceTail(fs::path file) : m_file(std::move(file)) {}
    // New lines since the last call.
    std::vector<std::string> NewLines() {
        std::vector<std::string> lines;
        std::ifstream in(m_file, std::ios::binary);
        if (!in) return lines;
        in.seekg(0, std::ios::end);
        const std::streamoff size = in.tellg();
        if (size < m_offset) m_offset = 0;  // a new file
        in.seekg(m_offset);
        std::string chunk(static_cast<size_t>(size - m_offset), '\0');
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        m_pending += chunk;
        m_offset = size;
        size_t start = 0;
        for (size_t end; (end = m_pending.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(m_pending.substr(start, end - start));
        m_pending.erase(0, start);
        return lines;
    }

private:
    fs::path m_file;
    std::streamoff m_offset = 0;
    std::string m_pending;
};

class CSoak {
public:
    explicit CSoak(St_Options options) : m_options(std::move(options)), m_trace(m_folder.Path() / "trace.log") {}

    int Run() {
        const std::vector<std::string> missing = MissingXTools();
        if (!missing.empty()) return Fail("needs " + missing.front() + " (tools/scripts/deps.sh installs it)");
        if (!m_screen.Start({1024, 768})) return Fail("the virtual screen did not start: " + m_screen.Error());
        if (!m_screen.StartTray()) return Fail("the tray did not start");
        if (!m_standIn.Start()) return Fail("the stand-in did not start: " + m_standIn.Error());
        PrepareFolder();
        if (!StartProgram()) return Fail("the program did not come up");
        if (!StartPlaying()) {
            KeepLogs();
            return Fail("the program did not start playing");
        }
        m_standIn.SetChaos(m_options.every);

        const auto start = Clock::now();
        const auto end = start + std::chrono::milliseconds(static_cast<long long>(m_options.minutes * 60000));
        auto nextSample = start;
        auto nextUser = start + kUserPeriod;
        auto nextOffline = start + kFirstOffline;
        std::printf("%8s %12s %10s %14s %7s %10s\n", "minutes", "program MB", "anonymous", "with children", "songs",
                    "recoveries");
        while (Clock::now() < end) {
            Pause(std::chrono::seconds(1));
            const auto now = Clock::now();
            ReadTrace();
            if (m_player->state() == QProcess::NotRunning) {
                ++m_crashes;
                std::printf("# the program ended (exit %d, %s); started again\n", m_player->exitCode(),
                            m_player->exitStatus() == QProcess::CrashExit ? "crashed" : "exited");
                if (!StartProgram()) return Fail("the program did not come up again");
                if (!StartPlaying()) std::printf("# the program did not start playing again\n");
                continue;
            }
            if (now >= nextSample) {
                Sample(std::chrono::duration<double, std::ratio<60>>(now - start).count());
                nextSample += kSamplePeriod;
            }
            AnswerBoxes(now);
            if (now >= nextUser) {
                ActAsUser();
                nextUser = Clock::now() + kUserPeriod;
            }
            if (!m_options.flip.empty() && now >= nextOffline && now + kOfflineFor + std::chrono::seconds(20) < end) {
                GoOfflineAndBack();
                nextOffline = Clock::now() + kOfflinePeriod;
            }
            HelpOnWhenIdle();
        }
        Sample(std::chrono::duration<double, std::ratio<60>>(Clock::now() - start).count());
        m_standIn.SetChaos(0);
        ReadTrace();
        KeepLogs();
        const bool closed = CloseProgram();
        return Report(closed);
    }

private:
    int Fail(const std::string& why) const {
        std::fprintf(stderr, "soak: %s\n", why.c_str());
        return 2;
    }

    void Pause(std::chrono::milliseconds time) const {
        const auto until = Clock::now() + time;
        while (Clock::now() < until) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(20);
        }
    }

    void PrepareFolder() {
        const fs::path folder = m_folder.Path();
        for (const auto& entry : fs::directory_iterator(m_options.programFolder)) {
            const std::string name = entry.path().filename().string();
            std::error_code ec;
            if (name == "TonvikMusic" || name == "TonvikClose") {
                // Hard links (or copies): the program's folder is where it runs from.
                fs::create_hard_link(entry.path(), folder / name, ec);
                if (ec) fs::copy_file(entry.path(), folder / name, fs::copy_options::overwrite_existing);
            } else if (entry.is_directory() || (name.rfind("lib", 0) == 0 && name.find(".so") != std::string::npos)) {
                // The shipped folders and the libraries loaded at run time
                // (the update library, the web engine's).
                fs::create_symlink(entry.path(), folder / name, ec);
            }
        }
        const std::string host = m_standIn.Host();
        m_folder.Write("TonvikMusic.ini", "[Hosts]\r\nService=" + host + "\r\nLogin=" + host + "\r\nComment=" + host +
                                              "\r\nLyricSearch=" + host + "\r\n[Trace]\r\nFile=trace.log\r\n"
                                              "[Logon]\r\nAutoLogon=1\r\nRemberPass=1\r\nUser=" + kUser +
                                              "\r\nPass=" + Base64Encode(kPassword) + "\r\n");
        m_folder.Write("Patchwell.ini", "[Hosts]\r\nUpdate=" + host + "\r\nGamePatch=" + host + "\r\n");
        std::string playList;
        for (const auto& song : m_standIn.Catalogue().Songs()) {
            if (m_seeded.size() == 50) break;
            playList += song.id + "\t" + Cp936(song.name) + "\t" + Cp936(song.singer) + "\t" + Cp936(song.album) + "\t\r\n";
            m_seeded.push_back(song.id);
        }
        m_folder.Write("Playlist.xls", playList);

        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert("DISPLAY", m_screen.Display());
        m_environment.insert("QT_QPA_PLATFORM", "xcb");
        m_environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(m_runtime.Folder().string()));
        m_environment.insert("XDG_DATA_HOME", QString::fromStdString(m_runtime.DataHome().string()));
        // A sanitised build: the system's D-Bus library keeps a buffer to the end.
        m_environment.insert("ASAN_OPTIONS", "detect_leaks=0");
    }

    bool StartProgram() {
        m_player = std::make_unique<QProcess>();
        m_player->setProcessEnvironment(m_environment);
        m_player->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_player->setStandardOutputFile(QString::fromStdString((m_folder.Path() / "stdout.log").string()),
                                        QIODevice::Append);
        // SOAK_WRAPPER runs the program under a tool (say "heaptrack -o FILE").
        QString program = QString::fromStdString((m_folder.Path() / "TonvikMusic").string());
        QStringList arguments = QProcess::splitCommand(qEnvironmentVariable("SOAK_WRAPPER"));
        if (!arguments.isEmpty()) {
            arguments.append(program);
            program = arguments.takeFirst();
        }
        m_player->start(program, arguments);
        if (!m_player->waitForStarted(10000)) return false;
        return WaitUntil([&] { return m_screen.Window(kPlayerTitle) && m_screen.Window(kPanelTitle); },
                         std::chrono::seconds(90));
    }

    bool CloseProgram() {
        QProcess tool;
        tool.setProcessEnvironment(m_environment);
        tool.start(QString::fromStdString((m_folder.Path() / "TonvikClose").string()), {});
        if (!tool.waitForStarted(10000) || WaitForExit(tool, std::chrono::seconds(40)) != 0) return false;
        return WaitForExit(*m_player, std::chrono::seconds(30)) == 0;
    }

    QRect Panel() const { return m_screen.Geometry(m_screen.Window(kPanelTitle)); }
    // The program's first window of the player's title is the player; tips
    // and message boxes share its title.
    QRect Player() const {
        const std::vector<unsigned long> windows = m_screen.Windows(kPlayerTitle);
        return windows.empty() ? QRect() : m_screen.Geometry(*std::min_element(windows.begin(), windows.end()));
    }
    QPoint Control(const QRect& window, const char* section) const {
        return m_skin.Rect(section).translated(window.topLeft()).center();
    }

    // The sign-in at start shows the albums: once it is through, the play
    // list's tab; its first song is double-clicked once the list shows its
    // songs, again (three times at most) until the service hears of a play.
    bool StartPlaying() {
        WaitUntil([&] { return !m_standIn.SignedInUid().empty(); }, std::chrono::seconds(30));
        Pause(std::chrono::seconds(2));
        Press(Panel(), "Btn100");
        const auto list = [&] { return m_skin.Rect("List100").translated(Panel().topLeft()); };
        WaitUntil([&] { return Colours(m_screen.Grab(list())) > 8; }, std::chrono::seconds(30));
        const size_t before = m_standIn.PlayReports().size();
        for (int attempt = 0; attempt < 3; ++attempt) {
            m_screen.Click({list().left() + 60, list().top() + kListRow / 2}, true);
            m_lastSong = Clock::now();
            if (WaitUntil([&] { return m_standIn.PlayReports().size() > before; }, std::chrono::seconds(30))) return true;
        }
        return false;
    }

    // With SOAK_LOGS=FOLDER the program's trace, its output and a picture
    // of the screen are kept there.
    void KeepLogs() const {
        const char* keep = std::getenv("SOAK_LOGS");
        if (!keep || !*keep) return;
        const fs::path folder = keep;
        std::error_code ec;
        fs::create_directories(folder, ec);
        for (const char* name : {"trace.log", "stdout.log", "Playlist.xls", "TonvikMusic.ini"})
            fs::copy_file(m_folder.Path() / name, folder / name, fs::copy_options::overwrite_existing, ec);
        m_screen.Grab().save(QString::fromStdString((folder / "screen.png").string()));
    }

    void Press(const QRect& window, const char* section) {
        if (!window.isEmpty()) m_screen.Click(Control(window, section));
        Pause(std::chrono::milliseconds(700));
    }

    // Now and then a user looks at the recommendations (refreshing them)
    // and, when not signed in, signs in; then back to the play list.
    void ActAsUser() {
        Press(Panel(), "Btn101");
        Press(Panel(), "Btn110");
        Pause(std::chrono::seconds(2));
        if (m_standIn.SignedInUid().empty()) {
            Press(Panel(), "Btn102");
            Press(Panel(), "Edit100");
            m_screen.Keys({QStringLiteral("ctrl+a")});
            m_screen.Type(QString::fromLatin1(kUser));
            Press(Panel(), "Edit101");
            m_screen.Keys({QStringLiteral("ctrl+a")});
            m_screen.Type(QString::fromLatin1(kPassword));
            Press(Panel(), "Btn109");
            Pause(std::chrono::seconds(3));
        }
        Press(Panel(), "Btn100");
        ++m_userRounds;
    }

    // The network goes away: the program stops playing and says so; when it
    // is back, the user plays on with the player's Play button.
    void GoOfflineAndBack() {
        const QString link = QString::fromStdString(m_options.flip);
        if (!m_screen.Run("ip", {"link", "set", link, "down"})) {
            std::printf("# the network could not be taken away; no more tries\n");
            m_options.flip.clear();
            return;
        }
        ++m_offline;
        const auto until = Clock::now() + kOfflineFor;
        while (Clock::now() < until) {
            Pause(std::chrono::seconds(1));
            AnswerBoxes(Clock::now());
        }
        m_screen.Run("ip", {"link", "set", link, "up"});
        // The program looks every 3 s; then a box may have to be answered.
        Pause(std::chrono::seconds(5));
        AnswerBoxes(Clock::now() + kBoxLimit);
        Press(Player(), "Btn0");
        m_lastSong = Clock::now();
    }

    // A tip or message box that stays up is answered with Return.
    void AnswerBoxes(Clock::time_point now) {
        const std::vector<unsigned long> windows = m_screen.Windows(kPlayerTitle);
        if (windows.size() < 2) {
            m_boxSince.reset();
            return;
        }
        if (!m_boxSince) m_boxSince = now;
        if (now - *m_boxSince < kBoxLimit) return;
        const unsigned long box = *std::max_element(windows.begin(), windows.end());
        m_screen.Click(m_screen.Geometry(box).center());
        m_screen.Keys({QStringLiteral("Return")});
        ++m_boxesAnswered;
        m_boxSince.reset();
    }

    // A song whose look-up failed, or that the engine gave up on, leaves
    // the player stopped, as it should: the user goes on with Next.
    void HelpOnWhenIdle() {
        const bool stuck = m_stopsToHelp > 0 || Clock::now() - m_lastSong > kIdleLimit;
        if (!stuck) return;
        Press(Player(), "Btn3");
        ++m_helpedOn;
        m_stopsToHelp = 0;
        m_lastSong = Clock::now();
    }

    void ReadTrace() {
        for (const std::string& line : m_trace.NewLines()) {
            if (line.find("Resume===Playing again from") != std::string::npos) ++m_recoveries;
            if (line.find("Resume===Given up") != std::string::npos) ++m_givenUp;
            if (line.find("Play===Get song info failed") != std::string::npos ||
                line.find("Play==song info is Null") != std::string::npos ||
                line.find("OnPlayError===") != std::string::npos)
                ++m_stopsToHelp;
        }
        const size_t songs = m_standIn.PlayReports().size();
        if (songs != m_songs) {
            m_songs = songs;
            m_lastSong = Clock::now();
        }
    }

    void Sample(double minutes) {
        const qint64 pid = m_player->processId();
        const double program = ResidentKib(pid) / 1024;
        const double anonymous = StatusKib(pid, "RssAnon:") / 1024;
        const double tree = TreeResidentKib(pid) / 1024;
        m_memory.push_back({minutes, program, anonymous});
        std::printf("%8.1f %12.1f %10.1f %14.1f %7zu %10d\n", minutes, program, anonymous, tree, m_songs, m_recoveries);
        std::fflush(stdout);
    }

    std::vector<std::string> PlayListIds() const {
        std::vector<std::string> ids;
        std::istringstream lines(TempDir::Read(m_folder.Path() / "Playlist.xls"));
        std::string line;
        while (std::getline(lines, line)) {
            const std::string id = line.substr(0, line.find('\t'));
            if (!id.empty() && id != "\r") ids.push_back(id);
        }
        return ids;
    }

    int Report(bool closed) const {
        Memory atOne;
        for (const Memory& sample : m_memory)
            if (sample.minutes <= 1.05) atOne = sample;
        const Memory last = m_memory.empty() ? Memory{} : m_memory.back();
        const bool listIntact = PlayListIds() == m_seeded;
        std::printf("\nminutes: %.1f\n", last.minutes);
        std::printf("resident memory: %.1f MB at 1 minute, %.1f MB at the end (%+.1f MB)\n", atOne.resident,
                    last.resident, last.resident - atOne.resident);
        std::printf("of it anonymous: %.1f MB at 1 minute, %.1f MB at the end (%+.1f MB)\n", atOne.anonymous,
                    last.anonymous, last.anonymous - atOne.anonymous);
        std::printf("songs played: %zu\n", m_songs);
        std::printf("recoveries of broken streams: %d (given up: %d)\n", m_recoveries, m_givenUp);
        std::printf("crashes: %d\n", m_crashes);
        std::printf("faults given:");
        for (const auto& [kind, count] : m_standIn.ChaosFaults()) std::printf(" %s %zu", kind.c_str(), count);
        std::printf("\noffline and back: %d; user rounds: %d; boxes answered: %d; helped on with Next: %d\n", m_offline,
                    m_userRounds, m_boxesAnswered, m_helpedOn);
        std::printf("closed in order: %s; play list intact: %s\n", closed ? "yes" : "no", listIntact ? "yes" : "no");
        return m_crashes == 0 && closed && listIntact ? 0 : 1;
    }

    St_Options m_options;
    IsolatedRuntime m_runtime;
    TempDir m_folder;
    TempDir m_state;
    CVirtualScreen m_screen;
    standin::CStandIn m_standIn{standin::OptionsWithState(m_state.Path())};
    CSkinDescription m_skin{m_options.programFolder.string(), kSkin};
    QProcessEnvironment m_environment;
    std::unique_ptr<QProcess> m_player;
    CTraceTail m_trace;
    std::vector<std::string> m_seeded;
    struct Memory {
        double minutes = 0;
        double resident = 0;   // MB
        double anonymous = 0;  // MB
    };
    std::vector<Memory> m_memory;
    std::optional<Clock::time_point> m_boxSince;
    Clock::time_point m_lastSong = Clock::now();
    size_t m_songs = 0;
    int m_recoveries = 0;
    int m_givenUp = 0;
    int m_crashes = 0;
    int m_offline = 0;
    int m_userRounds = 0;
    int m_boxesAnswered = 0;
    int m_helpedOn = 0;
    int m_stopsToHelp = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::optional<St_Options> options = ParseArguments(app.arguments());
    if (!options) {
        std::fprintf(stderr, "usage: soak_run MINUTES PROGRAM_FOLDER [--flip INTERFACE] [--every N]\n");
        return 2;
    }
    CSoak soak(*options);
    return soak.Run();
}
