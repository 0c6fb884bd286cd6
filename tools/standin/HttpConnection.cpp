#include "tools/standin/HttpConnection.h"

#include "tools/standin/HttpRequestParser.h"

#include "platform/Network.h"

#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace standin {
namespace {

std::string Head(const St_HttpReply& reply, bool keepAlive, bool withLength) {
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonPhrase(reply.status) + "\r\n";
    head += "Server: TonvikStandIn/1.0\r\n";
    if (!reply.contentType.empty()) head += "Content-Type: " + reply.contentType + "\r\n";
    if (withLength) head += "Content-Length: " + std::to_string(reply.length) + "\r\n";
    for (const auto& [name, value] : reply.headers) head += name + ": " + value + "\r\n";
    head += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    head += "\r\n";
    return head;
}

}  // namespace

CHttpConnection::CHttpConnection(QTcpSocket* socket, Handler handler, HangObserver hangObserver, QObject* parent)
    : QObject(parent), m_socket(socket), m_handler(std::move(handler)), m_hangObserver(std::move(hangObserver)) {
    m_socket->setParent(this);
    m_hangLimit.setSingleShot(true);
    connect(&m_hangLimit, &QTimer::timeout, this, [this] {
        EndHang();
        Close();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &CHttpConnection::OnReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_socket->state() != QAbstractSocket::ConnectedState) deleteLater();
    });
}

CHttpConnection::~CHttpConnection() { EndHang(); }

void CHttpConnection::OnReadyRead() {
    const QByteArray bytes = m_socket->readAll();
    if (m_closing) return;
    m_buffer.append(bytes.constData(), static_cast<size_t>(bytes.size()));
    ProcessBuffer();
}

void CHttpConnection::ProcessBuffer() {
    if (m_busy || m_closing || m_buffer.empty()) return;
    St_HttpRequest request;
    size_t consumed = 0;
    switch (CHttpRequestParser::Parse(m_buffer, request, consumed)) {
    case ParseResult::NeedMore: return;
    case ParseResult::Bad: SendError(400); return;
    case ParseResult::TooLarge: SendError(431); return;
    case ParseResult::Done: break;
    }
    m_buffer.erase(0, consumed);
    m_busy = true;
    m_currentPath = request.path;
    St_HttpReply reply;
    try {
        reply = m_handler(request);
    } catch (const std::exception&) {
        reply = St_HttpReply();
        reply.status = 500;
        reply.SetBody("internal error\n", "text/plain");
    }
    Answer(std::move(reply), request.WantsKeepAlive(), request.method == "HEAD");
}

void CHttpConnection::Answer(St_HttpReply reply, bool keepAlive, bool headOnly) {
    if (reply.delayMs > 0) {
        const int delay = std::exchange(reply.delayMs, 0);
        QTimer::singleShot(delay, this, [this, reply = std::move(reply), keepAlive, headOnly]() mutable {
            Answer(std::move(reply), keepAlive, headOnly);
        });
        return;
    }
    if (reply.delivery == Delivery::Hang) {
        reply.delivery = Delivery::Normal;
        // A stall in the middle of the body: the head and the first bytes
        // go out now, the rest waits.
        if (reply.cutAt > 0 && !headOnly && m_socket->state() == QAbstractSocket::ConnectedState) {
            const size_t first = std::min(reply.cutAt, reply.length);
            WriteHead(reply, keepAlive && !reply.close, true);
            WriteBody(reply.BodyView().substr(0, first));
            reply.offset += first;
            reply.length -= first;
            reply.headSent = true;
        }
        m_hungPath = m_currentPath;
        m_hung = std::move(reply);
        if (m_hangObserver) m_hangObserver(m_hungPath, +1);
        m_hungKeepAlive = keepAlive;
        m_hungHeadOnly = headOnly;
        m_hangLimit.start(kHangLimitMs);
        return;
    }
    Deliver(reply, keepAlive, headOnly);
}

void CHttpConnection::Release() {
    if (!m_hung) return;
    St_HttpReply reply = std::move(*m_hung);
    EndHang();
    Deliver(reply, m_hungKeepAlive, m_hungHeadOnly);
}

void CHttpConnection::Drop() {
    if (!m_hung) return;
    EndHang();
    ResetWhenSent();
}

void CHttpConnection::EndHang() {
    m_hangLimit.stop();
    if (!m_hung) return;
    m_hung.reset();
    if (m_hangObserver) m_hangObserver(m_hungPath, -1);
    m_hungPath.clear();
}

void CHttpConnection::Deliver(const St_HttpReply& reply, bool keepAlive, bool headOnly) {
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        Close();
        return;
    }
    const bool dropped = reply.delivery == Delivery::Drop;
    if (dropped && (reply.cutAt == 0 || headOnly)) {
        m_closing = true;
        m_socket->abort();
        deleteLater();
        return;
    }
    const bool withLength = reply.delivery != Delivery::NoContentLength;
    const bool stays = keepAlive && !reply.close && reply.delivery == Delivery::Normal;
    if (!reply.headSent) WriteHead(reply, stays, withLength);
    if (!headOnly) {
        std::string_view body = reply.BodyView();
        if (reply.delivery == Delivery::CutShort || dropped) body = body.substr(0, std::min(reply.cutAt, body.size()));
        WriteBody(body);
    }
    if (dropped) {
        ResetWhenSent();
        return;
    }
    if (!stays) {
        Close();
        return;
    }
    m_busy = false;
    QTimer::singleShot(0, this, &CHttpConnection::ProcessBuffer);
}

void CHttpConnection::WriteHead(const St_HttpReply& reply, bool stays, bool withLength) {
    const std::string head = Head(reply, stays, withLength);
    m_socket->write(head.data(), static_cast<qint64>(head.size()));
}

void CHttpConnection::WriteBody(std::string_view body) {
    if (!body.empty()) m_socket->write(body.data(), static_cast<qint64>(body.size()));
}

void CHttpConnection::ResetWhenSent() {
    m_closing = true;
    m_buffer.clear();
    auto reset = [this] {
        // The peer gets what was written, then a reset instead of an end.
        tonvik::platform::ResetConnectionOnClose(m_socket->socketDescriptor());
        m_socket->abort();
        deleteLater();
    };
    if (m_socket->bytesToWrite() == 0) {
        reset();
        return;
    }
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this, reset] {
        if (m_socket->bytesToWrite() == 0 && m_socket->state() == QAbstractSocket::ConnectedState) reset();
    });
}

void CHttpConnection::SendError(int status) {
    St_HttpReply reply;
    reply.status = status;
    reply.SetBody(std::string(ReasonPhrase(status)) + "\n", "text/plain");
    reply.close = true;
    m_busy = true;
    Deliver(reply, false, false);
}

void CHttpConnection::Close() {
    m_closing = true;
    m_buffer.clear();
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        deleteLater();
        return;
    }
    m_socket->disconnectFromHost();  // sends what is buffered, then closes
}

}  // namespace standin
