// Shows the library pane wearing a skin, over a light backdrop, with the
// recommendation page of a service stand-in started in-process. Prints
// "ready" once the page has loaded and ends after the given seconds.
//
//   libraryshot <program folder with the skins and offline pages> <skin> [seconds]

#include "common/WellKnownPaths.h"
#include "tools/standin/ProgramFolder.h"
#include "tools/standin/StandIn.h"
#include "web/MiniWebBrowserDlg.h"
#include "web/WebEngine.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    PrepareWebEngine();
    KeepWebProfileInMemory();
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: libraryshot <program folder> <skin> [seconds]\n");
        return 2;
    }
    const std::filesystem::path shipped = argv[1];
    const std::string skin = argv[2];
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 10;

    QTemporaryDir scratch;
    standin::CStandIn standIn(standin::OptionsWithState(scratch.path().toStdString()));
    if (!scratch.isValid() || !standIn.Start()) {
        std::fprintf(stderr, "libraryshot: no stand-in: %s\n", standIn.Error().c_str());
        return 1;
    }
    const std::filesystem::path program = scratch.path().toStdString();
    if (!standin::PrepareProgramFolder(program, standIn.Host(), shipped)) {
        std::fprintf(stderr, "libraryshot: cannot prepare %s\n", program.c_str());
        return 1;
    }
    SetupWellKnownPaths(program);

    QWidget backdrop(nullptr, Qt::FramelessWindowHint);
    backdrop.setStyleSheet(QStringLiteral("background: #dfe6ee"));
    backdrop.setGeometry(0, 0, 640, 500);
    backdrop.show();

    CMiniWebBrowserDlg pane(CMessageHandle(), skin, nullptr, [] { return ConnectionState::Connected; });
    pane.setWindowTitle(QString::fromUtf8("Tonvik音乐--乐库"));
    pane.move(40, 40);
    pane.ShowWindow(true);

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (pane.Browser().CurrentUrl() != standIn.Url("/songhall/tonvik/newrecommand.shtml")) return;
        poll.stop();
        // Time for the first frame of the page to reach the screen.
        QTimer::singleShot(1500, [] {
            std::printf("ready\n");
            std::fflush(stdout);
        });
    });
    poll.start(50);
    QTimer::singleShot(seconds * 1000, &application, &QApplication::quit);
    const int result = application.exec();
    standIn.Stop();
    return result;
}
