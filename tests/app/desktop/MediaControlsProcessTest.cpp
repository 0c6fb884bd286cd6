// The real player on a private session bus, driven by playerctl and gdbus
// the way a desktop's media keys and sound menu drive it, against a service
// stand-in: the commands act as the buttons do, status and metadata follow
// the playing song, bad calls get their errors, Quit closes in order, and a
// player without a session bus runs on.

#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/WindowChannel.h"
#include "tests/app/desktop/DesktopBusSupport.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tools/standin/ProgramFolder.h"
#include "tools/standin/StandIn.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace {

const QString kService = QStringLiteral("org.mpris.MediaPlayer2.tonvikmusic");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

// The player's folder against the stand-in, with the first songs of the
// catalogue in its play list and its traces in "trace.log".
void PreparePlayer(const PlayerFolder& folder, const standin::CStandIn& standIn, int songs, bool songNotice) {
    ASSERT_TRUE(standin::PrepareProgramFolder(folder.Path(), standIn.Host(), TONVIK_DATA_DIR));
    std::ofstream settings(folder.Path() / "TonvikMusic.ini", std::ios::binary | std::ios::app);
    settings << "[Trace]\r\nFile=trace.log\r\n";
    if (songNotice) settings << "[Option]\r\nSongNotice=1\r\n";
    std::string list;
    for (int i = 0; i < songs; ++i) {
        const standin::St_CatalogueSong& song = standIn.Catalogue().Songs().at(static_cast<size_t>(i));
        list += song.id + "\t" + Cp936(song.name) + "\t" + Cp936(song.singer) + "\t" + Cp936(song.album) + "\t\r\n";
    }
    std::ofstream(folder.Path() / "Playlist.xls", std::ios::binary) << list;
}

class MediaControlsProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"playerctl", "gdbus"}) {
            if (FindProgram(tool).isEmpty()) GTEST_SKIP() << tool << " is not installed (apt-get install playerctl libglib2.0-bin)";
        }
        if (!bus.IsRunning()) GTEST_SKIP() << "no private session bus: " << bus.Why().toStdString();
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        folder.SetEnvironment("DBUS_SESSION_BUS_ADDRESS", bus.Address());
        folder.SetEnvironment("ASAN_OPTIONS", "detect_leaks=0");
    }

    QProcessEnvironment Environment() const { return folder.Environment(); }

    ClientRun Playerctl(const QStringList& arguments) {
        return RunClient(FindProgram("playerctl"), QStringList{"--player=tonvikmusic"} + arguments, Environment());
    }
    // A gdbus call of a method of the player object.
    ClientRun Gdbus(const QString& method, const QStringList& arguments = {}) {
        return RunClient(FindProgram("gdbus"),
                         QStringList{"call", "--session", "--dest", kService, "--object-path", kPath, "--method", method} +
                             arguments,
                         Environment());
    }
    QString Status() { return Playerctl({"status"}).out; }
    QVariant Property(const QString& name) {
        QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.DBus.Properties", "Get");
        get << kPlayer << name;
        const QDBusMessage reply = bus.Connection().call(get, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
        return reply.arguments()[0].value<QDBusVariant>().variant();
    }
    QVariantMap Metadata() { return qdbus_cast<QVariantMap>(Property("Metadata")); }
    QString Title() { return Metadata().value("xesam:title").toString(); }
    bool Lookups(const std::string& id) {
        for (const auto& request : standIn.RequestsFor("/songhall/port/tonvik/playlist.php"))
            if (request.target.find(id) != std::string::npos) return true;
        return false;
    }

    PrivateBus bus;
    TempDir state;
    standin::CStandIn standIn{standin::OptionsWithState(state.Path())};
    IsolatedRuntime runtime;
    PlayerFolder folder{runtime};
};

