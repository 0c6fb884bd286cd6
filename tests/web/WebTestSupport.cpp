#include "tests/web/WebTestSupport.h"

#include "common/MessageIds.h"
#include "common/WellKnownPaths.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

bool RunUntil(const std::function<bool()>& done, int limitMs) {
    if (done()) return true;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > limitMs) loop.quit();
    });
    poll.start(5);
    loop.exec();
    return done();
}

CSongRecorder::CSongRecorder() : CMessageTarget(this) {
    SetMessageHandler(WM_FRAME_LIBSONG, [this](WPARAM wParam, LPARAM lParam) {
        const std::u16string* ids = MessageText(lParam);
        received.push_back({wParam, ids ? *ids : u"<unreadable>"});
        return LRESULT{0};
    });
}

CProgramFolder::CProgramFolder(const std::string& serviceHost) {
    SetupWellKnownPaths(m_folder.Path());
    m_folder.Write("TonvikMusic.ini", "[Hosts]\r\nService=" + serviceHost + "\r\n");
    // The shipped skins and offline pages, as they lie beside the program.
    for (const char* shipped : {"Skin", "Skin2", "html"})
        std::filesystem::create_directory_symlink(std::filesystem::path(TONVIK_DATA_DIR) / shipped, m_folder / shipped);
}
