// The media-player interfaces over a fake player: commands, seeking, the
// play modes, metadata, change sent, the answers to bad calls, and an
// introspection document that GLib's own parser reads.

// Before Qt's headers, whose "signals" keyword GLib uses as a member name.
#include <gio/gio.h>

#include "notify/MprisPlayer.h"
#include "tests/notify/FakeMprisPort.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

namespace {

constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

class MprisPlayerTest : public ::testing::Test {
protected:
    FakeMprisPort port;
    CMprisPlayer player{port};
    std::vector<QDBusMessage> sent;

    void SetUp() override {
        port.player = &player;
        player.SetSignalSink([this](const QDBusMessage& signal) { sent.push_back(signal); });
    }

    QDBusMessage Call(const char* interface, const char* member, const QList<QVariant>& arguments = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(CMprisPlayer::kServiceName, CMprisPlayer::kObjectPath,
                                                           interface, member);
        call.setArguments(arguments);
        return player.Answer(call);
    }
    QDBusMessage PlayerCall(const char* member, const QList<QVariant>& arguments = {}) {
        return Call(CMprisPlayer::kPlayerInterface, member, arguments);
    }
    QVariant Get(const char* name) {
        const QDBusMessage reply = Call(kProperties, "Get", {QString(CMprisPlayer::kPlayerInterface), QString(name)});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) return {};
        return reply.arguments()[0].value<QDBusVariant>().variant();
    }
    QDBusMessage Set(const char* name, const QVariant& value) {
        return Call(kProperties, "Set",
                    {QString(CMprisPlayer::kPlayerInterface), QString(name), QVariant::fromValue(QDBusVariant(value))});
    }
    // The properties named in the PropertiesChanged sent so far.
    std::set<QString> ChangedNames() const {
        std::set<QString> names;
        for (const QDBusMessage& signal : sent) {
            if (signal.member() != QLatin1String("PropertiesChanged")) continue;
            for (const QString& key : signal.arguments()[1].toMap().keys()) names.insert(key);
        }
        return names;
    }
    std::vector<qlonglong> SeekedSignals() const {
        std::vector<qlonglong> positions;
        for (const QDBusMessage& signal : sent)
            if (signal.member() == QLatin1String("Seeked")) positions.push_back(signal.arguments()[0].toLongLong());
        return positions;
    }
};

bool IsReply(const QDBusMessage& reply) { return reply.type() == QDBusMessage::ReplyMessage; }

TEST_F(MprisPlayerTest, PlayAndPauseActOnlyWhenTheyChangeSomething) {
    // Stopped: Play is the play button; Pause has nothing to pause.
    EXPECT_TRUE(IsReply(PlayerCall("Pause")));
    EXPECT_TRUE(IsReply(PlayerCall("Play")));
    EXPECT_EQ(port.commands, (std::vector<std::string>{"PlayPause"}));
    port.commands.clear();
    port.PlaySong("1001");
    PlayerCall("Play");
    EXPECT_TRUE(port.commands.empty());
    PlayerCall("Pause");
    port.status = MprisStatus::Paused;
    PlayerCall("Pause");
    PlayerCall("Play");
    PlayerCall("PlayPause");
    PlayerCall("Stop");
    PlayerCall("Next");
    PlayerCall("Previous");
    EXPECT_EQ(port.commands, (std::vector<std::string>{"PlayPause", "PlayPause", "PlayPause", "Stop", "Next", "Previous"}));
}

TEST_F(MprisPlayerTest, RaiseAndQuitReachTheFrame) {
    EXPECT_TRUE(IsReply(Call(CMprisPlayer::kRootInterface, "Raise")));
    EXPECT_TRUE(IsReply(Call(CMprisPlayer::kRootInterface, "Quit")));
    EXPECT_EQ(port.commands, (std::vector<std::string>{"Raise", "Quit"}));
    const QVariantMap root = player.Properties(CMprisPlayer::kRootInterface);
    EXPECT_TRUE(root.value("CanQuit").toBool());
    EXPECT_TRUE(root.value("CanRaise").toBool());
    EXPECT_EQ(root.value("DesktopEntry").toString(), "com.velora.TonvikMusic");
}

