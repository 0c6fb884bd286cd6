// What the web engine adds to the start of the program. Each sample is a
// fresh process that makes the library pane hidden (skin, buttons, shadow),
// as the main frame does, and shows a window in the player's place (the
// player's background picture):
//   "window": the pane stays without its page view;
//   "page":   once the player is on screen, a queued step makes the pane's
//             page view, as the frame does, and the recommendation page of
//             a service stand-in loads in it.
// Each process reports the time from its start to the player on screen, to
// the first page loaded, and the memory of itself and of the engine's helper
// processes (proportional set size: shared pages split between their users,
// so the sum is what the program really costs). Medians of several runs.
//
//   bench_web [runs]            (the parent; starts the stand-in and the samples)
//   bench_web --sample MODE HOST SKINS

#include "common/Bitmap.h"
#include "common/WellKnownPaths.h"
#include "platform/ProcessMemory.h"
#include "tools/standin/ProgramFolder.h"
#include "tools/standin/StandIn.h"
#include "web/MiniWebBrowserDlg.h"
#include "web/WebEngine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kSettleMs = 1000;      // for the helper processes to reach their working size
constexpr int kSampleLimitMs = 60000;

// Stands in for the player window: its background, nothing else.
class CPlayerPlace : public QWidget {
public:
    explicit CPlayerPlace(QImage picture) : QWidget(nullptr, Qt::FramelessWindowHint), m_picture(std::move(picture)) {
        setFixedSize(m_picture.isNull() ? QSize(400, 120) : m_picture.size());
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, m_picture); }

private:
    QImage m_picture;
};

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One sample: prints "startup_ms page_ms pss_kb rss_kb processes".
int RunSample(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    const std::string mode = argv[2];
    const std::string host = argv[3];
    const std::filesystem::path shipped = argv[4];

    PrepareWebEngine();
    KeepWebProfileInMemory();
    SetWebEngineLibrary(TONVIK_WEB_ENGINE_LIBRARY);
    QApplication application(argc, argv);
    QTemporaryDir scratch;
    const std::filesystem::path program = scratch.path().toStdString();
    if (!standin::PrepareProgramFolder(program, host, shipped)) return 1;
    SetupWellKnownPaths(program);

    CMiniWebBrowserDlg pane(CMessageHandle(), "Skin2", nullptr, [] { return ConnectionState::Connected; });
    const auto background = LoadBitmapFile(program / "Skin2" / "PlayerBack.bmp");
    CPlayerPlace player(background ? background->ToImage() : QImage());
    double startupMs = -1;
    double pageMs = -1;
    const bool withPage = mode == "page";
    const std::string start = "http://" + host + "/songhall/tonvik/newrecommand.shtml";

    auto report = [&] {
        const auto memory = tonvik::platform::OwnProcessTreeMemory();
        std::printf("%.1f %.1f %lld %lld %d\n", startupMs, pageMs, memory ? (long long)memory->proportionalKb : -1LL,
                    memory ? (long long)memory->residentKb : -1LL, memory ? memory->processes : 0);
        std::fflush(stdout);
        application.quit();
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (startupMs < 0 && player.isVisible()) {
            startupMs = double(clock.nsecsElapsed()) / 1e6;
            if (withPage) QTimer::singleShot(0, &pane, &CMiniWebBrowserDlg::CreatePageView);
        }
        if (startupMs < 0) return;
        if (withPage && pane.Browser().CurrentUrl() != start) return;
        if (withPage) pageMs = double(clock.nsecsElapsed()) / 1e6;
        poll.stop();
        QTimer::singleShot(kSettleMs, report);
    });
    QTimer::singleShot(kSampleLimitMs, &application, &QApplication::quit);
    player.show();
    poll.start(1);
    return application.exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "--sample") == 0) return RunSample(argc, argv);

    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir state;
    standin::CStandIn standIn(standin::OptionsWithState(state.path().toStdString()));
    if (!standIn.Start()) {
        std::fprintf(stderr, "bench_web: no stand-in: %s\n", standIn.Error().c_str());
        return 1;
    }
    const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
    std::map<std::string, std::vector<std::vector<double>>> samples;
    for (int run = 0; run < runs; ++run) {
        for (const char* mode : {"window", "page"}) {
            QProcess sample;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
                environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            sample.setProcessEnvironment(environment);
            sample.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--sample"), QString::fromUtf8(mode), QString::fromStdString(standIn.Host()), shipped});
            if (!sample.waitForFinished(kSampleLimitMs + 10000)) {
                sample.kill();
                sample.waitForFinished(5000);
            }
            std::vector<double> values;
            for (const QByteArray& field : sample.readAllStandardOutput().trimmed().split(' ')) values.push_back(field.toDouble());
            if (values.size() == 5) samples[mode].push_back(values);
        }
    }
    standIn.Stop();

    std::printf("%-8s %6s %14s %14s %12s %12s %6s\n", "pane", "runs", "shown (ms)", "page (ms)", "PSS (MiB)", "RSS (MiB)", "procs");
    for (const char* mode : {"window", "page"}) {
        std::vector<double> columns[5];
        for (const auto& values : samples[mode])
            for (int i = 0; i < 5; ++i) columns[i].push_back(values[i]);
        std::printf("%-8s %6zu %14.1f %14.1f %12.1f %12.1f %6.0f\n", mode, samples[mode].size(), Median(columns[0]),
                    Median(columns[1]), Median(columns[2]) / 1024, Median(columns[3]) / 1024, Median(columns[4]));
    }
    return 0;
}
