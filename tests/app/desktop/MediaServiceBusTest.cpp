// The media-player object on a private bus over a stand-in player: while a
// song plays it looks for changes a few times a second; otherwise it looks
// when an event says something may have changed (the engine, the user's
// input to the program), and not on a timer.

#include "notify/MprisService.h"
#include "tests/app/desktop/DesktopBusSupport.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tests/notify/FakeMprisPort.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

TEST(MediaServiceBusTest, ItPollsOnlyWhileASongPlaysAndFollowsEventsOtherwise) {
    PrivateBus bus;
    if (!bus.IsRunning()) GTEST_SKIP() << "no private session bus: " << bus.Why().toStdString();
    const QString name = QString::fromLatin1(CMprisPlayer::kServiceName);
    FakeMprisPort port;
    port.songToStart = true;
    CMprisService service(port, bus.Connection());
    port.player = &service.Player();
    service.WatchUserInput(QCoreApplication::instance());
    ASSERT_TRUE(service.Start());
    QDBusConnection listener = QDBusConnection::connectToBus(bus.Address(), QStringLiteral("media-service-listener"));
    PlayerSignals told;
    ASSERT_TRUE(told.Listen(listener, name));
    const auto last = [&](const char* property) {
        const std::vector<QVariant> values = told.ValuesOf(QString::fromLatin1(property));
        return values.empty() ? QVariant() : values.back();
    };

    // Stopped: no timer.
    EXPECT_FALSE(service.Polling());

    // The engine starts a song: one look, then looks while it plays.
    port.PlaySong("1001");
    service.Poke();
    ASSERT_TRUE(WaitUntil([&] { return last("PlaybackStatus") == QStringLiteral("Playing"); }));
    EXPECT_TRUE(service.Polling());
    port.volume = 0.2;  // no event: the poll finds it
    EXPECT_TRUE(WaitUntil([&] { return last("Volume") == QVariant(0.2); }));

    // Paused: the poll ends with the look that saw it.
    port.status = MprisStatus::Paused;
    service.Poke();
    ASSERT_TRUE(WaitUntil([&] { return last("PlaybackStatus") == QStringLiteral("Paused"); }));
    EXPECT_FALSE(service.Polling());

    // A change made by the user's input (the mode menu) is told after it.
    port.mode = kMprisRandom;
    QObject window;
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &release);
    EXPECT_TRUE(WaitUntil([&] { return last("Shuffle") == QVariant(true); }));
    EXPECT_FALSE(service.Polling());

    QDBusConnection::disconnectFromBus(QStringLiteral("media-service-listener"));
}

}  // namespace
