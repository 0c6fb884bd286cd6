#pragma once
// Numbered window messages over Qt events.
//
// A message is (message, wParam, lParam); lParam is wide enough for a
// pointer. Any QObject can receive messages; a window or object that wants
// them dispatched by number derives from CMessageTarget as well and fills
// its handler tables in its constructor:
//
//   class CPlayMainDlg : public QDialog, public CMessageTarget {
//   public:
//       CPlayMainDlg() : CMessageTarget(this) {
//           SetMessageHandler(WM_PLAYER_SONGEND, [this](WPARAM, LPARAM) { return OnSongEnd(); });
//           SetCommandHandler(1018, [this] { OnButtonStop(); });
//       }
//   };
//
// PostMessage queues the message for the target's thread and returns at
// once. SendMessage runs the handler and returns its result: directly when
// the target lives on the calling thread, else as a blocking hand-over to
// the target's thread (the caller waits until the handler has run). A send
// to a target that is destroyed before its thread gets to the message
// returns 0 without running anything.
//
// Threads other than the target's should address it through its
// CMessageHandle (from CMessageTarget::Handle()): a handle knows when its
// target has gone, so posting and sending through it is safe at any moment.
// A thread that waits in a send does not handle messages sent to its own
// objects meanwhile, so two threads must never send to each other. When the
// user-interface thread gives up waiting for a worker that is blocked in a
// send to it, the message is handled later from the event loop: its handler
// must check that the worker's work is still wanted (a generation token), or
// the worker sends with SendMessageTimeout.
//
// A posted message may carry a text of its own (PostMessageWithText): the
// message owns it, lParam points at its characters, the handler reads it
// through MessageText while it runs, and the text is freed with the message:
// after the handler, or unread when the target goes first. Nobody else frees
// it, so a message that is never delivered neither leaks nor dangles.

#include <QEvent>
#include <QObject>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

namespace message_detail {
struct Reply;
struct Mailbox;
}  // namespace message_detail

// The event that carries a message. Its type is registered once per process.
class CMessageEvent : public QEvent {
public:
    CMessageEvent(unsigned message, WPARAM wParam, LPARAM lParam);
    ~CMessageEvent() override;
    CMessageEvent(const CMessageEvent&) = delete;
    CMessageEvent& operator=(const CMessageEvent&) = delete;

    static QEvent::Type EventType();

    unsigned Message() const { return m_message; }
    WPARAM WParam() const { return m_wParam; }
    LPARAM LParam() const { return m_lParam; }

    // Set by the receiver; what SendMessage returns.
    LRESULT Result() const { return m_result; }
    void SetResult(LRESULT result) { m_result = result; }

    // For the message layer: a send from another thread waits on this.
    void AttachReply(std::shared_ptr<message_detail::Reply> reply);
    // The text the message owns (PostMessageWithText), or nullptr.
    void AttachText(std::unique_ptr<const std::u16string> text) { m_text = std::move(text); }
    const std::u16string* Text() const { return m_text.get(); }
    // A receiver that handles message events itself (instead of through
    // CMessageTarget) calls this first and skips the message when it returns
    // false: the sender gave up waiting and lParam may no longer be valid.
    bool BeginHandling();

private:
    unsigned m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
    LRESULT m_result = 0;
    std::shared_ptr<message_detail::Reply> m_reply;
    std::unique_ptr<const std::u16string> m_text;
};

// How a send with a time limit ended.
enum class SendStatus { Handled, NoTarget, TimedOut };

// A thread-safe reference to a message target. Empty handles and handles of
// destroyed targets accept nothing.
class CMessageHandle {
public:
    CMessageHandle() = default;

