#include "notify/MprisPlayer.h"

#include "common/Trace.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr const char* kIntrospectableInterface = "org.freedesktop.DBus.Introspectable";
constexpr const char* kInvalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";
constexpr const char* kUnknownMethod = "org.freedesktop.DBus.Error.UnknownMethod";
constexpr const char* kUnknownInterface = "org.freedesktop.DBus.Error.UnknownInterface";
constexpr const char* kUnknownProperty = "org.freedesktop.DBus.Error.UnknownProperty";
constexpr const char* kReadOnly = "org.freedesktop.DBus.Error.PropertyReadOnly";
constexpr const char* kNotSupported = "org.freedesktop.DBus.Error.NotSupported";

// Where the interface takes a 64-bit integer (x), any integer a caller
// sends is taken: a client that does not introspect sends a plain number as
// a 32-bit one.
constexpr int kAnyInteger = -1;

std::optional<qint64> IntegerOf(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::ULongLong: {
        const qulonglong number = value.toULongLong();
        if (number > static_cast<qulonglong>(std::numeric_limits<qint64>::max())) return std::nullopt;
        return static_cast<qint64>(number);
    }
    default:
        return std::nullopt;
    }
}

// The argument types of a call, as Qt hands them over.
bool HasTypes(const QDBusMessage& call, std::initializer_list<int> types) {
    const QList<QVariant> arguments = call.arguments();
    if (arguments.size() != static_cast<qsizetype>(types.size())) return false;
    qsizetype at = 0;
    for (int type : types) {
        const QVariant& argument = arguments[at++];
        if (type == kAnyInteger ? !IntegerOf(argument).has_value() : argument.metaType().id() != type) return false;
    }
    return true;
}

int PathType() { return qMetaTypeId<QDBusObjectPath>(); }
int VariantType() { return qMetaTypeId<QDBusVariant>(); }

QDBusMessage Error(const QDBusMessage& call, const QString& name, const QString& text) {
    return call.createErrorReply(name, text);
}

QString LoopOfMode(int mode) {
    switch (mode) {
    case kMprisRepeatOne:
        return QStringLiteral("Track");
    case kMprisRandom:
    case kMprisRepeatList:
        return QStringLiteral("Playlist");
    default:
        return QStringLiteral("None");
    }
}

}  // namespace

CMprisPlayer::CMprisPlayer(IMprisPort& port) : m_port(port) {}

QString CMprisPlayer::TrackPath(const std::string& songId) {
    // Letters and digits as they are, every other byte as "_" and two hex
    // digits: distinct identifiers give distinct paths.
    QString path = QString::fromLatin1(kTrackPathPrefix);
    if (songId.empty()) return path + QLatin1Char('_');
    static const char kHex[] = "0123456789abcdef";
    for (unsigned char byte : songId) {
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')) {
            path += QLatin1Char(static_cast<char>(byte));
        } else {
            path += QLatin1Char('_');
            path += QLatin1Char(kHex[byte >> 4]);
            path += QLatin1Char(kHex[byte & 0xF]);
        }
    }
    return path;
}

QString CMprisPlayer::PlaybackStatus() const {
    switch (m_port.Status()) {
    case MprisStatus::Playing:
        return QStringLiteral("Playing");
    case MprisStatus::Paused:
        return QStringLiteral("Paused");
    case MprisStatus::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

bool CMprisPlayer::CanSeek() const {
    if (m_port.Status() == MprisStatus::Stopped) return false;
    const std::optional<MprisTrack> track = m_port.Track();
    return track && track->lengthUs > 0;
}

QVariantMap CMprisPlayer::Metadata() const {
    QVariantMap metadata;
    const std::optional<MprisTrack> track = m_port.Track();
    if (!track) {
        metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(QString::fromLatin1(kNoTrack))));
        return metadata;
    }
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackPath(track->id))));
    metadata.insert(QStringLiteral("xesam:title"), track->title);
    // A song without a singer has no artist rather than an empty one.
    if (!track->artist.isEmpty()) metadata.insert(QStringLiteral("xesam:artist"), QStringList{track->artist});
    if (!track->album.isEmpty()) metadata.insert(QStringLiteral("xesam:album"), track->album);
    if (track->lengthUs > 0) metadata.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(track->lengthUs));
    return metadata;
}

