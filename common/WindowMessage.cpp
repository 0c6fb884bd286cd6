#include "common/WindowMessage.h"

#include "common/MessageIds.h"
#include "common/Trace.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>

namespace message_detail {

// What a sender on another thread waits for.
struct Reply {
    enum class State { Pending, Running, Finished, Abandoned };
    std::mutex mutex;
    std::condition_variable changed;
    State state = State::Pending;
    bool handled = false;
    LRESULT result = 0;
};

// Shared between a target and its handles; `object` is cleared when the
// target goes, under `mutex`, so nothing is posted to a dead object.
struct Mailbox {
    std::mutex mutex;
    QObject* object = nullptr;
    std::atomic<int> pendingSends{0};
};

}  // namespace message_detail

using message_detail::Mailbox;
using message_detail::Reply;

// ---------------------------------------------------------------- event

CMessageEvent::CMessageEvent(unsigned message, WPARAM wParam, LPARAM lParam)
    : QEvent(EventType()), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

CMessageEvent::~CMessageEvent() {
    // Qt deletes a posted event after delivering it, and also when its
    // receiver is destroyed first; either way the sender is released here.
    if (!m_reply) return;
    {
        std::lock_guard lock(m_reply->mutex);
        if (m_reply->state == Reply::State::Running) {
            m_reply->handled = true;
            m_reply->result = m_result;
        }
        if (m_reply->state != Reply::State::Abandoned) m_reply->state = Reply::State::Finished;
    }
    m_reply->changed.notify_all();
}

QEvent::Type CMessageEvent::EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void CMessageEvent::AttachReply(std::shared_ptr<Reply> reply) { m_reply = std::move(reply); }

bool CMessageEvent::BeginHandling() {
    if (!m_reply) return true;
    std::lock_guard lock(m_reply->mutex);
    if (m_reply->state != Reply::State::Pending) return false;
    m_reply->state = Reply::State::Running;
    return true;
}

// ---------------------------------------------------------------- handle

bool CMessageHandle::IsAlive() const {
    if (!m_mailbox) return false;
    std::lock_guard lock(m_mailbox->mutex);
    return m_mailbox->object != nullptr;
}

int CMessageHandle::PendingSends() const { return m_mailbox ? m_mailbox->pendingSends.load() : 0; }

// ---------------------------------------------------------------- target

namespace {
// The message whose handler runs on this thread now (innermost, when a
// handler runs a nested event loop), for MessageText.
thread_local const CMessageEvent* t_handledMessage = nullptr;
}  // namespace

// Hands the target's message events to its tables.
class CMessageTarget::Filter : public QObject {
public:
    Filter(CMessageTarget* target, QObject* self) : QObject(self), m_target(target) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != CMessageEvent::EventType() || watched != m_target->m_self) return false;
        auto* message = static_cast<CMessageEvent*>(event);
        if (message->BeginHandling()) {
            const CMessageEvent* outer = std::exchange(t_handledMessage, message);
            message->SetResult(m_target->DispatchMessage(message->Message(), message->WParam(), message->LParam()));
            t_handledMessage = outer;
        }
        return true;
    }

private:
    CMessageTarget* m_target;
};

CMessageTarget::CMessageTarget(QObject* self)
    : m_self(self), m_filter(new Filter(this, self)), m_mailbox(std::make_shared<Mailbox>()) {
    m_mailbox->object = self;
    m_self->installEventFilter(m_filter);
}

CMessageTarget::~CMessageTarget() {
    {
        std::lock_guard lock(m_mailbox->mutex);
        m_mailbox->object = nullptr;
    }
    // Messages still queued are dropped with the QObject, which releases
    // their senders.
    m_self->removeEventFilter(m_filter);
    delete m_filter;
}

void CMessageTarget::SetMessageHandler(unsigned message, MessageHandler handler) {
    if (handler) {
        m_messageHandlers[message] = std::move(handler);
    } else {
        m_messageHandlers.erase(message);
    }
}

void CMessageTarget::SetCommandHandler(int command, CommandHandler handler) {
    if (handler) {
        m_commandHandlers[command] = std::move(handler);
    } else {
        m_commandHandlers.erase(command);
    }
}

bool CMessageTarget::OnCommand(int command) {
    const auto found = m_commandHandlers.find(command);
    if (found == m_commandHandlers.end()) return false;
    // A copy, so that a handler may replace its own entry.
    const CommandHandler handler = found->second;
    handler();
    return true;
}

LRESULT CMessageTarget::DispatchMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    // No failure crosses a message: what a handler throws ends here.
    try {
        const auto found = m_messageHandlers.find(message);
        if (found != m_messageHandlers.end()) {
            const MessageHandler handler = found->second;
            return handler(wParam, lParam);
        }
        if (message == WM_COMMAND && OnCommand(static_cast<int>(wParam))) return 0;
        return DefWindowProc(message, wParam, lParam);
    } catch (const std::exception& error) {
        Trace("DispatchMessage===Message 0x%04X failed : %s", message, error.what());
    } catch (...) {
        Trace("DispatchMessage===Message 0x%04X failed.", message);
    }
    return 0;
}

LRESULT CMessageTarget::DefWindowProc(unsigned, WPARAM, LPARAM) { return 0; }

