#pragma once
// The media-player object on the session bus: carries the desktop's calls to
// a CMprisPlayer and its signals back, and tells the desktop what changed.
// It looks for changes when the player's events say something happened
// (Poke: a change of the engine's state, the user's input) and, while a
// song plays, a few times a second too. Without a session bus, or when the
// name is taken, it traces why and the program runs on without it.

#include "notify/MprisPlayer.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QTimer>

class CMprisService : public QDBusVirtualObject {
    Q_OBJECT
public:
    // How often the player's state is compared with what was last told
    // while a song plays.
    static constexpr int kRefreshMs = 250;

    // On the session bus, or on `bus`.
    explicit CMprisService(IMprisPort& port, QObject* parent = nullptr);
    CMprisService(IMprisPort& port, QDBusConnection bus, QObject* parent = nullptr);
    ~CMprisService() override;
    CMprisService(const CMprisService&) = delete;
    CMprisService& operator=(const CMprisService&) = delete;

    // Takes the bus name and registers the object; false (traced) when
    // there is no session bus or either step failed.
    bool Start();

    CMprisPlayer& Player() { return m_player; }

    // Something may have changed: the player is looked at once, soon, from
    // the event loop (several pokes in a row make one look).
    void Poke();
    // Pokes after each input of the user to the program's windows (a click,
    // a key, the wheel), which may change the volume, the mode or the list.
    void WatchUserInput(QObject* application);
    // Whether the state is being compared a few times a second now.
    bool Polling() const { return m_refresh.isActive(); }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Looks at the player and keeps polling only while a song plays.
    void Look();

    CMprisPlayer m_player;
    QDBusConnection m_bus;
    QTimer m_refresh;
    bool m_started = false;
    bool m_poked = false;
};
