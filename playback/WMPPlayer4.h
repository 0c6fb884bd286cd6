#pragma once
// The playback engine behind the player: GStreamer's playbin. Bus messages
// are taken off the bus on the owner's thread only; nothing of GStreamer's
// threads touches this object's state or the user interface.

#include "playback/MediaEngine.h"
#include "playback/StreamResume.h"

#include <QTimer>

typedef struct _GstMessage GstMessage;

#include <atomic>
#include <cstdint>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Starts the media framework's set-up on a thread of its own, to run beside
// the rest of the program's start: on a first start it builds its plugin
// registry by loading every plugin, which takes longer than the whole
// window's set-up. The first engine made waits for it to end (and sets it up
// itself when nothing started it). The thread ends with the set-up.
std::jthread StartMediaFrameworkSetUp();

struct CWMPPlayer4Options {
    // The audio output element: "autoaudiosink" for the speakers, "fakesink"
    // where there is no sound device (tests).
    std::string audioSink = "autoaudiosink";
};

// A song streamed from the network that breaks off mid-way (its connection
// dropped, cut short, or stalled) is taken up again: the engine reports
// "reconnecting", plays what it still holds, reconnects to the song's
// address (asking for the address again when it no longer answers) and
// goes on from the position reached, with a few tries spaced out
// (CStreamResume). Only when the tries are spent does the song end with the
// error the stream gave.
class CWMPPlayer4 final : public CMediaEngine {
    Q_OBJECT
public:
    // How long the position may stand still, with no data coming either,
    // before a playing stream counts as stalled; how long one try may take
    // to play again; how long a try waits for a new address.
    static constexpr std::chrono::milliseconds kStallLimit{4000};
    static constexpr std::chrono::milliseconds kWatchPeriod{500};
    static constexpr std::chrono::milliseconds kTryLimit{8000};
    static constexpr std::chrono::milliseconds kAddressWait{5000};
    // A network song that ends this much short of its length ended early.
    static constexpr double kEarlyEndSeconds = 1.0;

    // nullptr when the media framework or its player element is missing;
    // `reason` then says why.
    static std::unique_ptr<CWMPPlayer4> Create(const CWMPPlayer4Options& options = {}, std::string* reason = nullptr,
                                               QObject* parent = nullptr);
    ~CWMPPlayer4() override;

    void put_URL(const std::string& url) override;
    std::string get_URL() const { return m_url; }
    void play() override;
    void stop() override;
    void pause() override;

    double get_currentPosition() const override;
    void put_currentPosition(double seconds) override;
    bool get_mute() const override;
    void put_mute(bool mute) override;
    int get_volume() const override;
    void put_volume(int volume) override;
    double get_duration() const override;
    std::string get_errorDescription() const override;
    // The failure's kind (1 core, 2 library, 3 resource, 4 stream, 5 other)
    // times 65536 plus its code within the kind.
    std::int32_t get_errorCode() const override;
    void clearErrorQueue() override;
    void put_resumeURL(const std::string& url) override;

    // The last state reported.
    int state() const { return m_state; }
    // The tries of the stream's current or last break (0: none).
    int resumeTries() const { return m_resume.Try(); }

private:
    struct Pipeline;
    void ShareSession(struct _GstMessage* message);
    static std::unique_ptr<Pipeline> MakePipeline(const CWMPPlayer4Options& options, std::string* reason);
    CWMPPlayer4(const CWMPPlayer4Options& options, std::unique_ptr<Pipeline> pipeline, QObject* parent);
    void Adopt(std::unique_ptr<Pipeline> pipeline);
    struct St_PlayError {
        std::int32_t code = 0;
        std::string description;
    };

    void HandleMessage(GstMessage* message);
    void HandleError(GstMessage* message);
    void HandleEndOfStream();
    // Stops the pipeline where it is and drops its pending messages.
    void Halt();
    void SetState(int state);
    void Fail(const St_PlayError& error);

    // Resuming a stream that broke off.
    bool IsNetworkStream() const;
    bool FromSource(GstMessage* message) const;
    void OnWatch();
    void Broke(const char* why);
    void ScheduleTry();
    void MaybeStartTry();
    void StartTry();
    void HandleTryMessage(GstMessage* message);
    void TryFailed(const St_PlayError& error);
    void GiveUp();
    void EndResume();
    bool Resuming() const { return m_resume.Active(); }
    double QueryPosition() const;

    CWMPPlayer4Options m_options;
    std::unique_ptr<Pipeline> m_pipeline;
    // Counts stops and new songs; a bus message posted in an older epoch is dropped.
    std::atomic<std::uint64_t> m_epoch{0};
    // The HTTP session of the first song's stream, handed to every later
    // pipeline (see ShareSession).
    std::mutex m_sessionLock;
    struct _GstContext* m_session = nullptr;
    std::string m_url;
    std::vector<St_PlayError> m_errors;
    int m_state = 0;
    int m_volume = 100;
    bool m_mute = false;
    bool m_wantPlaying = false;   // play asked for and not yet stopped or paused
    bool m_buffering = false;     // paused by us while the stream fills
    bool m_played = false;        // this song reached playing at least once

    CStreamResume m_resume;
    std::string m_resumeUrl;                     // where the tries connect to
    std::optional<St_PlayError> m_sourceFailed;  // the stream failed; what it holds still plays
    St_PlayError m_lastFailure;                  // told when the tries are spent
    double m_lastPosition = 0;                   // the furthest position seen
    double m_duration = 0;                       // the song's length once known
    int m_stillTicks = 0;                        // watch periods without progress
    bool m_seekIssued = false;                   // the try's pipeline is on its way back
    bool m_backoffDone = false;
    bool m_addressPending = false;
    QTimer m_watch;         // the stall watch, while a stream plays
    QTimer m_backoff;       // the wait before a try
    QTimer m_addressLimit;  // the wait for a new address
    QTimer m_tryLimit;      // a try that does not play again in time failed
};