TEST_F(MprisPlayerTest, SeekFollowsTheRulesOfTheInterface) {
    // Nothing plays: no seek.
    PlayerCall("Seek", {qlonglong(5'000'000)});
    EXPECT_TRUE(port.seeks.empty());
    // A song of unknown length cannot be moved in either.
    port.PlaySong("1001", 0);
    EXPECT_FALSE(Get("CanSeek").toBool());
    PlayerCall("Seek", {qlonglong(5'000'000)});
    EXPECT_TRUE(port.seeks.empty());

    port.PlaySong("1001", 200'000'000);
    EXPECT_TRUE(Get("CanSeek").toBool());
    port.positionUs = 10'000'000;
    PlayerCall("Seek", {qlonglong(5'000'000)});
    PlayerCall("Seek", {qlonglong(-60'000'000)});  // before the start: the start
    EXPECT_EQ(port.seeks, (std::vector<std::int64_t>{15'000'000, 0}));
    EXPECT_EQ(SeekedSignals(), (std::vector<qlonglong>{15'000'000, 0}));
    // Past the end: the next song, no seek.
    PlayerCall("Seek", {qlonglong(300'000'000)});
    EXPECT_EQ(port.commands, (std::vector<std::string>{"Next"}));
    EXPECT_EQ(port.seeks.size(), 2u);

    // A client that sends its number untyped sends a 32-bit one; any
    // integer is an offset. Other types are not.
    port.positionUs = 10'000'000;
    sent.clear();
    EXPECT_TRUE(IsReply(PlayerCall("Seek", {int(5'000'000)})));
    EXPECT_TRUE(IsReply(PlayerCall("Seek", {uint(1'000'000)})));
    EXPECT_TRUE(IsReply(PlayerCall("Seek", {short(-1000)})));
    EXPECT_TRUE(IsReply(PlayerCall("Seek", {QVariant::fromValue(uchar(7))})));
    EXPECT_EQ(SeekedSignals(), (std::vector<qlonglong>{15'000'000, 16'000'000, 15'999'000, 15'999'007}));
    EXPECT_EQ(PlayerCall("Seek", {true}).errorName(), "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(PlayerCall("Seek", {2.5}).errorName(), "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(PlayerCall("Seek", {qulonglong(1) << 63}).errorName(), "org.freedesktop.DBus.Error.InvalidArgs");
    const QDBusObjectPath current(CMprisPlayer::TrackPath("1001"));
    EXPECT_TRUE(IsReply(PlayerCall("SetPosition", {QVariant::fromValue(current), int(3'000'000)})));
    EXPECT_EQ(port.positionUs, 3'000'000);
}

TEST_F(MprisPlayerTest, AMoveOfThePlayersOwnIsToldOnceAsSeeked) {
    port.PlaySong("1001", 200'000'000);
    // The user moved the slider.
    player.OnSeeked(42'000'000);
    EXPECT_EQ(SeekedSignals(), (std::vector<qlonglong>{42'000'000}));
    // A call's move reaches the slider too, and is told once.
    sent.clear();
    port.positionUs = 0;
    PlayerCall("Seek", {qlonglong(5'000'000)});
    EXPECT_EQ(SeekedSignals(), (std::vector<qlonglong>{5'000'000}));
}

TEST_F(MprisPlayerTest, CanPlayAndCanGoFollowTheListAndTheSong) {
    const auto can = [this] {
        return std::vector<bool>{Get("CanPlay").toBool(), Get("CanGoNext").toBool(), Get("CanGoPrevious").toBool()};
    };
    using V = std::vector<bool>;
    // An empty list: nothing to start, nothing to step to.
    EXPECT_EQ(can(), (V{false, false, false}));
    // One song, not started yet: the play key starts it; Next and Previous
    // have no list to step in until a song came from one.
    port.songToStart = true;
    EXPECT_EQ(can(), (V{true, false, false}));
    // That one song playing: stepping would give the same song again.
    port.PlaySong("1001");
    port.place = {1, 0};
    EXPECT_EQ(can(), (V{true, false, false}));
    // The list gains a song.
    port.place = {2, 0};
    EXPECT_EQ(can(), (V{true, true, true}));
    // The current song left its list of one: the other one is another song.
    port.place = {1, -1};
    EXPECT_EQ(can(), (V{true, true, true}));
    // Stopped with the list emptied.
    port.status = MprisStatus::Stopped;
    port.track.reset();
    port.songToStart = false;
    port.place = {0, -1};
    EXPECT_EQ(can(), (V{false, false, false}));
    // The changes are told.
    player.Refresh();
    sent.clear();
    port.songToStart = true;
    port.place = {2, -1};
    player.Refresh();
    EXPECT_EQ(ChangedNames(), (std::set<QString>{"CanPlay", "CanGoNext", "CanGoPrevious"}));
}

TEST_F(MprisPlayerTest, SetPositionIgnoresStaleTracksAndPlacesOutsideTheSong) {
    port.PlaySong("1001", 200'000'000);
    const QDBusObjectPath current(CMprisPlayer::TrackPath("1001"));
    const QDBusObjectPath other(CMprisPlayer::TrackPath("1002"));
    EXPECT_TRUE(IsReply(PlayerCall("SetPosition", {QVariant::fromValue(other), qlonglong(1'000'000)})));
    PlayerCall("SetPosition", {QVariant::fromValue(current), qlonglong(-1)});
    PlayerCall("SetPosition", {QVariant::fromValue(current), qlonglong(200'000'001)});
    EXPECT_TRUE(port.seeks.empty());
    EXPECT_TRUE(SeekedSignals().empty());
    PlayerCall("SetPosition", {QVariant::fromValue(current), qlonglong(42'000'000)});
    EXPECT_EQ(port.seeks, (std::vector<std::int64_t>{42'000'000}));
    EXPECT_EQ(SeekedSignals(), (std::vector<qlonglong>{42'000'000}));
    // Stopped: nothing to place.
    port.status = MprisStatus::Stopped;
    PlayerCall("SetPosition", {QVariant::fromValue(current), qlonglong(1'000'000)});
    EXPECT_EQ(port.seeks.size(), 1u);
    EXPECT_EQ(Get("Position").toLongLong(), 0);
}

TEST_F(MprisPlayerTest, VolumeIsClampedAndMustBeANumber) {
    EXPECT_TRUE(IsReply(Set("Volume", 1.7)));
    EXPECT_TRUE(IsReply(Set("Volume", -0.5)));
    EXPECT_TRUE(IsReply(Set("Volume", 0.25)));
    EXPECT_EQ(port.volumes, (std::vector<double>{1.0, 0.0, 0.25}));
    EXPECT_EQ(Set("Volume", QString("loud")).errorName(), "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(Set("Volume", std::numeric_limits<double>::quiet_NaN()).errorName(),
              "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(port.volumes.size(), 3u);
    EXPECT_DOUBLE_EQ(Get("Volume").toDouble(), 0.25);
}

TEST_F(MprisPlayerTest, TheFivePlayModesMapOntoLoopAndShuffle) {
    struct Row {
        int mode;
        const char* loop;
        bool shuffle;
    };
    for (const Row& row : {Row{kMprisSingle, "None", false}, Row{kMprisRepeatOne, "Track", false},
                           Row{kMprisSequence, "None", false}, Row{kMprisRandom, "Playlist", true},
                           Row{kMprisRepeatList, "Playlist", false}}) {
        port.mode = row.mode;
        EXPECT_EQ(Get("LoopStatus").toString(), row.loop) << row.mode;
        EXPECT_EQ(Get("Shuffle").toBool(), row.shuffle) << row.mode;
    }
    struct Change {
        int from;
        const char* property;
        QVariant value;
        int to;
    };
    for (const Change& change : {Change{kMprisSequence, "Shuffle", true, kMprisRandom},
                                 Change{kMprisRandom, "Shuffle", false, kMprisRepeatList},
                                 Change{kMprisSingle, "Shuffle", false, kMprisSingle},
                                 Change{kMprisSequence, "LoopStatus", QString("Track"), kMprisRepeatOne},
                                 Change{kMprisRepeatOne, "LoopStatus", QString("Playlist"), kMprisRepeatList},
                                 Change{kMprisRandom, "LoopStatus", QString("Playlist"), kMprisRandom},
                                 Change{kMprisRandom, "LoopStatus", QString("None"), kMprisSequence},
                                 Change{kMprisSingle, "LoopStatus", QString("None"), kMprisSingle}}) {
        port.mode = change.from;
        EXPECT_TRUE(IsReply(Set(change.property, change.value)));
        EXPECT_EQ(port.mode, change.to) << change.from << " " << change.property;
    }
    port.mode = kMprisSequence;
    EXPECT_EQ(Set("LoopStatus", QString("Forever")).errorName(), "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(Set("Shuffle", 1).errorName(), "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(port.mode, kMprisSequence);
}

TEST_F(MprisPlayerTest, MetadataDescribesTheSongOrNoTrack) {
    QVariantMap metadata = Get("Metadata").toMap();
    EXPECT_EQ(metadata.value("mpris:trackid").value<QDBusObjectPath>().path(), CMprisPlayer::kNoTrack);
    EXPECT_EQ(metadata.size(), 1);
    port.PlaySong("1001", 3'000'000);
    metadata = Get("Metadata").toMap();
    EXPECT_EQ(metadata.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/tonvikmusic/track/1001");
    EXPECT_EQ(metadata.value("xesam:title").toString(), QString::fromUtf8("月光"));
    EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{QString::fromUtf8("歌手甲")});
    EXPECT_EQ(metadata.value("xesam:album").toString(), "Album");
    EXPECT_EQ(metadata.value("mpris:length").toLongLong(), 3'000'000);
    // No singer: no artist at all, rather than an empty one.
    port.track->artist.clear();
    port.track->album.clear();
    metadata = Get("Metadata").toMap();
    EXPECT_FALSE(metadata.contains("xesam:artist"));
    EXPECT_FALSE(metadata.contains("xesam:album"));
    EXPECT_EQ(metadata.value("xesam:title").toString(), QString::fromUtf8("月光"));
    // Any identifier makes a valid path, and different ones different paths.
    std::set<QString> paths;
    for (const char* id : {"a/b", "a_2fb", "", "歌", "x y"}) {
        const QString path = CMprisPlayer::TrackPath(id);
        EXPECT_TRUE(QDBusObjectPath(path).path() == path) << id;
        EXPECT_FALSE(path.endsWith('/'));
        paths.insert(path);
    }
    EXPECT_EQ(paths.size(), 5u);
}

TEST_F(MprisPlayerTest, ChangesAreSignalledOnceAndPositionNever) {
    port.songToStart = true;  // a play list to start from: CanPlay stays
    player.Refresh();
    EXPECT_TRUE(sent.empty());
    port.PlaySong("1001");
    port.positionUs = 7'000'000;
    player.Refresh();
    EXPECT_EQ(ChangedNames(), (std::set<QString>{"PlaybackStatus", "Metadata", "CanSeek"}));
    const QDBusMessage& signal = sent.back();
    EXPECT_EQ(signal.interface(), kProperties);
    EXPECT_EQ(signal.arguments()[0].toString(), CMprisPlayer::kPlayerInterface);
    sent.clear();
    port.positionUs = 9'000'000;
    player.Refresh();
    EXPECT_TRUE(sent.empty());
    // A change made through a call is told before its answer.
    Set("Volume", 0.9);
    port.mode = kMprisRandom;
    player.Refresh();
    EXPECT_EQ(ChangedNames(), (std::set<QString>{"Volume", "LoopStatus", "Shuffle"}));
}

TEST_F(MprisPlayerTest, ASongStartingIsToldOncePerStart) {
    std::vector<std::string> started;
    player.SetTrackStarted([&](const MprisTrack& track) { started.push_back(track.id); });
    port.PlaySong("1001");
    player.Refresh();
    player.Refresh();
    port.status = MprisStatus::Paused;
    player.Refresh();
    port.status = MprisStatus::Playing;
    player.Refresh();
    port.PlaySong("1002");
    player.Refresh();
    port.status = MprisStatus::Stopped;
    port.track.reset();
    player.Refresh();
    port.PlaySong("1002");
    player.Refresh();
    EXPECT_EQ(started, (std::vector<std::string>{"1001", "1002", "1002"}));
}

TEST_F(MprisPlayerTest, BadCallsGetTheirErrorsAndChangeNothing) {
    port.PlaySong("1001");
    struct Bad {
        const char* interface;
        const char* member;
        QList<QVariant> arguments;
        const char* error;
    };
    const QString player = CMprisPlayer::kPlayerInterface;
    const std::vector<Bad> bad = {
        {CMprisPlayer::kPlayerInterface, "Seek", {QString("far")}, "org.freedesktop.DBus.Error.InvalidArgs"},
        {CMprisPlayer::kPlayerInterface, "Seek", {}, "org.freedesktop.DBus.Error.InvalidArgs"},
        {CMprisPlayer::kPlayerInterface, "SetPosition", {qlonglong(1)}, "org.freedesktop.DBus.Error.InvalidArgs"},
        {CMprisPlayer::kPlayerInterface, "SetPosition", {QString("/x"), qlonglong(1)}, "org.freedesktop.DBus.Error.InvalidArgs"},
        {CMprisPlayer::kPlayerInterface, "Next", {1}, "org.freedesktop.DBus.Error.InvalidArgs"},
        {CMprisPlayer::kPlayerInterface, "OpenUri", {QString("http://x/y.mp3")}, "org.freedesktop.DBus.Error.NotSupported"},
        {CMprisPlayer::kPlayerInterface, "Rewind", {}, "org.freedesktop.DBus.Error.UnknownMethod"},
        {CMprisPlayer::kRootInterface, "Quit", {true}, "org.freedesktop.DBus.Error.InvalidArgs"},
        {"org.example.Other", "Play", {}, "org.freedesktop.DBus.Error.UnknownInterface"},
        {kProperties, "Get", {player, QString("Colour")}, "org.freedesktop.DBus.Error.UnknownProperty"},
        {kProperties, "Get", {QString("org.example.Other"), QString("Volume")}, "org.freedesktop.DBus.Error.UnknownInterface"},
        {kProperties, "Get", {player}, "org.freedesktop.DBus.Error.InvalidArgs"},
        {kProperties, "GetAll", {QString("org.example.Other")}, "org.freedesktop.DBus.Error.UnknownInterface"},
        {kProperties, "Set", {player, QString("Volume"), 0.5}, "org.freedesktop.DBus.Error.InvalidArgs"},
        {kProperties, "Set", {player, QString("PlaybackStatus"), QVariant::fromValue(QDBusVariant(QString("Stopped")))},
         "org.freedesktop.DBus.Error.PropertyReadOnly"},
        {kProperties, "Set", {player, QString("Colour"), QVariant::fromValue(QDBusVariant(1))},
         "org.freedesktop.DBus.Error.UnknownProperty"},
        {kProperties, "Drop", {}, "org.freedesktop.DBus.Error.UnknownMethod"},
    };
    for (const Bad& call : bad) {
        const QDBusMessage reply = Call(call.interface, call.member, call.arguments);
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage) << call.interface << "." << call.member;
        EXPECT_EQ(reply.errorName(), call.error) << call.interface << "." << call.member;
    }
    EXPECT_TRUE(port.commands.empty());
    EXPECT_TRUE(port.seeks.empty());
    EXPECT_TRUE(port.volumes.empty());
    EXPECT_EQ(port.mode, kMprisSequence);
}

// The D-Bus type of a property's value as the bus would carry it.
std::string SignatureOf(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return "b";
    case QMetaType::Double:
        return "d";
    case QMetaType::LongLong:
        return "x";
    case QMetaType::QString:
        return "s";
    case QMetaType::QStringList:
        return "as";
    case QMetaType::QVariantMap:
        return "a{sv}";
    default:
        return "?";
    }
}

TEST_F(MprisPlayerTest, TheIntrospectionIsADocumentGLibReadsAndMatchesTheAnswers) {
    const QDBusMessage introspect = Call("org.freedesktop.DBus.Introspectable", "Introspect");
    ASSERT_TRUE(IsReply(introspect));
    const QByteArray xml = introspect.arguments()[0].toString().toUtf8();
    GError* error = nullptr;
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(xml.constData(), &error);
    ASSERT_NE(node, nullptr) << (error ? error->message : "") << "\n" << xml.constData();
    for (const char* name : {"org.freedesktop.DBus.Introspectable", "org.freedesktop.DBus.Peer", kProperties,
                             CMprisPlayer::kRootInterface, CMprisPlayer::kPlayerInterface}) {
        EXPECT_NE(g_dbus_node_info_lookup_interface(node, name), nullptr) << name;
    }
    // Every property answered is declared with the type it is answered in.
    port.PlaySong("1001");
    for (const char* name : {CMprisPlayer::kRootInterface, CMprisPlayer::kPlayerInterface}) {
        GDBusInterfaceInfo* interface = g_dbus_node_info_lookup_interface(node, name);
        ASSERT_NE(interface, nullptr);
        const QDBusMessage all = Call(kProperties, "GetAll", {QString(name)});
        ASSERT_TRUE(IsReply(all));
        const QVariantMap properties = all.arguments()[0].toMap();
        int declared = 0;
        for (GDBusPropertyInfo** property = interface->properties; property && *property; ++property) ++declared;
        EXPECT_EQ(declared, properties.size()) << name;
        for (auto it = properties.constBegin(); it != properties.constEnd(); ++it) {
            GDBusPropertyInfo* property = g_dbus_interface_info_lookup_property(interface, it.key().toUtf8().constData());
            ASSERT_NE(property, nullptr) << it.key().toStdString();
            EXPECT_EQ(property->signature, SignatureOf(it.value())) << it.key().toStdString();
        }
    }
    GDBusInterfaceInfo* playerInterface = g_dbus_node_info_lookup_interface(node, CMprisPlayer::kPlayerInterface);
    GDBusMethodInfo* seek = g_dbus_interface_info_lookup_method(playerInterface, "Seek");
    ASSERT_NE(seek, nullptr);
    ASSERT_NE(seek->in_args[0], nullptr);
    EXPECT_STREQ(seek->in_args[0]->signature, "x");
    EXPECT_NE(g_dbus_interface_info_lookup_signal(playerInterface, "Seeked"), nullptr);
    g_dbus_node_info_unref(node);
}

}  // namespace
