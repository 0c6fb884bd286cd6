#include "tests/app/desktop/DesktopBusSupport.h"

#include "tests/app/startup/StartupTestSupport.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusConnectionInterface>
#include <QLibraryInfo>
#include <QStandardPaths>

#include <atomic>

namespace {

std::atomic<int> g_connections{0};

}  // namespace

PrivateBus::PrivateBus() {
    const QString daemon = FindProgram("dbus-daemon");
    if (daemon.isEmpty()) {
        m_why = QStringLiteral("dbus-daemon is not installed");
        return;
    }
    m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(10000)) {
        m_why = QStringLiteral("dbus-daemon did not start");
        return;
    }
    QByteArray line;
    WaitUntil([&] {
        line += m_daemon.readAllStandardOutput();
        return line.contains('\n') || m_daemon.state() == QProcess::NotRunning;
    });
    const QString address = QString::fromUtf8(line).trimmed();
    if (address.isEmpty()) {
        m_why = QStringLiteral("dbus-daemon gave no address");
        return;
    }
    m_connectionName = QStringLiteral("tonvik-test-bus-%1").arg(++g_connections);
    QDBusConnection connection = QDBusConnection::connectToBus(address, m_connectionName);
    if (!connection.isConnected()) {
        m_why = QStringLiteral("cannot connect to the private bus");
        return;
    }
    m_address = address;
}

PrivateBus::~PrivateBus() {
    if (!m_connectionName.isEmpty()) QDBusConnection::disconnectFromBus(m_connectionName);
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000)) {
            m_daemon.kill();
            m_daemon.waitForFinished(5000);
        }
    }
}

QDBusConnection PrivateBus::Connection() const { return QDBusConnection(m_connectionName); }

bool PrivateBus::HasName(const QString& name) const {
    QDBusConnectionInterface* bus = Connection().interface();
    return bus && bus->isServiceRegistered(name).value();
}

QString FindProgram(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

QString FindQdbus() {
    for (const char* name : {"qdbus6", "qdbus-qt6"}) {
        const QString found = FindProgram(name);
        if (!found.isEmpty()) return found;
    }
    return QStandardPaths::findExecutable(QStringLiteral("qdbus"),
                                          {QLibraryInfo::path(QLibraryInfo::BinariesPath), QStringLiteral("/usr/lib/qt6/bin")});
}

ClientRun RunClient(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                    std::chrono::milliseconds limit) {
    ClientRun run;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) return run;
    const bool ended = WaitUntil([&] { return process.state() == QProcess::NotRunning; }, limit);
    if (!ended) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    run.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
    if (process.exitStatus() == QProcess::NormalExit) run.exitCode = process.exitCode();
    return run;
}

bool PlayerSignals::Listen(QDBusConnection connection, const QString& service) {
    const QString path = QStringLiteral("/org/mpris/MediaPlayer2");
    return connection.connect(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                              QStringLiteral("PropertiesChanged"), this,
                              SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList))) &&
           connection.connect(service, path, QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("Seeked"),
                              this, SLOT(OnSeeked(qlonglong)));
}

std::vector<QVariant> PlayerSignals::ValuesOf(const QString& property) const {
    std::vector<QVariant> values;
    for (const QVariantMap& change : changes)
        if (change.contains(property)) values.push_back(change.value(property));
    return values;
}

void PlayerSignals::OnPropertiesChanged(const QString&, const QVariantMap& changed, const QStringList&) {
    changes.push_back(changed);
}

void PlayerSignals::OnSeeked(qlonglong position) { seeks.push_back(position); }

QString NotificationRecorder::introspect(const QString&) const { return {}; }

bool NotificationRecorder::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.member() != QLatin1String("Notify") || message.arguments().size() != 8) return false;
    uint id = 0;
    {
        std::lock_guard lock(m_mutex);
        m_notes.emplace_back(message.arguments()[3].toString(), message.arguments()[4].toString());
        m_entries.push_back(qdbus_cast<QVariantMap>(message.arguments()[6]).value(QStringLiteral("desktop-entry")).toString());
        id = static_cast<uint>(m_notes.size());
    }
    QDBusConnection(connection).send(message.createReply(QVariant::fromValue(id)));
    return true;
}

std::vector<std::pair<QString, QString>> NotificationRecorder::Notes() const {
    std::lock_guard lock(m_mutex);
    return m_notes;
}

std::vector<QString> NotificationRecorder::DesktopEntries() const {
    std::lock_guard lock(m_mutex);
    return m_entries;
}

QVariant PlayerProperty(const QDBusConnection& connection, const QString& name) {
    QDBusMessage get = QDBusMessage::createMethodCall(QStringLiteral("org.mpris.MediaPlayer2.tonvikmusic"),
                                                      QStringLiteral("/org/mpris/MediaPlayer2"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.mpris.MediaPlayer2.Player") << name;
    const QDBusMessage reply = connection.call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments()[0].value<QDBusVariant>().variant();
}
