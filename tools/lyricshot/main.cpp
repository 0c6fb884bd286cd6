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

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class CBackdrop : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, QColor(236, 240, 246));
        gradient.setColorAt(1, QColor(200, 210, 224));
        painter.fillRect(rect(), gradient);
    }
};

// The my-music panel with one song in the play list.
class COneSongPanel final : public IPlayPanel {
public:
    CSongList* ListOfKind(int kind) override { return kind == kListTemporary ? &list : nullptr; }
    bool SelectRow(int, int) override { return true; }
    void ShowPlayingRow(int, int, const St_SongInfo&) override {}
    void RedrawList(int) override {}
    int PlayMode() const override { return kModeSingle; }
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "panel: %s\n", text.c_str()); }
    CSongList list;
};

// The player window's displays, unseen.
class CNoPlayWindow final : public IPlayWindow {
public:
    void SetTitle(const std::string&) override {}
    void SetTitleScrolling(bool) override {}
    void SetTimeText(const std::string&) override {}
    void SetDurationText(const std::string&) override {}
    void ShowPauseImage(bool) override {}
    void SetAnimation(Animation) override {}
    void EnablePositionSlider(bool) override {}
    void SetPositionRange(int) override {}
    void SetPositionValue(int) override {}
    int SliderValue(int) const override { return 0; }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 6) {
        std::fprintf(stderr, "usage: lyricshot <skin root> <skin folder> <vertical|horizontal> <song id> <seconds> [port]\n");
        return 2;
    }
    QFont font = QApplication::font();
    font.setFamilies({font.family(), QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    QApplication::setFont(font);

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

    CBackdrop backdrop;
    backdrop.setWindowFlags(Qt::FramelessWindowHint);
    backdrop.setGeometry(0, 0, 640, 420);
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
    COneSongPanel panel;
    CNoPlayWindow window;
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