QVariantMap CMprisPlayer::Properties(const QString& interface) const {
    QVariantMap properties;
    if (interface == QLatin1String(kRootInterface)) {
        properties.insert(QStringLiteral("CanQuit"), true);
        properties.insert(QStringLiteral("CanRaise"), true);
        properties.insert(QStringLiteral("HasTrackList"), false);
        properties.insert(QStringLiteral("Identity"), QStringLiteral("TonvikMusic"));
        properties.insert(QStringLiteral("DesktopEntry"), QStringLiteral("com.velora.TonvikMusic"));
        properties.insert(QStringLiteral("SupportedUriSchemes"), QStringList());
        properties.insert(QStringLiteral("SupportedMimeTypes"), QStringList());
    } else if (interface == QLatin1String(kPlayerInterface)) {
        const int mode = m_port.PlayMode();
        properties.insert(QStringLiteral("PlaybackStatus"), PlaybackStatus());
        properties.insert(QStringLiteral("LoopStatus"), LoopOfMode(mode));
        properties.insert(QStringLiteral("Shuffle"), mode == kMprisRandom);
        properties.insert(QStringLiteral("Rate"), 1.0);
        properties.insert(QStringLiteral("MinimumRate"), 1.0);
        properties.insert(QStringLiteral("MaximumRate"), 1.0);
        properties.insert(QStringLiteral("Metadata"), Metadata());
        properties.insert(QStringLiteral("Volume"), m_port.Volume());
        properties.insert(QStringLiteral("Position"), static_cast<qlonglong>(
                                                          m_port.Status() == MprisStatus::Stopped ? 0 : m_port.PositionUs()));
        const MprisListPlace place = m_port.ListPlace();
        const bool canStep = place.count > 1 || (place.count == 1 && place.current != 0);
        properties.insert(QStringLiteral("CanGoNext"), canStep);
        properties.insert(QStringLiteral("CanGoPrevious"), canStep);
        properties.insert(QStringLiteral("CanPlay"), m_port.Status() != MprisStatus::Stopped || m_port.HasSongToStart());
        properties.insert(QStringLiteral("CanPause"), true);
        properties.insert(QStringLiteral("CanSeek"), CanSeek());
        properties.insert(QStringLiteral("CanControl"), true);
    }
    return properties;
}

QDBusMessage CMprisPlayer::Answer(const QDBusMessage& call) {
    const QString interface = call.interface();
    const QString member = call.member();
    QDBusMessage reply;
    if (interface == QLatin1String(kIntrospectableInterface) && member == QLatin1String("Introspect")) {
        reply = call.createReply(IntrospectionXml());
    } else if (interface == QLatin1String(kPropertiesInterface)) {
        const QList<QVariant> arguments = call.arguments();
        if (member == QLatin1String("GetAll") && HasTypes(call, {QMetaType::QString})) {
            const QString of = arguments[0].toString();
            if (of != QLatin1String(kRootInterface) && of != QLatin1String(kPlayerInterface)) {
                reply = Error(call, kUnknownInterface, QStringLiteral("No interface %1 here.").arg(of));
            } else {
                reply = call.createReply(Properties(of));
            }
        } else if (member == QLatin1String("Get") && HasTypes(call, {QMetaType::QString, QMetaType::QString})) {
            const QVariantMap all = Properties(arguments[0].toString());
            const auto found = all.constFind(arguments[1].toString());
            if (all.isEmpty()) {
                reply = Error(call, kUnknownInterface, QStringLiteral("No interface %1 here.").arg(arguments[0].toString()));
            } else if (found == all.constEnd()) {
                reply = Error(call, kUnknownProperty, QStringLiteral("No property %1.").arg(arguments[1].toString()));
            } else {
                reply = call.createReply(QVariant::fromValue(QDBusVariant(*found)));
            }
        } else if (member == QLatin1String("Set") &&
                   HasTypes(call, {QMetaType::QString, QMetaType::QString, VariantType()})) {
            QString text;
            const QString error = SetProperty(arguments[0].toString(), arguments[1].toString(),
                                              arguments[2].value<QDBusVariant>().variant(), &text);
            reply = error.isEmpty() ? call.createReply() : Error(call, error, text);
        } else if (member == QLatin1String("Get") || member == QLatin1String("GetAll") ||
                   member == QLatin1String("Set")) {
            reply = Error(call, kInvalidArgs, QStringLiteral("Wrong arguments for %1.").arg(member));
        } else {
            reply = Error(call, kUnknownMethod, QStringLiteral("No method %1.").arg(member));
        }
    } else if (interface == QLatin1String(kRootInterface) && (member == QLatin1String("Raise") || member == QLatin1String("Quit"))) {
        if (!call.arguments().isEmpty()) {
            reply = Error(call, kInvalidArgs, QStringLiteral("%1 takes no arguments.").arg(member));
        } else {
            Trace("MPRIS===%s", qPrintable(member));
            if (member == QLatin1String("Raise")) {
                m_port.Raise();
            } else {
                m_port.Quit();
            }
            reply = call.createReply();
        }
    } else if (interface == QLatin1String(kPlayerInterface) || interface.isEmpty()) {
        reply = CallPlayer(call);
    } else {
        reply = Error(call, kUnknownInterface, QStringLiteral("No interface %1 here.").arg(interface));
    }
    Refresh();
    return reply;
}

