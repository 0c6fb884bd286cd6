#pragma once
// The media-player interfaces the desktop's media controls speak
// (org.mpris.MediaPlayer2 and org.mpris.MediaPlayer2.Player on the object
// /org/mpris/MediaPlayer2), answered over an IMprisPort. It takes a method
// call and gives back its reply, so it works and is tested without a bus;
// the bus object only carries the messages (see MprisService).
//
// The player's five play modes map onto LoopStatus and Shuffle:
//   single      None      false      repeat one   Track     false
//   in order    None      false      repeat list  Playlist  false
//   random      Playlist  true
// Shuffle on chooses random; off leaves random for repeat list. LoopStatus
// Track chooses repeat one, Playlist repeat list (random while shuffled),
// None in order (single stays single).
//
// Next and Previous step through the list whatever the mode, the first
// song after the last: they can change the song when that list holds
// another song than the current one. Play can start something while a song
// is current or the player has a song to start.

#include "notify/MprisPort.h"

#include <QDBusMessage>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>
#include <string>

class CMprisPlayer {
public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.tonvikmusic";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
    static constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
    static constexpr const char* kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
    // Where the songs' track ids live.
    static constexpr const char* kTrackPathPrefix = "/org/tonvikmusic/track/";

    // Sends a signal on the bus.
    using SignalSink = std::function<void(const QDBusMessage& signal)>;
    // A song started to play.
    using TrackStarted = std::function<void(const MprisTrack& track)>;

    explicit CMprisPlayer(IMprisPort& port);

    void SetSignalSink(SignalSink sink) { m_signals = std::move(sink); }
    void SetTrackStarted(TrackStarted listener) { m_trackStarted = std::move(listener); }

    // The reply to a method call on the object (the two interfaces, their
    // properties and introspection). The commands have run when it returns;
    // changes they made are signalled before it returns too.
    QDBusMessage Answer(const QDBusMessage& call);

    // Compares the player's state with what was last told and signals the
    // differences (PropertiesChanged; never for Position).
    void Refresh();
    // The player moved in the song by itself (its position slider): Seeked.
    // A move made for a call of the bus is told by that call, once.
    void OnSeeked(std::int64_t positionUs);

    // The object's introspection document (the standard interfaces too).
    static QString IntrospectionXml();
    // Its interface elements only, as the bus library puts them in a node.
    static QString InterfacesXml();
    // The track id of a song identifier: a D-Bus object path below
    // kTrackPathPrefix that holds any identifier.
    static QString TrackPath(const std::string& songId);

    MprisStatus Status() const { return m_port.Status(); }
    // The properties of an interface as they are now; empty for an unknown one.
    QVariantMap Properties(const QString& interface) const;

private:
    // Empty on success, else the D-Bus error name, with `message` set.
    QString SetProperty(const QString& interface, const QString& name, const QVariant& value, QString* message);
    QDBusMessage CallPlayer(const QDBusMessage& call);
    void Seek(qint64 offsetUs);
    // Moves the player for a call; the place it went to.
    std::int64_t SeekPort(std::int64_t positionUs);
    void SetPosition(const QString& trackPath, qint64 positionUs);
    void SetLoopStatus(const QString& loop);
    void SetShuffle(bool shuffle);
    QVariantMap Metadata() const;
    QString PlaybackStatus() const;
    bool CanSeek() const;
    void SignalSeeked(std::int64_t positionUs);

    IMprisPort& m_port;
    bool m_seeking = false;  // a call of the bus moves in the song
    SignalSink m_signals;
    TrackStarted m_trackStarted;
    QVariantMap m_toldPlayer;  // what was last signalled (or first read)
    bool m_told = false;
    MprisStatus m_toldStatus = MprisStatus::Stopped;
    std::string m_toldTrackId;
};
