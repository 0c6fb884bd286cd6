#include "tests/web/WebTestSupport.h"

#include "common/MessageIds.h"
#include "common/WellKnownPaths.h"
#include "tools/standin/ProgramFolder.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(standin::PrepareProgramFolder(m_folder.Path(), serviceHost, TONVIK_DATA_DIR));
    SetupWellKnownPaths(m_folder.Path());
}
