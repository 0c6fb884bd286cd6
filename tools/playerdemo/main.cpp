// Shows the player window the way the program makes it and plays the
// longest Chinese-titled song of an in-process service stand-in into a
// silent audio sink (again and again with --loop).
// It has no my-music panel: the song is handed to the play controller
// directly. Prints "ready" once the song plays and the window shows the
// requested look, and ends after the given number of seconds.
//
//   playerdemo [--skin Skin2|Skin] [--mini] [--vertical] [--loop] [--backdrop]
//              [--host HOST] [--seconds N] [--settle N]
//
// --host: a stand-in already running there (its time then does not count
// as the player's); without it one runs inside this program.
// --settle: seconds to let the title roll and the time move before "ready".
// --backdrop: a light desktop picture behind the player, for screenshots.
// The program folder holding the skins is this program's own folder.

#include "app/MainFrame.h"
#include "common/WellKnownPaths.h"
#include "platform/Paths.h"
#include "playback/PlayMainDlg.h"
#include "playback/PlayerIds.h"
#include "playback/WMPPlayer4.h"
#include "skin/SkinChoice.h"
#include "tools/standin/StandIn.h"
#include "tools/support/Backdrop.h"
#include "web/WebEngine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

struct Options {
    std::string skin = kSkinClassic;
    bool mini = false;
    bool vertical = false;
    bool loop = false;
    bool backdrop = false;
    std::string host;
    int seconds = 30;
    int settle = 3;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--skin" && hasValue) options.skin = argv[++i];
        else if (arg == "--mini") options.mini = true;
        else if (arg == "--vertical") options.vertical = true;
        else if (arg == "--loop") options.loop = true;
        else if (arg == "--backdrop") options.backdrop = true;
        else if (arg == "--host" && hasValue) options.host = argv[++i];
        else if (arg == "--seconds" && hasValue) options.seconds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--settle" && hasValue) options.settle = std::max(0, std::atoi(argv[++i]));
        else return false;
    }
    return options.skin == kSkinClassic || options.skin == kSkinOrange;
}

// Runs events until `done` holds or `limitMs` passed.
template <class Predicate>
bool RunUntil(Predicate done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // The panel under the player shows a page strip: the engine is prepared
    // as the program prepares it.
    PrepareWebEngine();
    QApplication application(argc, argv);
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: playerdemo [--skin Skin2|Skin] [--mini] [--vertical] [--loop] [--backdrop] [--host HOST] "
                     "[--seconds N] [--settle N]\n");
        return 2;
    }

    // A program folder of its own: the skins of this one, and options that
    // name the stand-in and the skin.
    QTemporaryDir folder;
    standin::CStandIn standIn(standin::OptionsWithState(folder.path().toStdString()));
    standin::CCatalogue catalogue;
    std::string error;
    if (!folder.isValid() || (options.host.empty() && !standIn.Start()) ||
        !catalogue.Load(standin::DefaultDataDir() / "catalogue.txt", error)) {
        std::fprintf(stderr, "the service stand-in did not start: %s%s\n", standIn.Error().c_str(), error.c_str());
        return 1;
    }
    if (options.host.empty()) options.host = standIn.Host();
    const std::filesystem::path programFolder = tonvik::platform::ProgramFolder();
    const std::filesystem::path demoFolder = folder.path().toStdString();
    for (const char* data : {kSkinClassic, kSkinOrange, "res"})
        std::filesystem::create_directory_symlink(programFolder / data, demoFolder / data);
    std::ofstream(demoFolder / kIniFileName) << "[SKIN]\r\nKind=" << (options.skin == kSkinClassic ? 2 : 1)
                                             << "\r\n[Hosts]\r\nService=" << options.host << "\r\n";
    SetupWellKnownPaths(demoFolder);

    CBackdrop backdrop;
    if (options.backdrop) {
        backdrop.setGeometry(QGuiApplication::primaryScreen()->geometry());
        backdrop.show();
        RunUntil([&] { return backdrop.isVisible(); }, 1000);
    }

    CMainFrame frame([](unsigned code) { QCoreApplication::exit(static_cast<int>(code)); });
    frame.SetEngineFactory([](std::string* reason) -> std::unique_ptr<CMediaEngine> {
        CWMPPlayer4Options engine;
        engine.audioSink = "fakesink";
        return CWMPPlayer4::Create(engine, reason);
    });
    if (!frame.Create()) return 1;
    CPlayMainDlg& player = *frame.Player();
    if (options.mini) player.OnCommand(IDC_MINI_MODE);
    if (options.vertical) player.OnCommand(IDC_ROTATE);

    // The longest song with a Chinese title, so that it plays on through
    // the pictures and shows how the title's characters come out.
    const standin::St_CatalogueSong* chosen = nullptr;
    for (const auto& song : catalogue.Songs()) {
        const bool chinese = std::any_of(song.name.begin(), song.name.end(), [](char c) { return (c & 0x80) != 0; });
        if (chinese && (!chosen || song.seconds > chosen->seconds)) chosen = &song;
    }
    if (!chosen) return 1;
    St_SongInfo song;
    song.id = chosen->id;
    CPlayController& controller = player.Controller();
    controller.Play(song, 0, kListTemporary, 0);
    QTimer again;
    if (options.loop) {
        // Without a panel nothing follows a song; start it anew.
        // Stopped at two looks in a row: the song has ended, not just begun.
        QObject::connect(&again, &QTimer::timeout, [&, stoppedBefore = false]() mutable {
            const bool stopped = controller.State() == 2 && !controller.LookupRunning();
            if (stopped && stoppedBefore) controller.Play(song, 0, kListTemporary, 0);
            stoppedBefore = stopped;
        });
        again.start(500);
    }
    if (!RunUntil([&] { return controller.State() == 0; }, 20000)) {
        std::fprintf(stderr, "the song did not start\n");
        return 1;
    }
    RunUntil([] { return false; }, options.settle * 1000);
    std::printf("ready\n");
    std::fflush(stdout);
    QTimer::singleShot(options.seconds * 1000, [] { QCoreApplication::exit(0); });
    const int code = QApplication::exec();
    standIn.Stop();
    return code;
}
