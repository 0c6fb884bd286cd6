// Finding a window by title across processes and sending it messages. The
// client side blocks, so it runs on a worker while this thread serves.

#include "common/MessageIds.h"
#include "common/WindowChannel.h"
#include "common/WindowMessage.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tests/support/TraceCapture.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QObject>

#include <gtest/gtest.h>

#include <fstream>
#include <future>

namespace {

class Receiver : public QObject, public CMessageTarget {
public:
    Receiver() : CMessageTarget(this) {}
};

constexpr const char* kTitle = "Tonvik音乐测试窗口";

template <typename T>
bool Finished(std::future<T>& future) {
    return WaitUntil([&] { return future.wait_for(0s) == std::future_status::ready; });
}

}  // namespace

TEST(WindowChannelTest, TheSocketNameIsDerivedFromTheTitle) {
    IsolatedRuntime runtime;
    const QString path = WindowChannelPath(kMainFrameTitle);
    EXPECT_EQ(std::filesystem::path(path.toStdString()).parent_path(), runtime.Folder());
    // "tonvik-window-" and 16 hexadecimal digits of the title's SHA-1.
    EXPECT_EQ(std::filesystem::path(path.toStdString()).filename().string(), "tonvik-window-d174199e2fe6a4a4");
    EXPECT_NE(WindowChannelPath("TonvikMusic"), path);
}

TEST(WindowChannelTest, AMessageFromAnotherClientReachesTheTargetWithItsResult) {
    IsolatedRuntime runtime;
    Receiver receiver;
    WPARAM seenW = 0;
    LPARAM seenL = 0;
    receiver.SetMessageHandler(WM_FRAME_ACTIVATE, [&](WPARAM w, LPARAM l) {
        seenW = w;
        seenL = l;
        return LRESULT{-12345678901LL};
    });
    CWindowChannel channel(&receiver, {WM_FRAME_ACTIVATE});
    ASSERT_TRUE(channel.Listen(kTitle));
    EXPECT_TRUE(channel.IsListening());

    auto client = std::async(std::launch::async, [] {
        LRESULT result = 0;
        const auto status = SendMessageToWindow(kTitle, WM_FRAME_ACTIVATE, 0xFFFFFFFFFFull, -2, 5s, &result);
        return std::make_pair(status, result);
    });
    ASSERT_TRUE(Finished(client));
    const auto [status, result] = client.get();
    EXPECT_EQ(status, RemoteSendStatus::Delivered);
    EXPECT_EQ(result, -12345678901LL);
    EXPECT_EQ(seenW, 0xFFFFFFFFFFull);
    EXPECT_EQ(seenL, -2);
}

TEST(WindowChannelTest, NoWindowWhenNothingListensOrOnlyAStaleSocketIsLeft) {
    IsolatedRuntime runtime;
    EXPECT_FALSE(FindWindowByTitle(kTitle, 200ms));
    EXPECT_EQ(SendMessageToWindow(kTitle, WM_FRAME_ACTIVATE, 0, 0, 500ms), RemoteSendStatus::NoWindow);

    // A socket file whose server has gone.
    {
        Receiver receiver;
        CWindowChannel channel(&receiver, {WM_FRAME_ACTIVATE});
        ASSERT_TRUE(channel.Listen(kTitle));
    }
    std::ofstream(WindowChannelPath(kTitle).toStdString()) << "";
    EXPECT_FALSE(FindWindowByTitle(kTitle, 200ms));
    EXPECT_EQ(SendMessageToWindow(kTitle, WM_FRAME_ACTIVATE, 0, 0, 500ms), RemoteSendStatus::NoWindow);
}