// ---------------------------------------------------------------- post and send

namespace {

bool OnCallingThread(const QObject* target) { return target->thread() == QThread::currentThread(); }

LRESULT SendDirect(QObject* target, unsigned message, WPARAM wParam, LPARAM lParam) {
    CMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(target, &event);
    return event.Result();
}

// Queues a message that a reply waits for. The target must be alive.
std::shared_ptr<Reply> PostWithReply(QObject* target, unsigned message, WPARAM wParam, LPARAM lParam) {
    auto reply = std::make_shared<Reply>();
    auto* event = new CMessageEvent(message, wParam, lParam);
    event->AttachReply(reply);
    QCoreApplication::postEvent(target, event);
    return reply;
}

// Waits for the reply; with a limit, gives the message up when its handler
// has not started in time.
SendStatus WaitForReply(Reply& reply, std::optional<std::chrono::milliseconds> timeout, LRESULT* result) {
    std::unique_lock lock(reply.mutex);
    const auto finished = [&reply] { return reply.state == Reply::State::Finished; };
    if (timeout) {
        const auto deadline = std::chrono::steady_clock::now() + *timeout;
        if (!reply.changed.wait_until(lock, deadline, finished) && reply.state == Reply::State::Pending) {
            reply.state = Reply::State::Abandoned;
            return SendStatus::TimedOut;
        }
    }
    reply.changed.wait(lock, finished);
    if (result) *result = reply.result;
    return reply.handled ? SendStatus::Handled : SendStatus::NoTarget;
}

}  // namespace

bool PostMessage(QObject* target, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!target) return false;
    QCoreApplication::postEvent(target, new CMessageEvent(message, wParam, lParam));
    return true;
}

bool PostMessage(const CMessageHandle& target, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!target.m_mailbox) return false;
    std::lock_guard lock(target.m_mailbox->mutex);
    return PostMessage(target.m_mailbox->object, message, wParam, lParam);
}

bool PostMessageWithText(const CMessageHandle& target, unsigned message, WPARAM wParam, std::u16string text) {
    if (!target.m_mailbox) return false;
    auto owned = std::make_unique<const std::u16string>(std::move(text));
    auto* event = new CMessageEvent(message, wParam, reinterpret_cast<LPARAM>(owned->c_str()));
    event->AttachText(std::move(owned));
    std::lock_guard lock(target.m_mailbox->mutex);
    if (!target.m_mailbox->object) {
        delete event;
        return false;
    }
    QCoreApplication::postEvent(target.m_mailbox->object, event);
    return true;
}

LRESULT SendMessageWithText(QObject* target, unsigned message, WPARAM wParam, std::u16string text) {
    if (!target || !OnCallingThread(target)) return 0;
    auto owned = std::make_unique<const std::u16string>(std::move(text));
    CMessageEvent event(message, wParam, reinterpret_cast<LPARAM>(owned->c_str()));
    event.AttachText(std::move(owned));
    QCoreApplication::sendEvent(target, &event);
    return event.Result();
}

const std::u16string* MessageText(LPARAM lParam) {
    const std::u16string* text = t_handledMessage ? t_handledMessage->Text() : nullptr;
    if (!text || reinterpret_cast<LPARAM>(text->c_str()) != lParam) return nullptr;
    return text;
}

LRESULT SendMessage(QObject* target, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!target) return 0;
    if (OnCallingThread(target)) return SendDirect(target, message, wParam, lParam);
    auto reply = PostWithReply(target, message, wParam, lParam);
    LRESULT result = 0;
    WaitForReply(*reply, std::nullopt, &result);
    return result;
}

LRESULT SendMessage(const CMessageHandle& target, unsigned message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    SendMessageTimeout(target, message, wParam, lParam, std::chrono::milliseconds::max(), &result);
    return result;
}

SendStatus SendMessageTimeout(const CMessageHandle& target, unsigned message, WPARAM wParam, LPARAM lParam,
                              std::chrono::milliseconds timeout, LRESULT* result) {
    if (result) *result = 0;
    Mailbox* mailbox = target.m_mailbox.get();
    if (!mailbox) return SendStatus::NoTarget;

    std::unique_lock lock(mailbox->mutex);
    QObject* object = mailbox->object;
    if (!object) return SendStatus::NoTarget;
    if (OnCallingThread(object)) {
        // The target lives on this thread, so it cannot go while we call it.
        lock.unlock();
        const LRESULT value = SendDirect(object, message, wParam, lParam);
        if (result) *result = value;
        return SendStatus::Handled;
    }
    auto reply = PostWithReply(object, message, wParam, lParam);
    ++mailbox->pendingSends;
    lock.unlock();

    std::optional<std::chrono::milliseconds> limit;
    if (timeout != std::chrono::milliseconds::max()) limit = timeout;
    const SendStatus status = WaitForReply(*reply, limit, result);
    --mailbox->pendingSends;
    return status;
}

bool PostCommand(QObject* target, int command) {
    return PostMessage(target, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

bool PostCommand(const CMessageHandle& target, int command) {
    return PostMessage(target, WM_COMMAND, static_cast<WPARAM>(command), 0);
}
