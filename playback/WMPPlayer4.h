#pragma once
// The playback engine behind the player: GStreamer's playbin. Bus messages
// are taken off the bus on the owner's thread only; nothing of GStreamer's
// threads touches this object's state or the user interface.

#include "playback/MediaEngine.h"

typedef struct _GstMessage GstMessage;

#include <atomic>
#include <cstdint>
#include <memory>
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

class CWMPPlayer4 final : public CMediaEngine {
    Q_OBJECT
public:
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

    // The last state reported.
    int state() const { return m_state; }

private:
    struct Pipeline;
    static std::unique_ptr<Pipeline> MakePipeline(const CWMPPlayer4Options& options, std::string* reason);
    CWMPPlayer4(const CWMPPlayer4Options& options, std::unique_ptr<Pipeline> pipeline, QObject* parent);
    void Adopt(std::unique_ptr<Pipeline> pipeline);
    void HandleMessage(GstMessage* message);
    // Stops the pipeline where it is and drops its pending messages.
    void Halt();
    void SetState(int state);

    CWMPPlayer4Options m_options;
    std::unique_ptr<Pipeline> m_pipeline;
    // Counts stops and new songs; a bus message posted in an older epoch is dropped.
    std::atomic<std::uint64_t> m_epoch{0};
    std::string m_url;
    struct St_PlayError {
        std::int32_t code = 0;
        std::string description;
    };
    std::vector<St_PlayError> m_errors;
    int m_state = 0;
    int m_volume = 100;
    bool m_mute = false;
    bool m_wantPlaying = false;   // play asked for and not yet stopped or paused
    bool m_buffering = false;     // paused by us while the stream fills
    bool m_played = false;        // this song reached playing at least once
};
