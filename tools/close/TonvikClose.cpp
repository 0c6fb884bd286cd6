// TonvikClose: sends the orderly close (0x0455) to the running player and
// waits until the player has gone.
//
// Usage: TonvikClose [seconds]   (how long to wait, 20 by default)
// Exit codes: 0 the player closed, 1 no player was running, 2 the player
// did not take the message, 3 it took it but was still running at the end.

#include "common/MessageIds.h"
#include "common/WindowChannel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::chrono::milliseconds kSendTimeout(5000);
constexpr int kDefaultWaitSeconds = 20;

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    int waitSeconds = kDefaultWaitSeconds;
    if (argc > 1) {
        char* end = nullptr;
        const long value = std::strtol(argv[1], &end, 10);
        if (end == argv[1] || *end != '\0' || value < 0 || value > 3600) {
            std::fprintf(stderr, "usage: %s [seconds]\n", argv[0]);
            return 64;
        }
        waitSeconds = static_cast<int>(value);
    }

    switch (SendMessageToWindow(kMainFrameTitle, WM_FRAME_CLOSEAPP, 0, 0, kSendTimeout)) {
    case RemoteSendStatus::NoWindow:
        std::fprintf(stderr, "TonvikClose: no running player.\n");
        return 1;
    case RemoteSendStatus::NoAnswer:
        std::fprintf(stderr, "TonvikClose: the player did not take the close request.\n");
        return 2;
    case RemoteSendStatus::Delivered:
        break;
    }

    // The player is gone once nothing answers under its title any more.
    const QString channel = WindowChannelPath(kMainFrameTitle);
    const auto answers = [&channel] {
        QLocalSocket socket;
        socket.connectToServer(channel);
        const bool connected = socket.waitForConnected(500);
        socket.abort();
        return connected;
    };
    QElapsedTimer clock;
    clock.start();
    while (answers()) {
        if (clock.elapsed() > waitSeconds * 1000LL) {
            std::fprintf(stderr, "TonvikClose: the player is still running.\n");
            return 3;
        }
        QThread::msleep(50);
    }
    return 0;
}
