#include "common/WindowChannel.h"

#include "common/Trace.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

namespace {

constexpr quint32 kRecordTag = 0x5456574D;  // "TVWM"
constexpr quint32 kTextRecordTag = 0x54565754;  // "TVWT": a text follows
constexpr qint64 kRecordSize = 24;
constexpr char kTakenMark = 'A';

QByteArray EncodeRecord(quint32 tag, unsigned message, WPARAM wParam, LPARAM lParam) {
    QByteArray record;
    QDataStream out(&record, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::BigEndian);
    out << tag << static_cast<quint32>(message) << static_cast<quint64>(wParam) << static_cast<qint64>(lParam);
    return record;
}

struct St_Record {
    bool hasText = false;
    unsigned message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;  // a text's length for a text record
};

bool DecodeRecord(const QByteArray& bytes, St_Record& record) {
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::BigEndian);
    quint32 tag = 0;
    quint32 number = 0;
    quint64 w = 0;
    qint64 l = 0;
    in >> tag >> number >> w >> l;
    if (in.status() != QDataStream::Ok || (tag != kRecordTag && tag != kTextRecordTag)) return false;
    record.hasText = tag == kTextRecordTag;
    if (record.hasText && (l < 0 || l > static_cast<qint64>(kMaxChannelText))) return false;
    record.message = number;
    record.wParam = static_cast<WPARAM>(w);
    record.lParam = static_cast<LPARAM>(l);
    return true;
}

int Remaining(const QElapsedTimer& clock, std::chrono::milliseconds limit) {
    const qint64 left = static_cast<qint64>(limit.count()) - clock.elapsed();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until `count` bytes can be read; false on time-out or close.
bool WaitForBytes(QLocalSocket& socket, qint64 count, std::chrono::milliseconds limit) {
    QElapsedTimer clock;
    clock.start();
    while (socket.bytesAvailable() < count) {
        const int left = Remaining(clock, limit);
        if (left == 0 || !socket.waitForReadyRead(left)) return socket.bytesAvailable() >= count;
    }
    return true;
}

}  // namespace

QString WindowChannelPath(std::string_view utf8Title) {
    const QByteArray digest = QCryptographicHash::hash(QByteArray(utf8Title.data(), static_cast<qsizetype>(utf8Title.size())),
                                                       QCryptographicHash::Sha1);
    const QString name = QStringLiteral("tonvik-window-") + QString::fromLatin1(digest.toHex().left(16));
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)).filePath(name);
}

namespace {

// Whether a live process listens on the socket path.
bool AnswersOn(const QString& path, std::chrono::milliseconds timeout) {
    QLocalSocket socket;
    socket.connectToServer(path);
    const bool found = socket.waitForConnected(static_cast<int>(timeout.count()));
    socket.abort();
    return found;
}

// How long Listen gives a window that may still hold the title to answer.
constexpr std::chrono::milliseconds kLiveWindowTimeout(1000);

}  // namespace

bool FindWindowByTitle(std::string_view utf8Title, std::chrono::milliseconds timeout) {
    return AnswersOn(WindowChannelPath(utf8Title), timeout);
}

namespace {

RemoteSendStatus SendRecord(std::string_view utf8Title, const QByteArray& record, std::chrono::milliseconds timeout,
                            LRESULT* result) {
    if (result) *result = 0;
    QLocalSocket socket;
    socket.connectToServer(WindowChannelPath(utf8Title));
    if (!socket.waitForConnected(static_cast<int>(timeout.count()))) return RemoteSendStatus::NoWindow;

    socket.write(record);
    socket.waitForBytesWritten(static_cast<int>(timeout.count()));
    if (!WaitForBytes(socket, 1, timeout)) return RemoteSendStatus::NoAnswer;
    char mark = 0;
    socket.getChar(&mark);
    if (mark != kTakenMark) return RemoteSendStatus::NoAnswer;

    // Taken. The result follows unless the handler ended the window's process.
    if (WaitForBytes(socket, 8, timeout) && result) {
        QDataStream in(socket.read(8));
        in.setByteOrder(QDataStream::BigEndian);
        qint64 value = 0;
        in >> value;
        *result = static_cast<LRESULT>(value);
    }
    socket.abort();
    return RemoteSendStatus::Delivered;
}

}  // namespace

