#include "notify/MprisService.h"

#include "common/Trace.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QEvent>
#include <QThread>

CMprisService::CMprisService(IMprisPort& port, QObject* parent)
    : CMprisService(port, QDBusConnection::sessionBus(), parent) {}

CMprisService::CMprisService(IMprisPort& port, QDBusConnection bus, QObject* parent)
    : QDBusVirtualObject(parent), m_player(port), m_bus(std::move(bus)) {
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, [this] { Look(); });
}

CMprisService::~CMprisService() {
    m_refresh.stop();
    if (!m_started) return;
    m_bus.unregisterObject(QString::fromLatin1(CMprisPlayer::kObjectPath));
    m_bus.unregisterService(QString::fromLatin1(CMprisPlayer::kServiceName));
}

bool CMprisService::Start() {
    if (m_started) return true;
    if (!m_bus.isConnected()) {
        Trace("MPRIS===No session bus, no media controls: %s", qPrintable(m_bus.lastError().message()));
        return false;
    }
    if (!m_bus.registerVirtualObject(QString::fromLatin1(CMprisPlayer::kObjectPath), this)) {
        Trace("MPRIS===Can not register %s: %s", CMprisPlayer::kObjectPath, qPrintable(m_bus.lastError().message()));
        return false;
    }
    if (!m_bus.registerService(QString::fromLatin1(CMprisPlayer::kServiceName))) {
        Trace("MPRIS===Can not take %s: %s", CMprisPlayer::kServiceName, qPrintable(m_bus.lastError().message()));
        m_bus.unregisterObject(QString::fromLatin1(CMprisPlayer::kObjectPath));
        return false;
    }
    m_player.SetSignalSink([this](const QDBusMessage& signal) { m_bus.send(signal); });
    m_started = true;
    Look();
    Trace("MPRIS===Media controls on the session bus as %s", CMprisPlayer::kServiceName);
    return true;
}

void CMprisService::Look() {
    m_player.Refresh();
    // A playing song moves on by itself (its state, its length once known);
    // anything else changes only through an event that pokes.
    const bool playing = m_player.Status() == MprisStatus::Playing;
    if (playing && !m_refresh.isActive()) m_refresh.start();
    if (!playing && m_refresh.isActive()) m_refresh.stop();
}

void CMprisService::Poke() {
    if (!m_started || m_poked) return;
    m_poked = true;
    QTimer::singleShot(0, this, [this] {
        m_poked = false;
        Look();
    });
}

void CMprisService::WatchUserInput(QObject* application) {
    if (application) application->installEventFilter(this);
}

bool CMprisService::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
        Poke();
        break;
    default:
        break;
    }
    return QDBusVirtualObject::eventFilter(watched, event);
}

QString CMprisService::introspect(const QString&) const { return CMprisPlayer::InterfacesXml(); }

bool CMprisService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.type() != QDBusMessage::MethodCallMessage) return false;
    // The player is answered on its own thread, whichever thread the bus
    // hands the call over on.
    const auto answer = [this, message, connection] {
        const QDBusMessage reply = m_player.Answer(message);
        if (message.isReplyRequired()) QDBusConnection(connection).send(reply);
        Poke();
    };
    if (QThread::currentThread() == thread()) {
        answer();
    } else {
        QMetaObject::invokeMethod(this, answer, Qt::QueuedConnection);
    }
    return true;
}
