// The message layer: posting, sending on the same thread and across threads,
// handler and command tables, and targets that go away while a send waits.

#include "common/MessageIds.h"
#include "common/WindowMessage.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tests/support/TraceCapture.h"

#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Received {
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
};

// A window that records what reaches it, the way the program's windows use
// the layer.
class TestWindow : public QWidget, public CMessageTarget {
public:
    TestWindow() : CMessageTarget(this) {}

    std::vector<Received> unhandled;

protected:
    LRESULT DefWindowProc(unsigned message, WPARAM wParam, LPARAM lParam) override {
        unhandled.push_back({message, wParam, lParam});
        return -7;
    }
};

// A plain object target, for living on a worker thread.
class TestObject : public QObject, public CMessageTarget {
public:
    TestObject() : CMessageTarget(this) {}
};

// A thread with an event loop that ends and is joined with the test.
class EventThread {
public:
    EventThread() { m_thread.start(); }
    ~EventThread() {
        m_thread.quit();
        m_thread.wait(10000);
    }
    QThread* Get() { return &m_thread; }

private:
    QThread m_thread;
};

bool Ready(std::future<SendStatus>& future) { return future.wait_for(0s) == std::future_status::ready; }

}  // namespace

TEST(WindowMessageTest, PostedMessagesArriveInOrderWithTheirParameters) {
    TestWindow window;
    std::vector<Received> received;
    for (unsigned message : {WM_PLAYER_SONGEND, WM_PLAYER_ERROR, WM_LYRIC_SYNC}) {
        window.SetMessageHandler(message, [&received, message](WPARAM w, LPARAM l) {
            received.push_back({message, w, l});
            return 0;
        });
    }
    int data = 5;
    ASSERT_TRUE(PostMessage(&window, WM_PLAYER_SONGEND, 1, -1));
    ASSERT_TRUE(PostMessage(&window, WM_PLAYER_ERROR, ~WPARAM{0}, reinterpret_cast<LPARAM>(&data)));
    ASSERT_TRUE(PostMessage(window.Handle(), WM_LYRIC_SYNC, 0, 123456789012345LL));
    EXPECT_TRUE(received.empty()) << "posting must not run handlers";

    ASSERT_TRUE(WaitUntil([&] { return received.size() == 3; }));
    EXPECT_EQ(received[0].message, WM_PLAYER_SONGEND);
    EXPECT_EQ(received[0].lParam, -1);
    EXPECT_EQ(received[1].wParam, ~WPARAM{0});
    EXPECT_EQ(*reinterpret_cast<int*>(received[1].lParam), 5);
    EXPECT_EQ(received[2].message, WM_LYRIC_SYNC);
    EXPECT_EQ(received[2].lParam, 123456789012345LL);
}

TEST(WindowMessageTest, APostedTextIsReadableByItsHandlerOnlyAndFreedWithTheMessage) {
    TestWindow window;
    std::vector<std::u16string> texts;
    std::vector<bool> strangerRead;
    window.SetMessageHandler(WM_FRAME_LIBSONG, [&](WPARAM wParam, LPARAM lParam) {
        const std::u16string* text = MessageText(lParam);
        texts.push_back(text ? *text : u"<none>");
        // Only the message's own lParam opens its text.
        strangerRead.push_back(MessageText(lParam + 2) != nullptr || MessageText(0) != nullptr);
        if (text) {
            EXPECT_EQ(reinterpret_cast<const char16_t*>(lParam)[text->size()], u'\0');
        }
        return static_cast<LRESULT>(wParam);
    });
    ASSERT_TRUE(PostMessageWithText(window.Handle(), WM_FRAME_LIBSONG, 1, u"123_456"));
    // The same number with a bare lParam, as another process could send it.
    ASSERT_TRUE(PostMessage(window.Handle(), WM_FRAME_LIBSONG, 0, 0x1234));
    ASSERT_TRUE(WaitUntil([&] { return texts.size() == 2; }));
    EXPECT_EQ(texts[0], u"123_456");
    EXPECT_EQ(texts[1], u"<none>");
    EXPECT_EQ(strangerRead, std::vector<bool>({false, false}));
    EXPECT_EQ(MessageText(0), nullptr) << "no handler runs now";

    // Texts of messages that never arrive are freed with them (the leak
    // check of the sanitised build watches this).
    const CMessageHandle handle = [] {
        auto doomed = std::make_unique<TestWindow>();
        EXPECT_TRUE(PostMessageWithText(doomed->Handle(), WM_FRAME_LIBSONG, 1, std::u16string(4096, u'7')));
        return doomed->Handle();
    }();
    EXPECT_FALSE(PostMessageWithText(handle, WM_FRAME_LIBSONG, 1, u"1"));
    EXPECT_FALSE(PostMessageWithText(CMessageHandle(), WM_FRAME_LIBSONG, 1, u"1"));
}

