#include "notify/MprisService.h"

#include "common/Trace.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QThread>

CMprisService::CMprisService(IMprisPort& port, QObject* parent)
    : QDBusVirtualObject(parent), m_player(port), m_bus(QDBusConnection::sessionBus()) {
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, [this] { m_player.Refresh(); });
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
    m_player.Refresh();
    m_refresh.start();
    m_started = true;
    Trace("MPRIS===Media controls on the session bus as %s", CMprisPlayer::kServiceName);
    return true;
}

QString CMprisService::introspect(const QString&) const { return CMprisPlayer::IntrospectionXml(); }

bool CMprisService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.type() != QDBusMessage::MethodCallMessage) return false;
    // The player is answered on its own thread, whichever thread the bus
    // hands the call over on.
    const auto answer = [this, message, connection] {
        const QDBusMessage reply = m_player.Answer(message);
        if (message.isReplyRequired()) QDBusConnection(connection).send(reply);
    };
    if (QThread::currentThread() == thread()) {
        answer();
    } else {
        QMetaObject::invokeMethod(this, answer, Qt::QueuedConnection);
    }
    return true;
}
