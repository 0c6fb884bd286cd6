#pragma once
// The media-player control as the play controller sees it: a few properties,
// methods and two events. Positions are seconds, volume 0..100. Events are
// delivered on the thread that owns the engine (the user-interface thread).

#include <QObject>

#include <cstdint>
#include <string>

// Play states reported by PlayStateChange.
enum WmpPlayState {
    wmppsStopped = 1,
    wmppsPaused = 2,
    wmppsPlaying = 3,
    wmppsBuffering = 6,
    wmppsTransitioning = 9,
    wmppsReady = 10,
    wmppsReconnecting = 11,
};

// "mm:ss" of a position in seconds (minutes run past 59; negative counts as 0).
std::string FormatPlayTime(double seconds);

class CMediaEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void put_URL(const std::string& url) = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void pause() = 0;

    virtual double get_currentPosition() const = 0;
    virtual void put_currentPosition(double seconds) = 0;
    std::string get_currentPositionString() const { return FormatPlayTime(get_currentPosition()); }

    virtual bool get_mute() const = 0;
    virtual void put_mute(bool mute) = 0;
    virtual int get_volume() const = 0;
    virtual void put_volume(int volume) = 0;

    // Of the loaded media; 0 while unknown.
    virtual double get_duration() const = 0;
    std::string get_durationString() const { return FormatPlayTime(get_duration()); }

    // The first queued error's description, empty when none.
    virtual std::string get_errorDescription() const = 0;
    // The first queued error's code, 0 when none.
    virtual std::int32_t get_errorCode() const = 0;
    virtual void clearErrorQueue() = 0;

    // The current song's address as the service gives it now, looked up
    // again after AddressWanted; empty when the lookup failed. An engine
    // that never asks ignores it.
    virtual void put_resumeURL(const std::string& url) { static_cast<void>(url); }

signals:
    void PlayStateChange(int newState);
    void Error();
    // The song's stream broke off and its address no longer answers: the
    // engine would like it looked up again (answered with put_resumeURL).
    void AddressWanted();
};
