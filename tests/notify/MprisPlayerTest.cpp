// The media-player interfaces over a fake player: commands, seeking, the
// play modes, metadata, change sent and the answers to bad calls.

#include "notify/MprisPlayer.h"

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

// A player whose state the test sets and whose commands it records.
class FakePort : public IMprisPort {
public:
    MprisStatus status = MprisStatus::Stopped;
    std::optional<MprisTrack> track;
    std::int64_t positionUs = 0;
    double volume = 0.5;
    int mode = kMprisSequence;
    std::vector<std::string> commands;
    std::vector<std::int64_t> seeks;
    std::vector<double> volumes;

    MprisStatus Status() const override { return status; }
    std::optional<MprisTrack> Track() const override { return track; }
    std::int64_t PositionUs() const override { return positionUs; }
    double Volume() const override { return volume; }
    int PlayMode() const override { return mode; }
    void PlayPause() override { commands.push_back("PlayPause"); }
    void Stop() override { commands.push_back("Stop"); }
    void Next() override { commands.push_back("Next"); }
    void Previous() override { commands.push_back("Previous"); }
    void SetVolume(double value) override {
        volumes.push_back(value);
        volume = value;
    }
    std::int64_t SeekTo(std::int64_t at) override {
        seeks.push_back(at);
        positionUs = at;
        return at;
    }
    void SetPlayMode(int value) override { mode = value; }
    void Raise() override { commands.push_back("Raise"); }
    void Quit() override { commands.push_back("Quit"); }

    void PlaySong(const std::string& id, std::int64_t lengthUs = 200'000'000) {
        status = MprisStatus::Playing;
        track = MprisTrack{id, QString::fromUtf8("月光"), QString::fromUtf8("歌手甲"), QStringLiteral("Album"), lengthUs};
    }
};

class MprisPlayerTest : public ::testing::Test {
protected:
    FakePort port;
    CMprisPlayer player{port};
    std::vector<QDBusMessage> sent;

    void SetUp() override {
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

TEST_F(MprisPlayerTest, GetAllAndIntrospectionCoverBothInterfaces) {
    const QDBusMessage all = Call(kProperties, "GetAll", {QString(CMprisPlayer::kPlayerInterface)});
    ASSERT_TRUE(IsReply(all));
    const QVariantMap properties = all.arguments()[0].toMap();
    const QString xml = CMprisPlayer::IntrospectionXml();
    for (const QString& name : properties.keys())
        EXPECT_TRUE(xml.contains(QStringLiteral("<property name=\"%1\"").arg(name))) << name.toStdString();
    for (const QString& name : player.Properties(CMprisPlayer::kRootInterface).keys())
        EXPECT_TRUE(xml.contains(QStringLiteral("<property name=\"%1\"").arg(name))) << name.toStdString();
    const QDBusMessage introspect = Call("org.freedesktop.DBus.Introspectable", "Introspect");
    ASSERT_TRUE(IsReply(introspect));
    EXPECT_EQ(introspect.arguments()[0].toString(), xml);
}

}  // namespace
