#include "tests/tools/RawHttp.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include <cstdlib>

namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// Parses the head once it is complete; true when it was.
bool ParseHead(const std::string& data, RawAnswer& answer, size_t& bodyStart) {
    const size_t end = data.find("\r\n\r\n");
    if (end == std::string::npos) return false;
    bodyStart = end + 4;
    size_t lineStart = 0;
    bool first = true;
    while (lineStart < end) {
        size_t lineEnd = data.find("\r\n", lineStart);
        if (lineEnd > end) lineEnd = end;
        const std::string line = data.substr(lineStart, lineEnd - lineStart);
        if (first) {
            answer.version = line.substr(0, line.find(' '));
            answer.status = std::atoi(line.c_str() + line.find(' ') + 1);
            first = false;
        } else if (const size_t colon = line.find(':'); colon != std::string::npos) {
            std::string value = line.substr(colon + 1);
            while (!value.empty() && value.front() == ' ') value.erase(0, 1);
            answer.headers[Lower(line.substr(0, colon))] = value;
        }
        lineStart = lineEnd + 2;
    }
    return true;
}

}  // namespace

std::string RawAnswer::Header(const std::string& lowerName) const {
    auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

RawAnswer RawExchange(int port, const std::string& request, int timeoutMs, bool untilClosed) {
    RawAnswer answer;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    if (!socket.waitForConnected(timeoutMs)) return answer;
    answer.connected = true;
    socket.write(request.data(), static_cast<qint64>(request.size()));
    socket.waitForBytesWritten(timeoutMs);

    QDeadlineTimer deadline(timeoutMs);
    std::string data;
    bool headDone = false;
    size_t bodyStart = 0;
    while (!deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            answer.closed = socket.state() != QAbstractSocket::ConnectedState;
            if (answer.closed) break;
            continue;
        }
        const QByteArray bytes = socket.readAll();
        data.append(bytes.constData(), static_cast<size_t>(bytes.size()));
        if (!headDone) headDone = ParseHead(data, answer, bodyStart);
        if (!untilClosed && headDone && answer.HasHeader("content-length") &&
            data.size() - bodyStart >= std::strtoull(answer.Header("content-length").c_str(), nullptr, 10) &&
            Lower(answer.Header("connection")) != "close") {
            break;  // a kept connection: the announced length is the end
        }
    }
    const QByteArray rest = socket.readAll();
    data.append(rest.constData(), static_cast<size_t>(rest.size()));
    answer.gotBytes = !data.empty();
    if (!headDone) headDone = ParseHead(data, answer, bodyStart);
    if (headDone) answer.body = data.substr(bodyStart);
    return answer;
}

RawAnswer RawGet(int port, const std::string& target, const std::string& extraHeaders, int timeoutMs) {
    const std::string request = "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nUser-Agent: VADUVU(0.9/;p)\r\nAccept: */*\r\n" + extraHeaders + "\r\n";
    return RawExchange(port, request, timeoutMs);
}
