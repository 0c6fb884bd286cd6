// The real player on a private session bus, driven by playerctl, gdbus,
// Qt's qdbus and dbus-send the way a desktop's media keys, sound menu and
// tools drive it, against a service stand-in: the object describes itself
// so that those tools read it, the commands act as the buttons do, status
// and metadata follow the playing song (also while the next song is looked
// up), what can be done follows the play list, bad calls get their errors,
// Quit closes in order, a note without a notification service goes to the
// tray, and a player without a session bus runs on.

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
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace {

const QString kService = QStringLiteral("org.mpris.MediaPlayer2.tonvikmusic");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const std::string kLookupPath = "/songhall/port/tonvik/playlist.php";

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
        for (const char* tool : {"playerctl", "gdbus", "dbus-send"}) {
            if (FindProgram(tool).isEmpty())
                GTEST_SKIP() << tool << " is not installed (apt-get install playerctl libglib2.0-bin dbus)";
        }
        if (FindQdbus().isEmpty()) GTEST_SKIP() << "qdbus is not installed (apt-get install qdbus-qt6)";
        if (!bus.IsRunning()) GTEST_SKIP() << "no private session bus: " << bus.Why().toStdString();
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        OnTheBus(folder);
    }
    void OnTheBus(PlayerFolder& player) const {
        player.SetEnvironment("DBUS_SESSION_BUS_ADDRESS", bus.Address());
        player.SetEnvironment("ASAN_OPTIONS", "detect_leaks=0");
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
    ClientRun Qdbus(const QStringList& arguments) { return RunClient(FindQdbus(), QStringList{kService, kPath} + arguments, Environment()); }
    ClientRun DbusSend(const QString& method, const QStringList& arguments) {
        return RunClient(FindProgram("dbus-send"),
                         QStringList{"--session", "--print-reply", "--dest=" + kService, kPath, method} + arguments, Environment());
    }
    QString Status() { return Playerctl({"status"}).out; }
    QVariant Property(const QString& name) { return PlayerProperty(bus.Connection(), name); }
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

    // The object describes itself in a document GLib's and Qt's tools read.
    const ClientRun introspection =
        RunClient(FindProgram("gdbus"), {"introspect", "--session", "--dest", kService, "--object-path", kPath}, Environment());
    EXPECT_EQ(introspection.exitCode, 0) << introspection.err.toStdString();
    EXPECT_TRUE(introspection.out.contains("interface org.mpris.MediaPlayer2.Player {")) << introspection.out.toStdString();
    EXPECT_TRUE(introspection.out.contains(QRegularExpression("Seek\\(in +x Offset\\)"))) << introspection.out.toStdString();
    const ClientRun members = Qdbus({});
    EXPECT_EQ(members.exitCode, 0) << members.err.toStdString();
    for (const char* member : {"method void org.mpris.MediaPlayer2.Player.Seek(qlonglong Offset)",
                               "property read bool org.mpris.MediaPlayer2.Player.CanGoNext",
                               "method void org.mpris.MediaPlayer2.Raise()"}) {
        EXPECT_TRUE(members.out.contains(member)) << member << "\n" << members.out.toStdString();
    }
    EXPECT_EQ(Gdbus("org.freedesktop.DBus.Peer.Ping").exitCode, 0);

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
    EXPECT_EQ(notes.DesktopEntries().front(), "com.velora.TonvikMusic");

    // Pause and play again, through Qt's client.
    EXPECT_EQ(Qdbus({kPlayer + ".Pause"}).exitCode, 0);
    EXPECT_TRUE(WaitUntil([&] { return Status() == "Paused"; }));
    EXPECT_EQ(Qdbus({"org.freedesktop.DBus.Properties.Get", kPlayer, "PlaybackStatus"}).out, "Paused");
    EXPECT_EQ(Qdbus({kPlayer + ".Play"}).exitCode, 0);
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
    // A plain number: gdbus takes its type from the introspection; a client
    // that does not sends 32 bits, which is an offset too.
    const size_t seeksBefore = told.seeks.size();
    const ClientRun untyped = Gdbus(kPlayer + ".Seek", {"2000000"});
    EXPECT_EQ(untyped.exitCode, 0) << untyped.err.toStdString();
    ASSERT_TRUE(WaitUntil([&] { return told.seeks.size() == seeksBefore + 1; }));
    EXPECT_GE(told.seeks.back(), 8'000'000);
    const ClientRun int32 = DbusSend(kPlayer + ".Seek", {"int32:-2000000"});
    EXPECT_EQ(int32.exitCode, 0) << int32.err.toStdString();
    ASSERT_TRUE(WaitUntil([&] { return told.seeks.size() == seeksBefore + 2; }));
    EXPECT_LT(told.seeks.back(), told.seeks[seeksBefore]);

    // Bad calls get their errors; a stale track is ignored; the player runs on.
    // (gdbus reads Seek's type now and refuses a text itself: dbus-send carries it.)
    const ClientRun badSeek = DbusSend(kPlayer + ".Seek", {"string:far"});
    EXPECT_NE(badSeek.exitCode, 0);
    EXPECT_TRUE(badSeek.err.contains("InvalidArgs")) << badSeek.err.toStdString();
    EXPECT_TRUE(Gdbus(kPlayer + ".OpenUri", {"'file:///tmp/x.mp3'"}).err.contains("NotSupported"));
    EXPECT_TRUE(Gdbus("org.freedesktop.DBus.Properties.Set", {kPlayer, "LoopStatus", "<'Forever'>"}).err.contains("InvalidArgs"));
    EXPECT_TRUE(Gdbus("org.freedesktop.DBus.Properties.Get", {"org.example.Other", "Volume"}).err.contains("UnknownInterface"));
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

    // Next: the second song. While its address is looked up the player
    // says it plays that song; it never says Stopped on the way.
    EXPECT_TRUE(Property("CanGoNext").toBool());
    const size_t statusesBefore = told.ValuesOf("PlaybackStatus").size();
    standIn.SetFault(kLookupPath, standin::MakeFault(standin::FaultKind::Hang, 0, 0, 1));
    Playerctl({"next"});
    ASSERT_TRUE(standIn.WaitForHung(1, 15s, kLookupPath));
    EXPECT_EQ(Status(), "Playing");
    EXPECT_EQ(Title(), second);
    standIn.ReleaseHung(kLookupPath);
    ASSERT_TRUE(WaitUntil([&] { return Status() == "Playing" && Title() == second && Metadata().contains("mpris:length"); },
                          30s))
        << folder.Trace();
    EXPECT_TRUE(Lookups(songs[1].id));
    const std::vector<QVariant> statuses = told.ValuesOf("PlaybackStatus");
    for (size_t i = statusesBefore; i < statuses.size(); ++i)
        EXPECT_EQ(statuses[i].toString(), "Playing") << i << "\n" << folder.Trace();
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
    QStringList allStatuses;
    for (const QVariant& value : told.ValuesOf("PlaybackStatus")) allStatuses << value.toString();
    EXPECT_TRUE(allStatuses.contains("Playing"));
    EXPECT_TRUE(allStatuses.contains("Paused"));
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

TEST_F(MediaControlsProcessTest, WhatCanBeDoneFollowsThePlayListAndANoteWithoutAServiceGoesToTheTray) {
    const auto can = [this] {
        return std::vector<bool>{Property("CanPlay").toBool(), Property("CanGoNext").toBool(),
                                 Property("CanGoPrevious").toBool()};
    };
    using V = std::vector<bool>;
    // One song, and no notification service on this bus.
    PreparePlayer(folder, standIn, 1, true);
    auto player = folder.StartPlayer();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return bus.HasName(kService); }, 30s)) << folder.Trace();
    EXPECT_EQ(can(), (V{true, false, false}));
    // Next would give the same song again: while its address is looked up
    // (no row is marked yet) as much as once it plays.
    standIn.SetFault(kLookupPath, standin::MakeFault(standin::FaultKind::Hang, 0, 0, 1));
    Playerctl({"play"});
    ASSERT_TRUE(standIn.WaitForHung(1, 15s, kLookupPath));
    EXPECT_EQ(Status(), "Playing");
    EXPECT_EQ(can(), (V{true, false, false}));
    standIn.ReleaseHung(kLookupPath);
    ASSERT_TRUE(WaitUntil([&] { return Status() == "Playing" && Metadata().contains("mpris:length"); }, 30s))
        << folder.Trace();
    EXPECT_EQ(can(), (V{true, false, false}));
    EXPECT_TRUE(WaitUntil([&] { return folder.TraceCount("ShowNoteInTray===") == 1; }, 30s)) << folder.Trace();
    EXPECT_EQ(folder.TraceCount("it goes to the tray"), 1);
    EXPECT_EQ(folder.RunCloseTool(), 0);
    EXPECT_EQ(WaitForExit(*player, 30s), 0);

    // An empty play list: nothing to play, nothing to step to.
    PlayerFolder empty{runtime};
    OnTheBus(empty);
    PreparePlayer(empty, standIn, 0, false);
    player = empty.StartPlayer();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return bus.HasName(kService); }, 30s)) << empty.Trace();
    EXPECT_EQ(can(), (V{false, false, false}));
    EXPECT_EQ(Status(), "Stopped");
    EXPECT_EQ(empty.RunCloseTool(), 0);
    EXPECT_EQ(WaitForExit(*player, 30s), 0);
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
