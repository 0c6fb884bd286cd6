#pragma once
// Finding a top-level window of another process by its title and sending it
// a message.
//
// A window that other processes may find listens on a local socket named
// after its title: "tonvik-window-" followed by the first 16 hexadecimal
// digits of the SHA-1 of the title's UTF-8 bytes, in the user's runtime
// folder. The close tool and a second start of the player use the same
// derivation through WindowChannelPath.
//
// On the wire a message is 24 bytes, big-endian: the tag "TVWM", the
// message number (32 bits), wParam (64 bits) and lParam (64 bits). A message
// that carries a text has the tag "TVWT" and the text's length in bytes in
// place of lParam (at most kMaxChannelText), and the text (UTF-8) follows;
// its handler reads the text with MessageText. The window answers one byte
// 'A' as soon as it has the message, then the handler's result (64 bits). A
// connection that closes after the 'A' was delivered too (the orderly close
// ends the process before it can answer).

#include "common/WindowMessage.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <initializer_list>
#include <string_view>
#include <vector>

class QLocalServer;
class QLocalSocket;

// The socket path of the window titled `utf8Title`.
QString WindowChannelPath(std::string_view utf8Title);

// Whether a live process has a window with this title (FindWindow).
bool FindWindowByTitle(std::string_view utf8Title, std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));

enum class RemoteSendStatus {
    NoWindow,   // nothing listens under that title
    Delivered,  // the window has the message
    NoAnswer,   // connected, but the window did not take the message in time
};

// Sends a message to the window titled `utf8Title` and waits, at most
// `timeout` for each step, for it to be taken and handled. `result` gets the
// handler's result when it came back.
RemoteSendStatus SendMessageToWindow(std::string_view utf8Title, unsigned message, WPARAM wParam, LPARAM lParam,
                                     std::chrono::milliseconds timeout, LRESULT* result = nullptr);

// Sends a message that carries a text (at most kMaxChannelText bytes of
// UTF-8; a longer one is not sent: NoAnswer), as SendMessageToWindow does.
inline constexpr size_t kMaxChannelText = 4096;
RemoteSendStatus SendTextToWindow(std::string_view utf8Title, unsigned message, WPARAM wParam, std::string_view utf8Text,
                                  std::chrono::milliseconds timeout, LRESULT* result = nullptr);

// Makes a message target findable by title: each message that arrives is
// sent to the target on this object's thread, as if sent in-process, when
// its number is one the target accepts from other processes. Any other is
// dropped with a trace and its connection closed unanswered: its parameters
// are values another process chose, and some messages carry pointers.
//
// A peer has kMessageTimeout from its connection to send a whole message;
// one that has not by then is closed with a trace, so that nobody can hold
// connections open without saying anything.
class CWindowChannel : public QObject {
public:
    static constexpr std::chrono::milliseconds kMessageTimeout{1000};

    CWindowChannel(QObject* target, std::initializer_list<unsigned> acceptedMessages, QObject* parent = nullptr);
    ~CWindowChannel() override;
    CWindowChannel(const CWindowChannel&) = delete;
    CWindowChannel& operator=(const CWindowChannel&) = delete;

    // Starts listening under the title. A socket file nobody answers on (left
    // by a process that died) is replaced; a live window keeps its title and
    // this fails, as it does when the socket cannot be made at all.
    bool Listen(std::string_view utf8Title);
    // Stops listening and removes the socket file.
    void Close();
    bool IsListening() const;

private:
    void OnNewConnection();
    void OnReadable(QLocalSocket* socket);

    QPointer<QObject> m_target;
    std::vector<unsigned> m_acceptedMessages;
    QLocalServer* m_server;
};