QDBusMessage CMprisPlayer::CallPlayer(const QDBusMessage& call) {
    const QString member = call.member();
    const QList<QVariant> arguments = call.arguments();
    static const QStringList kPlain = {QStringLiteral("Next"),      QStringLiteral("Previous"), QStringLiteral("Pause"),
                                       QStringLiteral("PlayPause"), QStringLiteral("Stop"),     QStringLiteral("Play")};
    if (kPlain.contains(member)) {
        if (!arguments.isEmpty()) return Error(call, kInvalidArgs, QStringLiteral("%1 takes no arguments.").arg(member));
        Trace("MPRIS===%s", qPrintable(member));
        const MprisStatus status = m_port.Status();
        if (member == QLatin1String("Next")) {
            m_port.Next();
        } else if (member == QLatin1String("Previous")) {
            m_port.Previous();
        } else if (member == QLatin1String("Stop")) {
            m_port.Stop();
        } else if (member == QLatin1String("PlayPause")) {
            m_port.PlayPause();
        } else if (member == QLatin1String("Play")) {
            if (status != MprisStatus::Playing) m_port.PlayPause();
        } else if (status == MprisStatus::Playing) {  // Pause
            m_port.PlayPause();
        }
        return call.createReply();
    }
    if (member == QLatin1String("Seek")) {
        if (!HasTypes(call, {kAnyInteger})) return Error(call, kInvalidArgs, QStringLiteral("Seek takes an offset (x)."));
        Seek(*IntegerOf(arguments[0]));
        return call.createReply();
    }
    if (member == QLatin1String("SetPosition")) {
        if (!HasTypes(call, {PathType(), kAnyInteger}))
            return Error(call, kInvalidArgs, QStringLiteral("SetPosition takes a track id and a position (ox)."));
        SetPosition(arguments[0].value<QDBusObjectPath>().path(), *IntegerOf(arguments[1]));
        return call.createReply();
    }
    if (member == QLatin1String("OpenUri")) {
        if (!HasTypes(call, {QMetaType::QString})) return Error(call, kInvalidArgs, QStringLiteral("OpenUri takes a URI (s)."));
        return Error(call, kNotSupported, QStringLiteral("No URI can be opened."));
    }
    return Error(call, kUnknownMethod, QStringLiteral("No method %1.").arg(member));
}

void CMprisPlayer::Seek(qint64 offsetUs) {
    if (!CanSeek()) return;
    const std::int64_t length = m_port.Track()->lengthUs;
    const std::int64_t from = m_port.PositionUs();
    // Past the end is the next song; before the start is the start.
    if (offsetUs > 0 && offsetUs >= length - from) {
        Trace("MPRIS===Seek past the end: next song.");
        m_port.Next();
        return;
    }
    SignalSeeked(SeekPort(std::max<std::int64_t>(0, from + offsetUs)));
}

