// Plays one song of the service stand-in through the play controller, with
// the lyric window as the controller's lyric sink, over a light backdrop.
// Prints "ready" once the song has played for the given time and ends a few
// seconds later.
//
//   lyricshot <skin root> <skin folder> <vertical|horizontal> <song id> <seconds> [port]

#include "common/WellKnownPaths.h"
#include "lyrics/LyricDlg.h"
#include "playback/PlayController.h"
#include "playback/WMPPlayer4.h"
#include "tools/standin/StandIn.h"
#include "tools/support/Backdrop.h"
#include "tools/support/QuietPlayerPorts.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 6) {
        std::fprintf(stderr, "usage: lyricshot <skin root> <skin folder> <vertical|horizontal> <song id> <seconds> [port]\n");
        return 2;
    }
    const bool horizontal = std::string(argv[3]) == "horizontal";
    const int seconds = std::atoi(argv[5]);
    QTemporaryDir folder;
    if (!folder.isValid()) return 1;
    SetupWellKnownPaths(folder.path().toStdString());

    standin::St_StandInOptions options;
    options.port = argc > 6 ? std::atoi(argv[6]) : 0;
    standin::CStandIn standIn(options);
    if (!standIn.Start()) {
        std::fprintf(stderr, "lyricshot: %s\n", standIn.Error().c_str());
        return 1;
    }
    QFile ini(folder.filePath(QString::fromLatin1(kIniFileName)));
    if (!ini.open(QIODevice::WriteOnly)) return 1;
    ini.write(("[Hosts]\r\nService=" + standIn.Host() + "\r\nLyricSearch=" + standIn.Host() + "\r\n").c_str());
    ini.close();

    CBackdrop backdrop(QRect(0, 0, 640, 420));
    backdrop.show();

    LyricWindowSetup setup;
    setup.skinRoot = argv[1];
    setup.skinFolder = argv[2];
    setup.settings = std::make_unique<QSettings>(folder.filePath(QStringLiteral("options.ini")), QSettings::IniFormat);
    setup.settings->setValue("Options/Lyric/Horizontal", horizontal ? 1 : 0);
    CLyricDlg lyric(std::move(setup));
    lyric.move(60, 40);
    if (horizontal) lyric.resize(520, lyric.height());
    lyric.ShowWindow(true);

    std::string reason;
    CWMPPlayer4Options engineOptions;
    engineOptions.audioSink = "fakesink";
    auto engine = CWMPPlayer4::Create(engineOptions, &reason);
    if (!engine) {
        std::fprintf(stderr, "lyricshot: %s\n", reason.c_str());
        return 1;
    }
    CNoPanel panel;
    CNoWindow window;
    CPlayController controller(*engine, &panel, window, lyric);
    St_SongInfo song;
    song.id = argv[4];
    panel.list.Add(song);
    controller.Play(song, 0, kListTemporary, 0);

    // Counted from the moment the song really plays.
    QObject::connect(engine.get(), &CMediaEngine::PlayStateChange, &application, [&](int state) {
        if (state != wmppsPlaying) return;
        QTimer::singleShot(seconds * 1000, [] {
            std::printf("ready\n");
            std::fflush(stdout);
        });
        QTimer::singleShot((seconds + 4) * 1000, &application, &QApplication::quit);
    });
    QTimer::singleShot(60000, &application, &QApplication::quit);
    return application.exec();
}
