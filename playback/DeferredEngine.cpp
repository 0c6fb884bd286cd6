#include "playback/DeferredEngine.h"

#include "common/Trace.h"

#include <algorithm>
#include <utility>

CDeferredEngine::CDeferredEngine(Make make, QObject* parent) : CMediaEngine(parent), m_make(std::move(make)) {}

CDeferredEngine::~CDeferredEngine() = default;

bool CDeferredEngine::Attach(std::string* reason) {
    if (m_engine) return true;
    if (m_bTried) {
        if (reason) *reason = "the media engine could not be made";
        return false;
    }
    m_bTried = true;
    std::string why;
    std::unique_ptr<CMediaEngine> engine = m_make ? m_make(&why) : nullptr;
    if (!engine) {
        Trace("CDeferredEngine::Attach===%s", why.c_str());
        if (reason) *reason = why;
        return false;
    }
    engine->put_volume(m_volume);
    engine->put_mute(m_bMute);
    connect(engine.get(), &CMediaEngine::PlayStateChange, this, &CMediaEngine::PlayStateChange);
    connect(engine.get(), &CMediaEngine::Error, this, &CMediaEngine::Error);
    m_engine = std::move(engine);
    return true;
}

CMediaEngine* CDeferredEngine::Engine() {
    Attach();
    return m_engine.get();
}

void CDeferredEngine::put_URL(const std::string& url) {
    if (CMediaEngine* engine = Engine()) engine->put_URL(url);
}

void CDeferredEngine::play() {
    if (CMediaEngine* engine = Engine()) engine->play();
}

void CDeferredEngine::stop() {
    if (CMediaEngine* engine = Engine()) engine->stop();
}

void CDeferredEngine::pause() {
    if (CMediaEngine* engine = Engine()) engine->pause();
}

// Nothing is loaded before the engine is made: reading asks for nothing.
double CDeferredEngine::get_currentPosition() const { return m_engine ? m_engine->get_currentPosition() : 0.0; }

void CDeferredEngine::put_currentPosition(double seconds) {
    if (CMediaEngine* engine = Engine()) engine->put_currentPosition(seconds);
}

bool CDeferredEngine::get_mute() const { return m_engine ? m_engine->get_mute() : m_bMute; }

void CDeferredEngine::put_mute(bool mute) {
    m_bMute = mute;
    if (m_engine) m_engine->put_mute(mute);
}

int CDeferredEngine::get_volume() const { return m_engine ? m_engine->get_volume() : m_volume; }

void CDeferredEngine::put_volume(int volume) {
    m_volume = std::clamp(volume, 0, 100);
    if (m_engine) m_engine->put_volume(volume);
}

double CDeferredEngine::get_duration() const { return m_engine ? m_engine->get_duration() : 0.0; }

std::string CDeferredEngine::get_errorDescription() const {
    return m_engine ? m_engine->get_errorDescription() : std::string();
}

std::int32_t CDeferredEngine::get_errorCode() const { return m_engine ? m_engine->get_errorCode() : 0; }

void CDeferredEngine::clearErrorQueue() {
    if (m_engine) m_engine->clearErrorQueue();
}