TEST(WindowChannelTest, ListeningReplacesALeftOverSocketFileAndClosingRemovesIt) {
    IsolatedRuntime runtime;
    const std::string path = WindowChannelPath(kTitle).toStdString();
    std::ofstream(path) << "left over";
    Receiver receiver;
    receiver.SetMessageHandler(WM_FRAME_ACTIVATE, [](WPARAM, LPARAM) { return LRESULT{7}; });
    CWindowChannel channel(&receiver, {WM_FRAME_ACTIVATE});
    ASSERT_TRUE(channel.Listen(kTitle));

    auto client = std::async(std::launch::async, [] {
        LRESULT result = 0;
        SendMessageToWindow(kTitle, WM_FRAME_ACTIVATE, 0, 0, 5s, &result);
        return result;
    });
    ASSERT_TRUE(Finished(client));
    EXPECT_EQ(client.get(), 7);

    channel.Close();
    EXPECT_FALSE(channel.IsListening());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(WindowChannelTest, ALiveWindowKeepsItsTitle) {
    IsolatedRuntime runtime;
    TraceCapture traces;
    Receiver first;
    first.SetMessageHandler(WM_FRAME_ACTIVATE, [](WPARAM, LPARAM) { return LRESULT{1}; });
    CWindowChannel live(&first, {WM_FRAME_ACTIVATE});
    ASSERT_TRUE(live.Listen(kTitle));

    Receiver second;
    CWindowChannel late(&second, {WM_FRAME_ACTIVATE});
    EXPECT_FALSE(late.Listen(kTitle));
    EXPECT_EQ(traces.CountContaining("CWindowChannel::Listen===A live window listens on "), 1);

    auto client = std::async(std::launch::async, [] {
        LRESULT result = 0;
        SendMessageToWindow(kTitle, WM_FRAME_ACTIVATE, 0, 0, 5s, &result);
        return result;
    });
    ASSERT_TRUE(Finished(client));
    EXPECT_EQ(client.get(), 1) << "the live window lost its title";
}

TEST(WindowChannelTest, GarbageAndMessagesNotAcceptedFromOutsideAreRefused) {
    IsolatedRuntime runtime;
    TraceCapture traces;
    Receiver receiver;
    int handled = 0;
    int songs = 0;
    receiver.SetMessageHandler(WM_FRAME_ACTIVATE, [&](WPARAM, LPARAM) {
        ++handled;
        return LRESULT{1};
    });
    receiver.SetMessageHandler(WM_FRAME_LIBSONG, [&](WPARAM, LPARAM) {
        ++songs;
        return LRESULT{1};
    });
    CWindowChannel channel(&receiver, {WM_FRAME_ACTIVATE});
    ASSERT_TRUE(channel.Listen(kTitle));

    // A message the window takes from its own windows only: its lParam would
    // be an address another process chose.
    auto foreign = std::async(std::launch::async, [] {
        return SendMessageToWindow(kTitle, WM_FRAME_LIBSONG, 1, 0x12345678, 5s);
    });
    ASSERT_TRUE(Finished(foreign));
    EXPECT_EQ(foreign.get(), RemoteSendStatus::NoAnswer);
    EXPECT_EQ(songs, 0);
    EXPECT_TRUE(traces.Has("CWindowChannel===Refused message 0x0465 from another process."));

    auto garbage = std::async(std::launch::async, [] {
        QLocalSocket socket;
        socket.connectToServer(WindowChannelPath(kTitle));
        if (!socket.waitForConnected(5000)) return false;
        socket.write(QByteArray(24, 'x'));
        socket.waitForBytesWritten(5000);
        // The window drops the connection without an answer.
        while (socket.state() == QLocalSocket::ConnectedState && socket.bytesAvailable() == 0) {
            if (!socket.waitForReadyRead(5000)) break;
        }
        return socket.bytesAvailable() == 0;
    });
    ASSERT_TRUE(Finished(garbage));
    EXPECT_TRUE(garbage.get());
    EXPECT_EQ(handled, 0);

    auto client = std::async(std::launch::async,
                             [] { return SendMessageToWindow(kTitle, WM_FRAME_ACTIVATE, 0, 0, 5s); });
    ASSERT_TRUE(Finished(client));
    EXPECT_EQ(client.get(), RemoteSendStatus::Delivered);
    EXPECT_EQ(handled, 1);
}

// Peers that connect and never send a whole message (nothing at all, or
// half a message): each is closed after a second, and the window goes on
// taking messages meanwhile.
TEST(WindowChannelTest, APeerThatNeverSendsAWholeMessageIsClosedAfterASecond) {
    IsolatedRuntime runtime;
    TraceCapture traces;
    Receiver receiver;
    int handled = 0;
    receiver.SetMessageHandler(WM_FRAME_ACTIVATE, [&](WPARAM, LPARAM) {
        ++handled;
        return LRESULT{1};
    });
    CWindowChannel channel(&receiver, {WM_FRAME_ACTIVATE});
    ASSERT_TRUE(channel.Listen(kTitle));

    // Each returns how long the window kept it, in ms (-1 when it never closed).
    auto silent = [](int bytes) {
        return std::async(std::launch::async, [bytes] {
            QLocalSocket socket;
            socket.connectToServer(WindowChannelPath(kTitle));
            if (!socket.waitForConnected(5000)) return qint64(-2);
            QElapsedTimer kept;
            kept.start();
            if (bytes > 0) {
                socket.write(QByteArray(bytes, 'T'));
                socket.waitForBytesWritten(5000);
            }
            while (socket.state() == QLocalSocket::ConnectedState && kept.elapsed() < 10000) socket.waitForReadyRead(100);
            return socket.state() == QLocalSocket::ConnectedState ? qint64(-1) : kept.elapsed();
        });
    };
    auto quiet = silent(0);
    auto half = silent(12);
    auto client = std::async(std::launch::async,
                             [] { return SendMessageToWindow(kTitle, WM_FRAME_ACTIVATE, 0, 0, 5s); });
    ASSERT_TRUE(Finished(client));
    EXPECT_EQ(client.get(), RemoteSendStatus::Delivered);
    ASSERT_TRUE(Finished(quiet));
    ASSERT_TRUE(Finished(half));
    for (auto* peer : {&quiet, &half}) {
        const qint64 kept = peer->get();
        EXPECT_GE(kept, CWindowChannel::kMessageTimeout.count() - 100);
        EXPECT_LT(kept, 8000) << "closed, not left open";
    }
    EXPECT_EQ(traces.CountContaining("CWindowChannel===No whole message in 1000 ms, connection closed."), 2);
    EXPECT_EQ(handled, 1);
}