TEST(WindowMessageTest, SendOnTheSameThreadRunsTheHandlerAtOnce) {
    TestWindow window;
    window.SetMessageHandler(WM_PLAYER_SONGREADY, [](WPARAM w, LPARAM l) { return static_cast<LRESULT>(w) + l; });
    EXPECT_EQ(SendMessage(&window, WM_PLAYER_SONGREADY, 40, 2), 42);
    EXPECT_EQ(SendMessage(window.Handle(), WM_PLAYER_SONGREADY, 1, 1), 2);
    LRESULT result = 0;
    EXPECT_EQ(SendMessageTimeout(window.Handle(), WM_PLAYER_SONGREADY, 3, 3, 0ms, &result), SendStatus::Handled);
    EXPECT_EQ(result, 6);

    // A message without a handler ends in DefWindowProc.
    EXPECT_EQ(SendMessage(&window, WM_PANEL_ALBUMDONE, 9, 8), -7);
    ASSERT_EQ(window.unhandled.size(), 1u);
    EXPECT_EQ(window.unhandled[0].message, WM_PANEL_ALBUMDONE);
    EXPECT_EQ(window.unhandled[0].wParam, 9u);

    // An empty handler removes the entry.
    window.SetMessageHandler(WM_PLAYER_SONGREADY, {});
    EXPECT_EQ(SendMessage(&window, WM_PLAYER_SONGREADY, 40, 2), -7);
}

TEST(WindowMessageTest, CommandsAreDispatchedByNumber) {
    TestWindow window;
    std::vector<int> ran;
    window.SetCommandHandler(1018, [&] { ran.push_back(1018); });
    window.SetCommandHandler(32862, [&] { ran.push_back(32862); });

    EXPECT_TRUE(window.OnCommand(1018));
    EXPECT_FALSE(window.OnCommand(4242));
    EXPECT_EQ(SendMessage(&window, WM_COMMAND, 32862, 0), 0);
    ASSERT_TRUE(PostCommand(&window, 1018));
    ASSERT_TRUE(PostCommand(window.Handle(), 32862));
    ASSERT_TRUE(WaitUntil([&] { return ran.size() == 4; }));
    EXPECT_EQ(ran, (std::vector<int>{1018, 32862, 1018, 32862}));

    // A command without a handler is an unhandled WM_COMMAND.
    SendMessage(&window, WM_COMMAND, 4242, 0);
    ASSERT_EQ(window.unhandled.size(), 1u);
    EXPECT_EQ(window.unhandled[0].message, WM_COMMAND);
    EXPECT_EQ(window.unhandled[0].wParam, 4242u);
}

TEST(WindowMessageTest, AHandlerMayReplaceItselfWhileItRuns) {
    TestWindow window;
    int calls = 0;
    window.SetMessageHandler(WM_PANEL_ALBUMNAMED, [&window, &calls](WPARAM, LPARAM) {
        ++calls;
        window.SetMessageHandler(WM_PANEL_ALBUMNAMED, [](WPARAM, LPARAM) { return LRESULT{2}; });
        return LRESULT{1};
    });
    EXPECT_EQ(SendMessage(&window, WM_PANEL_ALBUMNAMED), 1);
    EXPECT_EQ(SendMessage(&window, WM_PANEL_ALBUMNAMED), 2);
    EXPECT_EQ(calls, 1);
}

TEST(WindowMessageTest, AFailingHandlerIsTracedAndAnswersZero) {
    TraceCapture traces;
    TestWindow window;
    window.SetMessageHandler(WM_PLAYER_SONGEND, [](WPARAM, LPARAM) -> LRESULT { throw std::runtime_error("boom"); });
    EXPECT_EQ(SendMessage(&window, WM_PLAYER_SONGEND), 0);
    EXPECT_TRUE(traces.Has("DispatchMessage===Message 0x0451 failed : boom"));
}

TEST(WindowMessageTest, NoTargetAcceptsNothing) {
    EXPECT_FALSE(PostMessage(static_cast<QObject*>(nullptr), WM_PLAYER_SONGEND));
    EXPECT_EQ(SendMessage(static_cast<QObject*>(nullptr), WM_PLAYER_SONGEND), 0);
    const CMessageHandle empty;
    EXPECT_FALSE(empty.IsAlive());
    EXPECT_FALSE(PostMessage(empty, WM_PLAYER_SONGEND));
    EXPECT_EQ(SendMessageTimeout(empty, WM_PLAYER_SONGEND, 0, 0, 1s), SendStatus::NoTarget);
}

