#pragma once
// The media-player object on the session bus: carries the desktop's calls to
// a CMprisPlayer and its signals back, and looks for changes of the player
// a few times a second. Without a session bus, or when the name is taken,
// it traces why and the program runs on without it.

#include "notify/MprisPlayer.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QTimer>

class CMprisService : public QDBusVirtualObject {
    Q_OBJECT
public:
    // How often the player's state is compared with what was last told.
    static constexpr int kRefreshMs = 250;

    explicit CMprisService(IMprisPort& port, QObject* parent = nullptr);
    ~CMprisService() override;
    CMprisService(const CMprisService&) = delete;
    CMprisService& operator=(const CMprisService&) = delete;

    // Takes the bus name and registers the object; false (traced) when
    // there is no session bus or either step failed.
    bool Start();

    CMprisPlayer& Player() { return m_player; }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    CMprisPlayer m_player;
    QDBusConnection m_bus;
    QTimer m_refresh;
    bool m_started = false;
};
