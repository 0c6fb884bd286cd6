#pragma once
// A media engine made after the player's first picture: the player window
// is built and shown over this stand-in, which keeps the volume and the
// mute it is given and hands them to the engine once it is made. The real
// engine comes when the frame asks for it (Attach), or at the first call
// that needs it (a song to load, a command, a position).

#include "playback/MediaEngine.h"

#include <functional>
#include <memory>
#include <string>

class CDeferredEngine final : public CMediaEngine {
    Q_OBJECT
public:
    using Make = std::function<std::unique_ptr<CMediaEngine>(std::string* reason)>;

    explicit CDeferredEngine(Make make, QObject* parent = nullptr);
    ~CDeferredEngine() override;

    // Makes the engine now if it is not made yet. False when it cannot be
    // made (`reason` says why); it is not tried again, and every call
    // afterwards does nothing and answers as an engine with nothing loaded.
    bool Attach(std::string* reason = nullptr);
    bool IsAttached() const { return m_engine != nullptr; }

    void put_URL(const std::string& url) override;
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
    std::int32_t get_errorCode() const override;
    void clearErrorQueue() override;

private:
    // The engine, made on demand; nullptr when it cannot be.
    CMediaEngine* Engine();

    Make m_make;
    std::unique_ptr<CMediaEngine> m_engine;
    bool m_bTried = false;
    int m_volume = 100;
    bool m_bMute = false;
};