RemoteSendStatus SendMessageToWindow(std::string_view utf8Title, unsigned message, WPARAM wParam, LPARAM lParam,
                                     std::chrono::milliseconds timeout, LRESULT* result) {
    return SendRecord(utf8Title, EncodeRecord(kRecordTag, message, wParam, lParam), timeout, result);
}

RemoteSendStatus SendTextToWindow(std::string_view utf8Title, unsigned message, WPARAM wParam, std::string_view utf8Text,
                                  std::chrono::milliseconds timeout, LRESULT* result) {
    if (result) *result = 0;
    if (utf8Text.size() > kMaxChannelText) return RemoteSendStatus::NoAnswer;
    QByteArray record = EncodeRecord(kTextRecordTag, message, wParam, static_cast<LPARAM>(utf8Text.size()));
    record.append(utf8Text.data(), static_cast<qsizetype>(utf8Text.size()));
    return SendRecord(utf8Title, record, timeout, result);
}

CWindowChannel::CWindowChannel(QObject* target, std::initializer_list<unsigned> acceptedMessages, QObject* parent)
    : QObject(parent), m_target(target), m_acceptedMessages(acceptedMessages), m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] { OnNewConnection(); });
}

CWindowChannel::~CWindowChannel() { Close(); }

bool CWindowChannel::Listen(std::string_view utf8Title) {
    Close();
    const QString path = WindowChannelPath(utf8Title);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (AnswersOn(path, kLiveWindowTimeout)) {
        Trace("CWindowChannel::Listen===A live window listens on %s", qUtf8Printable(path));
        return false;
    }
    // Nobody answers: a socket file there was left by a process that ended
    // without closing it.
    QLocalServer::removeServer(path);
    if (m_server->listen(path)) return true;
    Trace("CWindowChannel::Listen===Can not listen on %s : %s", qUtf8Printable(path),
          qUtf8Printable(m_server->errorString()));
    return false;
}

void CWindowChannel::Close() {
    if (m_server->isListening()) m_server->close();
}

bool CWindowChannel::IsListening() const { return m_server->isListening(); }

void CWindowChannel::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, socket, [socket] {
            Trace("CWindowChannel===No whole message in %d ms, connection closed.", int(kMessageTimeout.count()));
            socket->abort();
            socket->deleteLater();
        });
        deadline->start(kMessageTimeout);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
        if (socket->bytesAvailable() > 0) OnReadable(socket);
    }
}

void CWindowChannel::OnReadable(QLocalSocket* socket) {
    if (socket->bytesAvailable() < kRecordSize) return;
    St_Record record;
    if (!DecodeRecord(socket->peek(kRecordSize), record)) {
        socket->abort();
        return;
    }
    const unsigned message = record.message;
    if (std::find(m_acceptedMessages.begin(), m_acceptedMessages.end(), message) == m_acceptedMessages.end()) {
        Trace("CWindowChannel===Refused message 0x%04X from another process.", message);
        socket->abort();
        return;
    }
    // A text comes whole before the message is taken.
    const qint64 textSize = record.hasText ? static_cast<qint64>(record.lParam) : 0;
    if (socket->bytesAvailable() < kRecordSize + textSize) return;
    // A whole message came in time; its handler may take as long as it needs.
    for (QTimer* deadline : socket->findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) deadline->stop();
    socket->skip(kRecordSize);
    const QByteArray text = socket->read(textSize);
    socket->putChar(kTakenMark);
    socket->flush();

    // The handler may end the process, or close this channel. A text is
    // handed over as the message's own (MessageText); the handler never
    // sees another process's lParam as anything but a number.
    QPointer<QLocalSocket> guard(socket);
    const LRESULT result =
        record.hasText ? SendMessageWithText(m_target, message, record.wParam, QString::fromUtf8(text).toStdU16String())
                       : SendMessage(m_target, message, record.wParam, record.lParam);
    if (!guard) return;
    QByteArray answer;
    QDataStream out(&answer, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::BigEndian);
    out << static_cast<qint64>(result);
    socket->write(answer);
    socket->flush();
    socket->disconnectFromServer();
}