    // True while the target exists.
    bool IsAlive() const;
    // Sends from other threads that wait for this target right now.
    int PendingSends() const;

private:
    friend class CMessageTarget;
    friend bool PostMessage(const CMessageHandle&, unsigned, WPARAM, LPARAM);
    friend bool PostMessageWithText(const CMessageHandle&, unsigned, WPARAM, std::u16string);
    friend SendStatus SendMessageTimeout(const CMessageHandle&, unsigned, WPARAM, LPARAM,
                                                    std::chrono::milliseconds, LRESULT*);
    explicit CMessageHandle(std::shared_ptr<message_detail::Mailbox> mailbox) : m_mailbox(std::move(mailbox)) {}
    std::shared_ptr<message_detail::Mailbox> m_mailbox;
};

// Handler tables keyed by message number and by command number. Construct
// it with the QObject it belongs to (usually `this` of the window), and list
// it after the Qt base class so that the QObject exists first. The tables
// are filled and used on the target's thread only.
class CMessageTarget {
public:
    using MessageHandler = std::function<LRESULT(WPARAM wParam, LPARAM lParam)>;
    using CommandHandler = std::function<void()>;

    explicit CMessageTarget(QObject* self);
    virtual ~CMessageTarget();
    CMessageTarget(const CMessageTarget&) = delete;
    CMessageTarget& operator=(const CMessageTarget&) = delete;

    // Replaces the handler of a message number; an empty handler removes it.
    void SetMessageHandler(unsigned message, MessageHandler handler);
    // Replaces the handler of a command number (menus, buttons and the tray
    // all arrive here, as WM_COMMAND with the command number in wParam).
    void SetCommandHandler(int command, CommandHandler handler);

    // Runs the command's handler on the calling thread; false when the
    // command has none.
    bool OnCommand(int command);

    // Runs the message's handler on the calling thread, which must be the
    // target's thread. Messages without a handler go to DefWindowProc.
    LRESULT DispatchMessage(unsigned message, WPARAM wParam, LPARAM lParam);

    QObject* MessageObject() const { return m_self; }
    CMessageHandle Handle() const { return CMessageHandle(m_mailbox); }

protected:
    // Messages without a handler end here; returns 0.
    virtual LRESULT DefWindowProc(unsigned message, WPARAM wParam, LPARAM lParam);

private:
    class Filter;
    QObject* m_self;
    Filter* m_filter;
    std::shared_ptr<message_detail::Mailbox> m_mailbox;
    std::unordered_map<unsigned, MessageHandler> m_messageHandlers;
    std::unordered_map<int, CommandHandler> m_commandHandlers;
};

// Queues a message for the target's thread. False when there is no target.
// With a raw pointer the caller guarantees that the target exists.
bool PostMessage(QObject* target, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);
bool PostMessage(const CMessageHandle& target, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);

// Queues a message that carries `text`: lParam points at its first character
// (the text ends with a 0). False, and the text freed, when there is no target.
bool PostMessageWithText(const CMessageHandle& target, unsigned message, WPARAM wParam, std::u16string text);

// Runs the handler of a target on this thread with a message that carries
// `text`, as PostMessageWithText would deliver it; its result.
LRESULT SendMessageWithText(QObject* target, unsigned message, WPARAM wParam, std::u16string text);

// For the handler of a message on this thread: the text that message carries
// when `lParam` is that text, else nullptr. An lParam that came from anywhere
// else (another process, a message without text) is never read.
const std::u16string* MessageText(LPARAM lParam);

// Runs the target's handler and returns its result; 0 when there is no
// target or it was destroyed before handling the message. Waits as long as
// the target's thread needs to get to the message.
LRESULT SendMessage(QObject* target, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);
LRESULT SendMessage(const CMessageHandle& target, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);

// A send with a limit on the wait for the target's thread to start the
// handler. Once the handler runs the sender waits for it to finish (lParam
// may point at the sender's data); a message whose wait timed out is never
// handled.
SendStatus SendMessageTimeout(const CMessageHandle& target, unsigned message, WPARAM wParam, LPARAM lParam,
                              std::chrono::milliseconds timeout, LRESULT* result = nullptr);

// WM_COMMAND with the command number, posted or sent.
bool PostCommand(QObject* target, int command);
bool PostCommand(const CMessageHandle& target, int command);