TEST_F(MediaControlsProcessTest, TheDesktopDrivesThePlayerAsItsButtonsDo) {
    PreparePlayer(folder, standIn, 3, true);
    NotificationRecorder notes;
    QDBusConnection testBus = bus.Connection();
    ASSERT_TRUE(testBus.registerVirtualObject("/org/freedesktop/Notifications", &notes));
    ASSERT_TRUE(testBus.registerService("org.freedesktop.Notifications"));
    const auto& songs = standIn.Catalogue().Songs();
    const QString first = QString::fromStdString(songs[0].name);
    const QString second = QString::fromStdString(songs[1].name);

    auto player = folder.StartPlayer();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return bus.HasName(kService); }, 30s)) << folder.Trace();
    PlayerSignals told;
    ASSERT_TRUE(told.Listen(testBus, kService));

    // Nothing plays: the calls that need a song change nothing.
    EXPECT_EQ(Status(), "Stopped");
    EXPECT_EQ(Playerctl({"pause"}).exitCode, 0);
    EXPECT_EQ(Gdbus(kPlayer + ".Seek", {"int64 5000000"}).exitCode, 0);
    EXPECT_EQ(Gdbus(kPlayer + ".SetPosition", {"objectpath '/org/mpris/MediaPlayer2/TrackList/NoTrack'", "int64 1000000"}).exitCode, 0);
    EXPECT_EQ(Status(), "Stopped");
    EXPECT_TRUE(told.seeks.empty());

    // Play: the play list's first song is looked up and played.
    EXPECT_EQ(Playerctl({"play"}).exitCode, 0);
    ASSERT_TRUE(WaitUntil([&] { return Status() == "Playing" && Title() == first; }, 30s)) << folder.Trace();
    EXPECT_TRUE(Lookups(songs[0].id));
    ASSERT_TRUE(WaitUntil([&] { return Metadata().contains("mpris:length"); }, 15s));
    QVariantMap metadata = Metadata();
    EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{QString::fromStdString(songs[0].singer)});
    EXPECT_EQ(metadata.value("xesam:album").toString(), QString::fromStdString(songs[0].album));
    EXPECT_NEAR(metadata.value("mpris:length").toLongLong() / 1e6, songs[0].seconds, 1.0);
    const QString firstTrack = qdbus_cast<QDBusObjectPath>(metadata.value("mpris:trackid")).path();
    EXPECT_EQ(Playerctl({"metadata", "xesam:title"}).out, first);
    ASSERT_TRUE(WaitUntil([&] { return !notes.Notes().empty(); }, 10s));
    EXPECT_EQ(notes.Notes().front(), std::make_pair(first, QString::fromStdString(songs[0].singer)));

    // Pause and play again.
    Playerctl({"pause"});
    EXPECT_TRUE(WaitUntil([&] { return Status() == "Paused"; }));
    Playerctl({"play"});
    EXPECT_TRUE(WaitUntil([&] { return Status() == "Playing"; }));

    // Volume, clamped at both ends.
    Playerctl({"volume", "0.3"});
    EXPECT_NEAR(Playerctl({"volume"}).out.toDouble(), 0.3, 0.005);
    Gdbus("org.freedesktop.DBus.Properties.Set", {kPlayer, "Volume", "<-0.5>"});
    EXPECT_DOUBLE_EQ(Property("Volume").toDouble(), 0.0);
    Gdbus("org.freedesktop.DBus.Properties.Set", {kPlayer, "Volume", "<1.5>"});
    EXPECT_DOUBLE_EQ(Property("Volume").toDouble(), 1.0);

    // Seek: the song goes on from there and the desktop is told.
    Playerctl({"position", "6"});
    ASSERT_TRUE(WaitUntil([&] { return !told.seeks.empty(); }));
    EXPECT_GE(told.seeks.back(), 6'000'000);
    EXPECT_LT(told.seeks.back(), 7'000'000);
    // The engine moves on its own threads: the place shows once it got there.
    EXPECT_TRUE(WaitUntil([&] { return Property("Position").toLongLong() >= 6'000'000; }));

    // Bad calls get their errors; a stale track is ignored; the player runs on.
    const ClientRun badSeek = Gdbus(kPlayer + ".Seek", {"'far'"});
    EXPECT_NE(badSeek.exitCode, 0);
    EXPECT_TRUE(badSeek.err.contains("InvalidArgs")) << badSeek.err.toStdString();
    EXPECT_TRUE(Gdbus(kPlayer + ".OpenUri", {"'file:///tmp/x.mp3'"}).err.contains("NotSupported"));
    EXPECT_TRUE(Gdbus("org.freedesktop.DBus.Properties.Set", {kPlayer, "LoopStatus", "<'Forever'>"}).err.contains("InvalidArgs"));
    const size_t seeks = told.seeks.size();
    const ClientRun stale = Gdbus(kPlayer + ".SetPosition", {"objectpath '/org/tonvikmusic/track/stale'", "int64 1000000"});
    EXPECT_EQ(stale.exitCode, 0) << stale.err.toStdString();
    const ClientRun before = Gdbus(kPlayer + ".SetPosition", {"objectpath '" + firstTrack + "'", "int64 -5"});
    EXPECT_EQ(before.exitCode, 0) << before.err.toStdString();
    EXPECT_EQ(told.seeks.size(), seeks);
    EXPECT_EQ(Status(), "Playing");

    // The play modes.
    Playerctl({"loop", "Track"});
    EXPECT_EQ(Playerctl({"loop"}).out, "Track");
    Playerctl({"shuffle", "On"});
    EXPECT_EQ(Playerctl({"shuffle"}).out, "On");
    EXPECT_EQ(Playerctl({"loop"}).out, "Playlist");
    Playerctl({"shuffle", "Off"});
    Playerctl({"loop", "None"});

    // Next: the second song.
    Playerctl({"next"});
    ASSERT_TRUE(WaitUntil([&] { return Status() == "Playing" && Title() == second; }, 30s)) << folder.Trace();
    EXPECT_TRUE(Lookups(songs[1].id));
    EXPECT_TRUE(WaitUntil([&] { return notes.Notes().size() >= 2 && notes.Notes().back().first == second; }, 10s));

    // Stop: no song.
    Playerctl({"stop"});
    ASSERT_TRUE(WaitUntil([&] { return Status() == "Stopped"; }));
    EXPECT_EQ(qdbus_cast<QDBusObjectPath>(Metadata().value("mpris:trackid")).path(),
              "/org/mpris/MediaPlayer2/TrackList/NoTrack");

    // Every change was told as it happened.
    ASSERT_TRUE(WaitUntil([&] {
        const auto statuses = told.ValuesOf("PlaybackStatus");
        return !statuses.empty() && statuses.back().toString() == "Stopped";
    }));
    QStringList statuses;
    for (const QVariant& value : told.ValuesOf("PlaybackStatus")) statuses << value.toString();
    EXPECT_TRUE(statuses.contains("Playing"));
    EXPECT_TRUE(statuses.contains("Paused"));
    EXPECT_GE(told.ValuesOf("Metadata").size(), 3u);
    EXPECT_FALSE(told.ValuesOf("Volume").empty());
    EXPECT_FALSE(told.ValuesOf("LoopStatus").empty());

    // Raise: the player is shown as for a second start.
    EXPECT_EQ(Gdbus("org.mpris.MediaPlayer2.Raise").exitCode, 0);
    EXPECT_TRUE(WaitUntil([&] { return folder.TraceCount("OnActivatePlayer===Show the player.") == 1; }));

    // Quit: the orderly close, which saves the play list.
    std::filesystem::remove(folder.Path() / "Playlist.xls");
    EXPECT_EQ(Gdbus("org.mpris.MediaPlayer2.Quit").exitCode, 0);
    EXPECT_EQ(WaitForExit(*player, 30s), 0);
    EXPECT_GE(folder.TraceCount("CloseApp"), 1) << folder.Trace();
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "Playlist.xls"));
    EXPECT_FALSE(bus.HasName(kService));
}

TEST_F(MediaControlsProcessTest, WithoutASessionBusThePlayerRunsOn) {
    PreparePlayer(folder, standIn, 1, false);
    folder.SetEnvironment("DBUS_SESSION_BUS_ADDRESS",
                          QString::fromStdString("unix:path=" + (folder.Path() / "no-bus").string()));
    auto player = folder.StartPlayer();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return folder.TraceCount("MPRIS===No session bus") == 1; }, 30s)) << folder.Trace();
    ASSERT_TRUE(WaitUntil([&] { return FindWindowByTitle(kMainFrameTitle, 200ms); }, 30s));
    EXPECT_EQ(player->state(), QProcess::Running);
    EXPECT_EQ(folder.RunCloseTool(), 0);
    EXPECT_EQ(WaitForExit(*player, 30s), 0);
}

}  // namespace
