#include "common/PlayerClose.h"

#include "common/MessageIds.h"
#include "common/WindowChannel.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

CloseResult ClosePlayer(std::chrono::milliseconds sendTimeout, std::chrono::milliseconds waitGone) {
    switch (SendMessageToWindow(kMainFrameTitle, WM_FRAME_CLOSEAPP, 0, 0, sendTimeout)) {
    case RemoteSendStatus::NoWindow:
        return CloseResult::NoPlayer;
    case RemoteSendStatus::NoAnswer:
        return CloseResult::NotTaken;
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
        if (clock.elapsed() > waitGone.count()) return CloseResult::StillRunning;
        QThread::msleep(50);
    }
    return CloseResult::Closed;
}

const char* CloseResultText(CloseResult result) {
    switch (result) {
    case CloseResult::Closed:
        return "";
    case CloseResult::NoPlayer:
        return "no running player.";
    case CloseResult::NotTaken:
        return "the player did not take the close request.";
    case CloseResult::StillRunning:
        return "the player is still running.";
    }
    return "";
}
