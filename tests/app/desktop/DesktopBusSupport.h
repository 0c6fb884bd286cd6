#pragma once
// A private session bus for one test (what dbus-run-session gives a
// program), command-line clients of it, and recorders of what the player
// says on it.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QVariantMap>

#include <chrono>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

// A session bus daemon of its own; IsRunning() false (and Why() set) when
// it could not be started.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool IsRunning() const { return !m_address.isEmpty(); }
    const QString& Why() const { return m_why; }
    const QString& Address() const { return m_address; }
    // This test's own connection to the bus.
    QDBusConnection Connection() const;
    // Whether a name is on the bus now.
    bool HasName(const QString& name) const;

private:
    QProcess m_daemon;
    QString m_address;
    QString m_why;
    QString m_connectionName;
};

// The result of a command-line client run to its end.
struct ClientRun {
    int exitCode = -1;  // -1: did not start, crashed or took too long
    QString out;
    QString err;
};

// Runs a program with `environment`, letting this thread's events run
// meanwhile (the bus objects of the test answer on it). Bounded.
ClientRun RunClient(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                    std::chrono::milliseconds limit = std::chrono::seconds(15));

// Where a program is found on PATH; empty when it is not installed.
QString FindProgram(const char* name);
// Qt's D-Bus client (Debian keeps it with Qt's tools, off PATH); empty
// when it is not installed.
QString FindQdbus();

// A property of the player's "org.mpris.MediaPlayer2.Player" object
// (asked with a bound); invalid when the player did not answer.
QVariant PlayerProperty(const QDBusConnection& connection, const QString& name);

// Records the player's PropertiesChanged and Seeked signals.
class PlayerSignals : public QObject {
    Q_OBJECT
public:
    std::vector<QVariantMap> changes;
    std::vector<qlonglong> seeks;

    // Subscribes to the signals of the object on `connection`.
    bool Listen(QDBusConnection connection, const QString& service);
    // Every value a property took in the changes so far.
    std::vector<QVariant> ValuesOf(const QString& property) const;

public slots:
    void OnPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);
    void OnSeeked(qlonglong position);
};

// A desktop notification service that keeps the notes it is asked to show.
class NotificationRecorder : public QDBusVirtualObject {
    Q_OBJECT
public:
    // The notes so far: title and text.
    std::vector<std::pair<QString, QString>> Notes() const;
    // The desktop entry each note named.
    std::vector<QString> DesktopEntries() const;

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    mutable std::mutex m_mutex;  // the bus may hand calls over on a thread of its own
    std::vector<std::pair<QString, QString>> m_notes;
    std::vector<QString> m_entries;
};