TEST(WindowMessageTest, SendFromAWorkerWaitsUntilTheBusyReceiverThreadGetsToIt) {
    TestWindow window;
    std::atomic<QThread*> handledOn{nullptr};
    window.SetMessageHandler(WM_PLAYER_SONGREADY, [&](WPARAM w, LPARAM l) {
        handledOn = QThread::currentThread();
        return static_cast<LRESULT>(w) * 2 + *reinterpret_cast<int*>(l);
    });
    const CMessageHandle handle = window.Handle();

    auto worker = std::async(std::launch::async, [handle] {
        int fromTheWorkersStack = 1;
        LRESULT result = 0;
        const SendStatus status =
            SendMessageTimeout(handle, WM_PLAYER_SONGREADY, 20, reinterpret_cast<LPARAM>(&fromTheWorkersStack), 20s, &result);
        return status == SendStatus::Handled ? result : LRESULT{-1};
    });

    // This thread is busy: the message waits, and so does the sender.
    ASSERT_TRUE(WaitUntilBusy([&] { return handle.PendingSends() == 1; }));
    EXPECT_EQ(worker.wait_for(50ms), std::future_status::timeout);
    EXPECT_EQ(handledOn.load(), nullptr);

    ASSERT_TRUE(WaitUntil([&] { return worker.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(worker.get(), 41);
    EXPECT_EQ(handledOn.load(), QThread::currentThread());
    EXPECT_EQ(handle.PendingSends(), 0);
}

TEST(WindowMessageTest, SendThroughAPointerFromAWorkerIsHandedOver) {
    TestWindow window;
    window.SetMessageHandler(WM_FRAME_SONGINFO, [](WPARAM w, LPARAM) { return static_cast<LRESULT>(w) + 1; });
    QObject* target = &window;
    auto worker = std::async(std::launch::async, [target] { return SendMessage(target, WM_FRAME_SONGINFO, 99, 0); });
    ASSERT_TRUE(WaitUntil([&] { return worker.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(worker.get(), 100);
}

TEST(WindowMessageTest, SendToAnObjectOnAnotherThreadRunsThere) {
    EventThread thread;
    auto* object = new TestObject;
    std::atomic<QThread*> handledOn{nullptr};
    object->SetMessageHandler(WM_PANEL_RECOMMENDDONE, [&](WPARAM w, LPARAM) {
        handledOn = QThread::currentThread();
        return static_cast<LRESULT>(w) * 3;
    });
    object->moveToThread(thread.Get());
    const CMessageHandle handle = object->Handle();

    LRESULT result = 0;
    EXPECT_EQ(SendMessageTimeout(handle, WM_PANEL_RECOMMENDDONE, 5, 0, 10s, &result), SendStatus::Handled);
    EXPECT_EQ(result, 15);
    EXPECT_EQ(SendMessage(object, WM_PANEL_RECOMMENDDONE, 7, 0), 21);
    EXPECT_EQ(handledOn.load(), thread.Get());

    object->deleteLater();
    ASSERT_TRUE(WaitUntilBusy([&] { return !handle.IsAlive(); }));
}

TEST(WindowMessageTest, ManyWorkersSendingAtOnceEachGetTheirOwnAnswer) {
    TestWindow window;
    window.SetMessageHandler(WM_PLAYER_SONGREADY, [](WPARAM w, LPARAM l) { return static_cast<LRESULT>(w) * 1000 + l; });
    const CMessageHandle handle = window.Handle();
    constexpr int kSends = 200;
    std::vector<std::future<int>> workers;
    for (int worker = 0; worker < 3; ++worker) {
        workers.push_back(std::async(std::launch::async, [handle, worker] {
            int wrong = 0;
            for (int i = 0; i < kSends; ++i) {
                if (SendMessage(handle, WM_PLAYER_SONGREADY, static_cast<WPARAM>(worker), i) != worker * 1000 + i) ++wrong;
            }
            return wrong;
        }));
    }
    ASSERT_TRUE(WaitUntil([&] {
        for (auto& worker : workers)
            if (worker.wait_for(0s) != std::future_status::ready) return false;
        return true;
    }, 30s));
    for (auto& worker : workers) EXPECT_EQ(worker.get(), 0);
}

TEST(WindowMessageTest, SendToAWindowDestroyedWhileTheSendWaitsReturnsWithoutRunningIt) {
    auto window = std::make_unique<TestWindow>();
    std::atomic<int> ran{0};
    window->SetMessageHandler(WM_PLAYER_SONGREADY, [&](WPARAM, LPARAM) {
        ++ran;
        return LRESULT{1};
    });
    const CMessageHandle handle = window->Handle();
    auto worker = std::async(std::launch::async, [handle] {
        LRESULT result = 5;
        const SendStatus status = SendMessageTimeout(handle, WM_PLAYER_SONGREADY, 0, 0, 20s, &result);
        return result == 0 ? status : SendStatus::Handled;
    });
    ASSERT_TRUE(WaitUntilBusy([&] { return handle.PendingSends() == 1; }));

    window.reset();

    ASSERT_EQ(worker.wait_for(10s), std::future_status::ready) << "the sender hangs";
    EXPECT_EQ(worker.get(), SendStatus::NoTarget);
    EXPECT_EQ(ran.load(), 0);
    EXPECT_FALSE(handle.IsAlive());
    EXPECT_FALSE(PostMessage(handle, WM_PLAYER_SONGREADY));
    EXPECT_EQ(SendMessage(handle, WM_PLAYER_SONGREADY), 0);
    EXPECT_EQ(handle.PendingSends(), 0);
}

TEST(WindowMessageTest, SendToATargetDestroyedByItsBusyThreadReturnsWithoutHanging) {
    EventThread thread;
    auto* blocker = new TestObject;
    auto* target = new TestObject;
    std::atomic<int> targetRan{0};
    std::atomic<bool> blockerRunning{false};
    target->SetMessageHandler(WM_PANEL_ALBUMDONE, [&](WPARAM, LPARAM) {
        ++targetRan;
        return LRESULT{1};
    });
    const CMessageHandle targetHandle = target->Handle();
    // The target's thread is busy in another handler until the send waits,
    // and then destroys the target.
    blocker->SetMessageHandler(WM_PANEL_ALBUMDONE, [&, target](WPARAM, LPARAM) {
        blockerRunning = true;
        if (WaitUntilBusy([&] { return targetHandle.PendingSends() == 1; })) delete target;
        return LRESULT{0};
    });
    blocker->moveToThread(thread.Get());
    target->moveToThread(thread.Get());
    ASSERT_TRUE(PostMessage(blocker, WM_PANEL_ALBUMDONE));
    ASSERT_TRUE(WaitUntilBusy([&] { return blockerRunning.load(); }));

    std::future<SendStatus> sender = std::async(std::launch::async, [targetHandle] {
        return SendMessageTimeout(targetHandle, WM_PANEL_ALBUMDONE, 0, 0, 20s);
    });
    ASSERT_TRUE(WaitUntilBusy([&] { return Ready(sender); }));
    EXPECT_EQ(sender.get(), SendStatus::NoTarget);
    EXPECT_EQ(targetRan.load(), 0);
    const CMessageHandle blockerHandle = blocker->Handle();
    blocker->deleteLater();
    ASSERT_TRUE(WaitUntilBusy([&] { return !blockerHandle.IsAlive(); }));
}

TEST(WindowMessageTest, ASendThatTimedOutIsNeverHandled) {
    EventThread thread;
    auto* target = new TestObject;
    std::atomic<bool> release{false};
    std::atomic<bool> busy{false};
    std::atomic<int> abandonedRan{0};
    std::atomic<int> markers{0};
    target->SetMessageHandler(WM_PANEL_ALBUMNAMED, [&](WPARAM, LPARAM) {
        busy = true;
        WaitUntilBusy([&] { return release.load(); });
        return LRESULT{0};
    });
    target->SetMessageHandler(WM_PLAYER_SONGREADY, [&](WPARAM, LPARAM l) {
        // Reading lParam here would touch the sender's stack after it left.
        abandonedRan += l != 0 ? 1 : 0;
        return LRESULT{1};
    });
    target->SetMessageHandler(WM_PANEL_ALBUMRENAMED, [&](WPARAM, LPARAM) {
        ++markers;
        return LRESULT{0};
    });
    target->moveToThread(thread.Get());
    const CMessageHandle handle = target->Handle();
    ASSERT_TRUE(PostMessage(handle, WM_PANEL_ALBUMNAMED));
    ASSERT_TRUE(WaitUntilBusy([&] { return busy.load(); }));

    int senderData = 1;
    LRESULT result = 9;
    EXPECT_EQ(SendMessageTimeout(handle, WM_PLAYER_SONGREADY, 0, reinterpret_cast<LPARAM>(&senderData), 30ms, &result),
              SendStatus::TimedOut);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(handle.PendingSends(), 0);

    release = true;
    ASSERT_TRUE(PostMessage(handle, WM_PANEL_ALBUMRENAMED));
    ASSERT_TRUE(WaitUntilBusy([&] { return markers.load() == 1; }));
    EXPECT_EQ(abandonedRan.load(), 0);
    target->deleteLater();
    ASSERT_TRUE(WaitUntilBusy([&] { return !handle.IsAlive(); }));
}