std::int64_t CMprisPlayer::SeekPort(std::int64_t positionUs) {
    m_seeking = true;
    const std::int64_t reached = m_port.SeekTo(positionUs);
    m_seeking = false;
    return reached;
}

void CMprisPlayer::OnSeeked(std::int64_t positionUs) {
    if (!m_seeking) SignalSeeked(positionUs);
}

void CMprisPlayer::SetPosition(const QString& trackPath, qint64 positionUs) {
    if (!CanSeek()) return;
    const MprisTrack track = *m_port.Track();
    // A call for another song than this one is stale; a place outside the
    // song is no place.
    if (trackPath != TrackPath(track.id)) return;
    if (positionUs < 0 || positionUs > track.lengthUs) return;
    SignalSeeked(SeekPort(positionUs));
}

// The place is the one the player went to: a position read at once may
// still be the old one while the engine moves.
void CMprisPlayer::SignalSeeked(std::int64_t positionUs) {
    if (!m_signals) return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath), QString::fromLatin1(kPlayerInterface),
                                                     QStringLiteral("Seeked"));
    signal << static_cast<qlonglong>(positionUs);
    m_signals(signal);
}

void CMprisPlayer::SetLoopStatus(const QString& loop) {
    const int mode = m_port.PlayMode();
    int wanted = mode;
    if (loop == QLatin1String("Track")) {
        wanted = kMprisRepeatOne;
    } else if (loop == QLatin1String("Playlist")) {
        if (mode != kMprisRandom) wanted = kMprisRepeatList;
    } else if (mode != kMprisSingle) {  // None
        wanted = kMprisSequence;
    }
    if (wanted != mode) m_port.SetPlayMode(wanted);
}

void CMprisPlayer::SetShuffle(bool shuffle) {
    const int mode = m_port.PlayMode();
    if (shuffle && mode != kMprisRandom) m_port.SetPlayMode(kMprisRandom);
    if (!shuffle && mode == kMprisRandom) m_port.SetPlayMode(kMprisRepeatList);
}

QString CMprisPlayer::SetProperty(const QString& interface, const QString& name, const QVariant& value, QString* message) {
    const QVariantMap known = Properties(interface);
    if (known.isEmpty()) {
        *message = QStringLiteral("No interface %1 here.").arg(interface);
        return QString::fromLatin1(kUnknownInterface);
    }
    if (!known.contains(name)) {
        *message = QStringLiteral("No property %1.").arg(name);
        return QString::fromLatin1(kUnknownProperty);
    }
    const auto wrongType = [&](const char* type) {
        *message = QStringLiteral("%1 takes a value of type %2.").arg(name, QLatin1String(type));
        return QString::fromLatin1(kInvalidArgs);
    };
    const int type = value.metaType().id();
    if (interface == QLatin1String(kPlayerInterface)) {
        if (name == QLatin1String("Volume")) {
            if (type != QMetaType::Double) return wrongType("d");
            const double volume = value.toDouble();
            if (std::isnan(volume)) {
                *message = QStringLiteral("The volume is not a number.");
                return QString::fromLatin1(kInvalidArgs);
            }
            m_port.SetVolume(std::clamp(volume, 0.0, 1.0));
            return {};
        }
        if (name == QLatin1String("LoopStatus")) {
            if (type != QMetaType::QString) return wrongType("s");
            const QString loop = value.toString();
            if (loop != QLatin1String("None") && loop != QLatin1String("Track") && loop != QLatin1String("Playlist")) {
                *message = QStringLiteral("LoopStatus is None, Track or Playlist.");
                return QString::fromLatin1(kInvalidArgs);
            }
            SetLoopStatus(loop);
            return {};
        }
        if (name == QLatin1String("Shuffle")) {
            if (type != QMetaType::Bool) return wrongType("b");
            SetShuffle(value.toBool());
            return {};
        }
        if (name == QLatin1String("Rate")) {
            if (type != QMetaType::Double) return wrongType("d");
            // Only the one rate; 0 stands for a pause.
            if (value.toDouble() == 0.0 && m_port.Status() == MprisStatus::Playing) m_port.PlayPause();
            return {};
        }
    }
    *message = QStringLiteral("%1 is read-only.").arg(name);
    return QString::fromLatin1(kReadOnly);
}

