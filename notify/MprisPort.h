#pragma once
// What the desktop's media controls (media keys, the sound menu, tools such
// as playerctl) need of the player. The program implements it over its play
// controller and player window; tests use a fake. Every call comes on the
// user-interface thread.

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

// The song in the player: the one that plays, is paused or is being fetched.
struct MprisTrack {
    std::string id;          // the service's song identifier
    QString title;
    QString artist;
    QString album;
    std::int64_t lengthUs = 0;  // 0 while the length is not known

    bool operator==(const MprisTrack&) const = default;
};

enum class MprisStatus { Playing, Paused, Stopped };

// The list that Next and Previous step through: how many songs it holds and
// the current song's row in it (-1: not in it, or no list chosen yet).
struct MprisListPlace {
    int count = 0;
    int current = -1;
};

// The player's play modes, by their numbers.
enum MprisPlayMode {
    kMprisSingle = 0,      // stop at the end
    kMprisRepeatOne = 1,   // the same song again
    kMprisSequence = 2,    // on to the next, stop after the last
    kMprisRandom = 3,      // any song of the list
    kMprisRepeatList = 4,  // on to the next, the first after the last
};

class IMprisPort {
public:
    virtual ~IMprisPort() = default;

    virtual MprisStatus Status() const = 0;
    // The current song; nullopt when nothing plays or waits to play.
    virtual std::optional<MprisTrack> Track() const = 0;
    virtual std::int64_t PositionUs() const = 0;
    // 0.0 to 1.0.
    virtual double Volume() const = 0;
    // The play mode (MprisPlayMode); -1 while there is no play list to keep it.
    virtual int PlayMode() const = 0;
    virtual MprisListPlace ListPlace() const = 0;
    // Whether the play button, pressed while nothing plays, has a song to start.
    virtual bool HasSongToStart() const = 0;

    // The player's own buttons and menus.
    virtual void PlayPause() = 0;
    virtual void Stop() = 0;
    virtual void Next() = 0;
    virtual void Previous() = 0;
    // 0.0 to 1.0, as the volume slider would set it.
    virtual void SetVolume(double volume) = 0;
    // Moves in the current song, as the position slider would; returns the
    // place it went to. The player tells of the move as of any other (see
    // CMprisPlayer::OnSeeked).
    virtual std::int64_t SeekTo(std::int64_t positionUs) = 0;
    virtual void SetPlayMode(int mode) = 0;
    // Shows, restores and raises the player.
    virtual void Raise() = 0;
    // Asks for the orderly close; returns before it runs.
    virtual void Quit() = 0;
};
