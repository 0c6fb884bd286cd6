// Arbitrary method calls on the media-player object, as any program on the
// session bus may send them: a reply always comes back, and the player is
// only ever asked for what it can do.

#include "notify/MprisPlayer.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// A player within the bounds the real one keeps: the position inside the
// song, the volume between 0 and 1.
class FuzzPort : public IMprisPort {
public:
    MprisStatus status = MprisStatus::Playing;
    std::optional<MprisTrack> track = MprisTrack{"12_34", QStringLiteral("Title"), QStringLiteral("Singer"),
                                                 QStringLiteral("Album"), 200'000'000};
    std::int64_t positionUs = 1'000'000;
    double volume = 0.5;
    int mode = kMprisSequence;

    MprisStatus Status() const override { return status; }
    std::optional<MprisTrack> Track() const override { return track; }
    std::int64_t PositionUs() const override { return positionUs; }
    double Volume() const override { return volume; }
    int PlayMode() const override { return mode; }
    void PlayPause() override {}
    void Stop() override {}
    void Next() override {}
    void Previous() override {}
    void SetVolume(double value) override {
        Require(value >= 0.0 && value <= 1.0);
        volume = value;
    }
    std::int64_t SeekTo(std::int64_t at) override {
        Require(at >= 0 && track && at <= track->lengthUs);
        positionUs = at;
        return at;
    }
    void SetPlayMode(int value) override {
        Require(value >= kMprisSingle && value <= kMprisRepeatList);
        mode = value;
    }
    void Raise() override {}
    void Quit() override {}
};

// Reads the input front to back; zeros once it is used up.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool More() const { return m_at < m_size; }
    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    template <typename T>
    T Value() {
        T value{};
        const std::size_t n = std::min(sizeof(T), m_size - m_at);
        std::memcpy(&value, m_data + m_at, n);
        m_at += n;
        return value;
    }
    QString Text() {
        const std::size_t n = std::min<std::size_t>(Byte() % 48, m_size - m_at);
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(m_data + m_at), static_cast<int>(n));
        m_at += n;
        return text;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

const char* const kInterfaces[] = {CMprisPlayer::kRootInterface, CMprisPlayer::kPlayerInterface,
                                   "org.freedesktop.DBus.Properties", "org.freedesktop.DBus.Introspectable",
                                   "org.freedesktop.DBus.Peer", ""};
const char* const kMembers[] = {"Raise", "Quit", "Next", "Previous", "Pause", "PlayPause", "Stop", "Play",
                                "Seek", "SetPosition", "OpenUri", "Get", "GetAll", "Set", "Introspect"};
const char* const kProperties[] = {"Volume", "LoopStatus", "Shuffle", "Rate", "Position", "Metadata",
                                   "PlaybackStatus", "CanSeek", "Identity", "Fullscreen"};

QVariant Argument(Reader& in, int depth = 0) {
    switch (in.Byte() % 11) {
    case 0: return QString::fromLatin1(kInterfaces[in.Byte() % std::size(kInterfaces)]);
    case 1: return QString::fromLatin1(kProperties[in.Byte() % std::size(kProperties)]);
    case 2: return in.Text();
    case 3: return QVariant::fromValue(in.Value<qint64>());
    case 4: return QVariant::fromValue(in.Value<double>());
    case 5: return QVariant::fromValue((in.Byte() & 1) != 0);
    case 6: return QVariant::fromValue(in.Value<qint32>());
    case 7: return QVariant::fromValue(in.Value<quint64>());
    case 8: return QVariant::fromValue(QDBusObjectPath(CMprisPlayer::TrackPath(in.Byte() & 1 ? "12_34" : "56")));
    case 9: return QVariant::fromValue(QStringList{in.Text(), in.Text()});
    default:
        if (depth > 2) return QVariant();
        return QVariant::fromValue(QDBusVariant(Argument(in, depth + 1)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    FuzzPort port;
    const std::uint8_t state = in.Byte();
    port.status = static_cast<MprisStatus>(state % 3);
    if (state & 4) port.track.reset();
    port.mode = (state & 8) ? -1 : (state >> 4) % 5;

    CMprisPlayer player(port);
    int sent = 0;
    player.SetSignalSink([&](const QDBusMessage&) { ++sent; });
    // A few calls one after the other on the same player.
    for (int call = 0; call < 4 && in.More(); ++call) {
        const std::uint8_t pick = in.Byte();
        const QString interface =
            (pick & 0x80) ? in.Text() : QString::fromLatin1(kInterfaces[pick % std::size(kInterfaces)]);
        const QString member =
            (pick & 0x40) ? in.Text() : QString::fromLatin1(kMembers[(pick >> 3) % std::size(kMembers)]);
        QDBusMessage message =
            QDBusMessage::createMethodCall(CMprisPlayer::kServiceName, CMprisPlayer::kObjectPath, interface, member);
        QList<QVariant> arguments;
        const int count = in.Byte() % 4;
        for (int i = 0; i < count; ++i) arguments << Argument(in);
        message.setArguments(arguments);
        const QDBusMessage reply = player.Answer(message);
        Require(reply.type() == QDBusMessage::ReplyMessage || reply.type() == QDBusMessage::ErrorMessage);
        if (reply.type() == QDBusMessage::ErrorMessage) Require(!reply.errorName().isEmpty());
        player.Refresh();
    }
    Require(std::isfinite(port.volume));
    return 0;
}