void CMprisPlayer::Refresh() {
    QVariantMap now = Properties(QString::fromLatin1(kPlayerInterface));
    now.remove(QStringLiteral("Position"));
    const MprisStatus status = m_port.Status();
    const std::optional<MprisTrack> track = m_port.Track();

    if (status == MprisStatus::Playing && track &&
        (m_toldStatus == MprisStatus::Stopped || m_toldTrackId != track->id) && m_trackStarted) {
        m_trackStarted(*track);
    }
    m_toldStatus = status;
    m_toldTrackId = track ? track->id : std::string();

    if (!m_told) {
        m_told = true;
        m_toldPlayer = now;
        return;
    }
    QVariantMap changed;
    for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
        if (m_toldPlayer.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    }
    m_toldPlayer = now;
    if (changed.isEmpty() || !m_signals) return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath), QString::fromLatin1(kPropertiesInterface),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList();
    m_signals(signal);
}

QString CMprisPlayer::IntrospectionXml() {
    return QStringLiteral(
               "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n"
               "<node>\n") +
           InterfacesXml() + QStringLiteral("</node>\n");
}

QString CMprisPlayer::InterfacesXml() {
    return QStringLiteral(R"(<interface name="org.freedesktop.DBus.Introspectable">
  <method name="Introspect"><arg name="xml_data" type="s" direction="out"/></method>
</interface>
<interface name="org.freedesktop.DBus.Peer">
  <method name="Ping"/>
  <method name="GetMachineId"><arg name="machine_uuid" type="s" direction="out"/></method>
</interface>
<interface name="org.mpris.MediaPlayer2">
  <method name="Raise"/>
  <method name="Quit"/>
  <property name="CanQuit" type="b" access="read"/>
  <property name="CanRaise" type="b" access="read"/>
  <property name="HasTrackList" type="b" access="read"/>
  <property name="Identity" type="s" access="read"/>
  <property name="DesktopEntry" type="s" access="read"/>
  <property name="SupportedUriSchemes" type="as" access="read"/>
  <property name="SupportedMimeTypes" type="as" access="read"/>
</interface>
<interface name="org.mpris.MediaPlayer2.Player">
  <method name="Next"/>
  <method name="Previous"/>
  <method name="Pause"/>
  <method name="PlayPause"/>
  <method name="Stop"/>
  <method name="Play"/>
  <method name="Seek"><arg name="Offset" type="x" direction="in"/></method>
  <method name="SetPosition"><arg name="TrackId" type="o" direction="in"/><arg name="Position" type="x" direction="in"/></method>
  <method name="OpenUri"><arg name="Uri" type="s" direction="in"/></method>
  <signal name="Seeked"><arg name="Position" type="x"/></signal>
  <property name="PlaybackStatus" type="s" access="read"/>
  <property name="LoopStatus" type="s" access="readwrite"/>
  <property name="Rate" type="d" access="readwrite"/>
  <property name="Shuffle" type="b" access="readwrite"/>
  <property name="Metadata" type="a{sv}" access="read"/>
  <property name="Volume" type="d" access="readwrite"/>
  <property name="Position" type="x" access="read"/>
  <property name="MinimumRate" type="d" access="read"/>
  <property name="MaximumRate" type="d" access="read"/>
  <property name="CanGoNext" type="b" access="read"/>
  <property name="CanGoPrevious" type="b" access="read"/>
  <property name="CanPlay" type="b" access="read"/>
  <property name="CanPause" type="b" access="read"/>
  <property name="CanSeek" type="b" access="read"/>
  <property name="CanControl" type="b" access="read"/>
</interface>
<interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg name="interface" type="s" direction="in"/><arg name="name" type="s" direction="in"/><arg name="value" type="v" direction="out"/></method>
  <method name="GetAll"><arg name="interface" type="s" direction="in"/><arg name="properties" type="a{sv}" direction="out"/></method>
  <method name="Set"><arg name="interface" type="s" direction="in"/><arg name="name" type="s" direction="in"/><arg name="value" type="v" direction="in"/></method>
  <signal name="PropertiesChanged"><arg name="interface" type="s"/><arg name="changed" type="a{sv}"/><arg name="invalidated" type="as"/></signal>
</interface>
)");
}
