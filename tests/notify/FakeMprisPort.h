#pragma once
// A stand-in of the player behind the media-player object.

#include "notify/MprisPlayer.h"
#include "notify/MprisPort.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

// A player whose state the test sets and whose commands it records.
class FakeMprisPort : public IMprisPort {
public:
    MprisStatus status = MprisStatus::Stopped;
    std::optional<MprisTrack> track;
    std::int64_t positionUs = 0;
    double volume = 0.5;
    int mode = kMprisSequence;
    MprisListPlace place;
    bool songToStart = false;
    CMprisPlayer* player = nullptr;  // told of moves, as the real player tells it
    std::vector<std::string> commands;
    std::vector<std::int64_t> seeks;
    std::vector<double> volumes;

    MprisStatus Status() const override { return status; }
    std::optional<MprisTrack> Track() const override { return track; }
    std::int64_t PositionUs() const override { return positionUs; }
    double Volume() const override { return volume; }
    int PlayMode() const override { return mode; }
    MprisListPlace ListPlace() const override { return place; }
    bool HasSongToStart() const override { return songToStart; }
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
        if (player) player->OnSeeked(at);
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
