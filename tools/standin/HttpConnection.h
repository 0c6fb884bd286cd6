#pragma once
// One client connection of the stand-in's HTTP server: reads requests one
// after another, asks the handler for each answer and sends it the way the
// answer says (at once, late, held back, cut short, without length, or not
// at all). Lives on the server's thread.

#include "tools/standin/HttpMessage.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QTcpSocket;

namespace standin {

class CHttpConnection : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<St_HttpReply(const St_HttpRequest&)>;
    // Told when an answer starts (+1) or stops (-1) being held back.
    using HangObserver = std::function<void(const std::string& path, int delta)>;

    // A held-back answer that nobody releases is dropped after this time.
    static constexpr int kHangLimitMs = 60'000;

    CHttpConnection(QTcpSocket* socket, Handler handler, HangObserver hangObserver, QObject* parent);
    ~CHttpConnection() override;

    bool IsHung() const { return m_hung.has_value(); }
    const std::string& HungPath() const { return m_hungPath; }
    // Sends the held-back answer now.
    void Release();
    // Resets the connection of the held-back answer instead: the peer has
    // what went out before the stall, then the connection breaks.
    void Drop();

private:
    void OnReadyRead();
    void ProcessBuffer();
    void Answer(St_HttpReply reply, bool keepAlive, bool headOnly);
    void Deliver(const St_HttpReply& reply, bool keepAlive, bool headOnly);
    void WriteHead(const St_HttpReply& reply, bool stays, bool withLength);
    void WriteBody(std::string_view body);
    // Resets the connection once what was written has gone out.
    void ResetWhenSent();
    void SendError(int status);
    void Close();
    void EndHang();

    QTcpSocket* m_socket;
    Handler m_handler;
    HangObserver m_hangObserver;
    std::string m_buffer;
    std::string m_currentPath;
    bool m_busy = false;      // an answer is under way; later requests wait
    bool m_closing = false;

    // The answer waiting for its delay or its release, with its request's
    // keep-alive and HEAD flags.
    std::optional<St_HttpReply> m_hung;
    std::string m_hungPath;
    bool m_hungKeepAlive = false;
    bool m_hungHeadOnly = false;
    QTimer m_hangLimit;
};

}  // namespace standin
