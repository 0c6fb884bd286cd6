#include "playback/WMPPlayer4.h"

#include "common/Trace.h"

#include <gst/audio/streamvolume.h>
#include <gst/gst.h>

#include <QMetaMethod>
#include <QMetaObject>

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <string_view>
#include <utility>

std::string FormatPlayTime(double seconds) {
    if (!(seconds > 0)) seconds = 0;  // also catches NaN
    const long long whole = static_cast<long long>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", whole / 60, whole % 60);
    return text;
}

namespace {

bool InitGStreamer(std::string* reason) {
    static std::once_flag once;
    static bool ok = false;
    static std::string failure;
    std::call_once(once, [] {
        GError* error = nullptr;
        ok = gst_init_check(nullptr, nullptr, &error);
        if (!ok) failure = error ? error->message : "GStreamer could not be initialised";
        if (error) g_error_free(error);
    });
    if (!ok && reason) *reason = failure;
    return ok;
}

// The failure's kind in the high half (1 core, 2 library, 3 resource,
// 4 stream, 5 other) and its code within the kind in the low half; never 0.
std::int32_t ErrorCode(const GError* error) {
    std::int32_t kind = 5;
    if (!error) return kind << 16;
    if (error->domain == GST_CORE_ERROR) kind = 1;
    else if (error->domain == GST_LIBRARY_ERROR) kind = 2;
    else if (error->domain == GST_RESOURCE_ERROR) kind = 3;
    else if (error->domain == GST_STREAM_ERROR) kind = 4;
    return (kind << 16) | (error->code & 0xFFFF);
}

// An address the playbin understands: URIs as they are, plain paths as file URIs.
std::string ToUri(const std::string& address) {
    if (address.empty() || gst_uri_is_valid(address.c_str())) return address;
    gchar* uri = gst_filename_to_uri(address.c_str(), nullptr);
    if (!uri) return address;
    std::string result(uri);
    g_free(uri);
    return result;
}

}  // namespace

std::jthread StartMediaFrameworkSetUp() {
    return std::jthread([] {
        std::string reason;
        if (!InitGStreamer(&reason)) Trace("StartMediaFrameworkSetUp===%s", reason.c_str());
    });
}

struct CWMPPlayer4::Pipeline {
    GstElement* playbin = nullptr;
    GstBus* bus = nullptr;

    ~Pipeline() {
        if (playbin) gst_element_set_state(playbin, GST_STATE_NULL);  // joins the streaming threads
        if (bus) {
            gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
            gst_object_unref(bus);
        }
        if (playbin) gst_object_unref(playbin);
    }
};

std::unique_ptr<CWMPPlayer4::Pipeline> CWMPPlayer4::MakePipeline(const CWMPPlayer4Options& options,
                                                                 std::string* reason) {
    auto pipeline = std::make_unique<Pipeline>();
    pipeline->playbin = gst_element_factory_make("playbin", nullptr);
    if (!pipeline->playbin) {
        if (reason) *reason = "the playbin element is missing";
        return nullptr;
    }
    gst_object_ref_sink(pipeline->playbin);
    GstElement* audioSink = gst_element_factory_make(options.audioSink.c_str(), nullptr);
    if (!audioSink) {
        if (reason) *reason = "the audio output \"" + options.audioSink + "\" is missing";
        return nullptr;
    }
    if (options.audioSink == "fakesink") g_object_set(audioSink, "sync", TRUE, nullptr);
    g_object_set(pipeline->playbin, "audio-sink", audioSink, nullptr);
    // Sound only, with the volume applied in software.
    gst_util_set_object_arg(G_OBJECT(pipeline->playbin), "flags", "audio+soft-volume");
    pipeline->bus = gst_element_get_bus(pipeline->playbin);
    return pipeline;
}

std::unique_ptr<CWMPPlayer4> CWMPPlayer4::Create(const CWMPPlayer4Options& options, std::string* reason,
                                                 QObject* parent) {
    if (!InitGStreamer(reason)) return nullptr;
    auto pipeline = MakePipeline(options, reason);
    if (!pipeline) return nullptr;
    return std::unique_ptr<CWMPPlayer4>(new CWMPPlayer4(options, std::move(pipeline), parent));
}

CWMPPlayer4::CWMPPlayer4(const CWMPPlayer4Options& options, std::unique_ptr<Pipeline> pipeline, QObject* parent)
    : CMediaEngine(parent), m_options(options) {
    Adopt(std::move(pipeline));
    m_watch.setInterval(kWatchPeriod);
    connect(&m_watch, &QTimer::timeout, this, &CWMPPlayer4::OnWatch);
    for (QTimer* timer : {&m_backoff, &m_addressLimit, &m_tryLimit}) timer->setSingleShot(true);
    connect(&m_backoff, &QTimer::timeout, this, [this] {
        m_backoffDone = true;
        MaybeStartTry();
    });
    connect(&m_addressLimit, &QTimer::timeout, this, [this] {
        if (!m_addressPending) return;
        Trace("CWMPPlayer4::Resume===No new address, the old one again.");
        m_addressPending = false;
        MaybeStartTry();
    });
    connect(&m_tryLimit, &QTimer::timeout, this, [this] {
        TryFailed({(3 << 16) | GST_RESOURCE_ERROR_READ, "The stream did not come back."});
    });
}

CWMPPlayer4::~CWMPPlayer4() {
    m_pipeline.reset();
    if (m_session) gst_context_unref(m_session);
}

// Each pipeline's HTTP source would make an HTTP session of its own, with a
// thread and a connection pool of its own: a thread made and ended, and a
// connection opened again, for every song. The first session made is kept
// and handed to every later source instead.
// Runs on GStreamer's threads, from the bus's synchronous handler.
void CWMPPlayer4::ShareSession(GstMessage* message) {
    static constexpr const char* kSessionContext = "gst.soup.session";
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_HAVE_CONTEXT) {
        GstContext* context = nullptr;
        gst_message_parse_have_context(message, &context);
        if (!context) return;
        std::lock_guard lock(m_sessionLock);
        if (!m_session && std::string_view(gst_context_get_context_type(context)) == kSessionContext)
            m_session = gst_context_ref(context);
        gst_context_unref(context);
    } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_NEED_CONTEXT) {
        const gchar* type = nullptr;
        if (!gst_message_parse_context_type(message, &type) || !type || std::string_view(type) != kSessionContext) return;
        std::lock_guard lock(m_sessionLock);
        if (m_session) gst_element_set_context(GST_ELEMENT(GST_MESSAGE_SRC(message)), m_session);
    }
}

void CWMPPlayer4::Adopt(std::unique_ptr<Pipeline> pipeline) {
    m_pipeline.reset();  // the old song stops here, before the new one exists
    ++m_epoch;
    m_pipeline = std::move(pipeline);
    // Runs on GStreamer's threads: the message is handed to this object's
    // thread and taken off the bus. It carries the epoch it was posted in;
    // one posted before a stop or a new song is dropped on arrival, and one
    // still queued when this object dies is released with the queue.
    gst_bus_set_sync_handler(
        m_pipeline->bus,
        [](GstBus*, GstMessage* message, gpointer data) {
            auto* player = static_cast<CWMPPlayer4*>(data);
            player->ShareSession(message);
            const std::uint64_t epoch = player->m_epoch.load();
            // A message the handler drops is the handler's to release: the
            // bus gives its reference over. Kept one reference too many, each
            // message kept its sender, and so each song's whole pipeline, for
            // the life of the program.
            std::shared_ptr<GstMessage> held(message, gst_message_unref);
            QMetaObject::invokeMethod(
                player,
                [player, epoch, held] {
                    if (epoch == player->m_epoch.load()) player->HandleMessage(held.get());
                },
                Qt::QueuedConnection);
            return GST_BUS_DROP;
        },
        this, nullptr);
    g_object_set(m_pipeline->playbin, "mute", m_mute ? TRUE : FALSE, nullptr);
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(m_pipeline->playbin), GST_STREAM_VOLUME_FORMAT_CUBIC,
                                 m_volume / 100.0);
}

void CWMPPlayer4::SetState(int state) {
    if (state == m_state) return;
    m_state = state;
    emit PlayStateChange(state);
}

void CWMPPlayer4::put_URL(const std::string& url) {
    // Each song gets a pipeline of its own: nothing of the previous one can
    // reach the new song.
    std::string reason;
    auto pipeline = MakePipeline(m_options, &reason);
    if (!pipeline) {
        Trace("CWMPPlayer4::put_URL===%s", reason.c_str());
        return;
    }
    EndResume();
    m_resume.Reset();
    Adopt(std::move(pipeline));
    m_wantPlaying = false;
    m_buffering = false;
    m_played = false;
    m_sourceFailed.reset();
    m_lastPosition = 0;
    m_duration = 0;
    m_url = url;
    m_resumeUrl = url;
    g_object_set(m_pipeline->playbin, "uri", ToUri(url).c_str(), nullptr);
}

void CWMPPlayer4::play() {
    if (m_url.empty()) return;
    m_wantPlaying = true;
    m_stillTicks = 0;
    // On its way back from a break, the stream plays as soon as it can.
    if (Resuming()) return;
    // The stream failed while it was paused: it is taken up now.
    if (m_sourceFailed) {
        Broke("failed while paused");
        return;
    }
    // The user's play takes over from a pause for filling up; a stream still
    // short of data is paused again by the next buffering report.
    m_buffering = false;
    if (m_state != wmppsPaused) SetState(wmppsTransitioning);
    // A failure shows up on the bus and is reported from there.
    gst_element_set_state(m_pipeline->playbin, GST_STATE_PLAYING);
    if (IsNetworkStream()) m_watch.start();
}

void CWMPPlayer4::pause() {
    if (m_state != wmppsPlaying && m_state != wmppsBuffering && m_state != wmppsTransitioning) return;
    m_wantPlaying = false;
    // Paused for filling up already, the pipeline stays where it is and
    // reports no change: the pause is told from here.
    const bool filling = std::exchange(m_buffering, false);
    gst_element_set_state(m_pipeline->playbin, GST_STATE_PAUSED);
    if (filling) SetState(wmppsPaused);
}

void CWMPPlayer4::stop() {
    EndResume();
    m_resume.Reset();
    m_sourceFailed.reset();
    Halt();
    if (m_state != 0) SetState(wmppsStopped);
}

void CWMPPlayer4::Halt() {
    m_wantPlaying = false;
    m_buffering = false;
    m_watch.stop();
    gst_element_set_state(m_pipeline->playbin, GST_STATE_READY);
    ++m_epoch;  // whatever the song still had to say is no longer news
}

void CWMPPlayer4::Fail(const St_PlayError& error) {
    m_errors.push_back(error);
    Halt();
    SetState(wmppsReady);
    emit Error();
}

void CWMPPlayer4::HandleMessage(GstMessage* message) {
    if (Resuming()) {
        HandleTryMessage(message);
        return;
    }
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_STATE_CHANGED: {
        if (GST_MESSAGE_SRC(message) != GST_OBJECT(m_pipeline->playbin)) break;
        GstState oldState, newState, pending;
        gst_message_parse_state_changed(message, &oldState, &newState, &pending);
        if (newState == GST_STATE_PLAYING) {
            m_played = true;
            SetState(wmppsPlaying);
        } else if (newState == GST_STATE_PAUSED && oldState == GST_STATE_PLAYING && !m_wantPlaying) {
            // Only the user's pause is news. The engine's own (to fill up,
            // or while a seek settles) may be read after it ended: a filling
            // up reports itself, a seek comes back to playing on its own.
            SetState(wmppsPaused);
        }
        break;
    }
    case GST_MESSAGE_BUFFERING: {
        gint percent = 100;
        gst_message_parse_buffering(message, &percent);
        m_stillTicks = 0;  // data is moving
        if (!m_wantPlaying) break;
        if (percent < 100) {
            if (m_state != wmppsBuffering) SetState(wmppsBuffering);
            // The first fill is waited for by the pipeline itself while it
            // prerolls; pausing it in the middle of that can leave it resting
            // paused for good. Only a song that already played is paused to
            // fill up again.
            if (m_played && !m_buffering) {
                m_buffering = true;
                gst_element_set_state(m_pipeline->playbin, GST_STATE_PAUSED);
            }
        } else if (m_buffering) {
            m_buffering = false;
            gst_element_set_state(m_pipeline->playbin, GST_STATE_PLAYING);
        }
        break;
    }
    case GST_MESSAGE_EOS:
        HandleEndOfStream();
        break;
    case GST_MESSAGE_ERROR:
        HandleError(message);
        break;
    default:
        break;
    }
}

void CWMPPlayer4::HandleError(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    const St_PlayError failure{ErrorCode(error), error ? error->message : "playback failed"};
    const bool fromStream = error && (error->domain == GST_RESOURCE_ERROR || FromSource(message));
    if (error) g_error_free(error);
    g_free(debug);
    if (!IsNetworkStream() || (!fromStream && !m_sourceFailed)) {
        Fail(failure);
        return;
    }
    // The stream failed; what follows from it (the decoder running dry)
    // is the same failure.
    if (m_sourceFailed) return;
    m_sourceFailed = failure;
    m_lastFailure = failure;
    if (!m_wantPlaying) return;  // taken up when the user plays again
    if (m_played || get_duration() > 0) {
        // Audio came before the break: it still plays, and the stream is
        // taken up where it runs dry (or stalls).
        Trace("CWMPPlayer4::Resume===Stream failed (%s), playing what came.", failure.description.c_str());
        // Paused to fill up, it would wait for data that cannot come.
        if (std::exchange(m_buffering, false)) gst_element_set_state(m_pipeline->playbin, GST_STATE_PLAYING);
        return;
    }
    Broke("failed");
}

void CWMPPlayer4::HandleEndOfStream() {
    const double position = QueryPosition();
    const bool early = m_duration > 0 && position + kEarlyEndSeconds < m_duration;
    if (IsNetworkStream() && (m_sourceFailed || early)) {
        Broke(m_sourceFailed ? "ran dry" : "ended early");
        return;
    }
    Halt();
    SetState(wmppsStopped);
}

// ---- resuming a stream that broke off ----

bool CWMPPlayer4::IsNetworkStream() const {
    const std::string uri = ToUri(m_url);
    return gst_uri_has_protocol(uri.c_str(), "http") || gst_uri_has_protocol(uri.c_str(), "https");
}

bool CWMPPlayer4::FromSource(GstMessage* message) const {
    GstElement* source = nullptr;
    g_object_get(m_pipeline->playbin, "source", &source, nullptr);
    const bool same = source && GST_MESSAGE_SRC(message) == GST_OBJECT(source);
    if (source) gst_object_unref(source);
    return same;
}

double CWMPPlayer4::QueryPosition() const {
    gint64 position = 0;
    if (!gst_element_query_position(m_pipeline->playbin, GST_FORMAT_TIME, &position) || position < 0)
        return m_lastPosition;
    return std::max(m_lastPosition, static_cast<double>(position) / GST_SECOND);
}

void CWMPPlayer4::OnWatch() {
    if (Resuming() || !m_wantPlaying) return;
    if (m_duration <= 0) m_duration = get_duration();
    gint64 now = 0;
    const double position = gst_element_query_position(m_pipeline->playbin, GST_FORMAT_TIME, &now) && now > 0
                                ? static_cast<double>(now) / GST_SECOND
                                : 0;
    if (position > m_lastPosition + 0.05) {
        m_lastPosition = position;
        m_stillTicks = 0;
        return;
    }
    // Nothing plays and nothing comes: a song that was playing, or whose
    // stream failed, has stalled.
    if (!m_played && !m_sourceFailed) return;
    if (++m_stillTicks * kWatchPeriod >= kStallLimit) Broke("stalled");
}

void CWMPPlayer4::Broke(const char* why) {
    const double position = QueryPosition();
    if (!m_sourceFailed) m_lastFailure = {(3 << 16) | GST_RESOURCE_ERROR_READ, "The stream broke off."};
    m_sourceFailed.reset();
    Trace("CWMPPlayer4::Resume===Stream %s at %.1f s.", why, position);
    if (!m_resume.Broke(position)) {
        GiveUp();
        return;
    }
    SetState(wmppsReconnecting);
    ScheduleTry();
}

void CWMPPlayer4::ScheduleTry() {
    // The broken pipeline says nothing more.
    m_watch.stop();
    m_buffering = false;
    gst_element_set_state(m_pipeline->playbin, GST_STATE_READY);
    ++m_epoch;
    m_backoffDone = false;
    m_addressPending = m_resume.WantsNewAddress() && isSignalConnected(QMetaMethod::fromSignal(&CMediaEngine::AddressWanted));
    Trace("CWMPPlayer4::Resume===Try %d of %d in %lld ms%s.", m_resume.Try(), CStreamResume::kMaxTries,
          static_cast<long long>(m_resume.Delay().count()), m_addressPending ? ", with the address looked up again" : "");
    m_backoff.start(m_resume.Delay());
    if (m_addressPending) {
        m_addressLimit.start(kAddressWait);
        emit AddressWanted();
    }
}

void CWMPPlayer4::put_resumeURL(const std::string& url) {
    if (!Resuming() || !m_addressPending) return;
    m_addressPending = false;
    m_addressLimit.stop();
    if (!url.empty()) m_resumeUrl = url;
    Trace("CWMPPlayer4::Resume===Address %s.", url.empty() ? "not found again" : url.c_str());
    MaybeStartTry();
}

void CWMPPlayer4::MaybeStartTry() {
    if (Resuming() && m_backoffDone && !m_addressPending) StartTry();
}

void CWMPPlayer4::StartTry() {
    m_backoffDone = false;
    std::string reason;
    auto pipeline = MakePipeline(m_options, &reason);
    if (!pipeline) {
        Trace("CWMPPlayer4::Resume===%s", reason.c_str());
        GiveUp();
        return;
    }
    Trace("CWMPPlayer4::Resume===Try %d from %.1f s.", m_resume.Try(), m_resume.Position());
    Adopt(std::move(pipeline));
    m_seekIssued = false;
    m_buffering = false;
    g_object_set(m_pipeline->playbin, "uri", ToUri(m_resumeUrl).c_str(), nullptr);
    gst_element_set_state(m_pipeline->playbin, GST_STATE_PAUSED);
    m_tryLimit.start(kTryLimit);
}

void CWMPPlayer4::HandleTryMessage(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_STATE_CHANGED: {
        if (GST_MESSAGE_SRC(message) != GST_OBJECT(m_pipeline->playbin)) break;
        GstState oldState, newState, pending;
        gst_message_parse_state_changed(message, &oldState, &newState, &pending);
        if (!m_seekIssued && newState == GST_STATE_PAUSED) {
            // Ready again: on from where the stream broke off.
            m_seekIssued = true;
            const double position = m_resume.Position();
            if (position > 0 &&
                !gst_element_seek_simple(m_pipeline->playbin, GST_FORMAT_TIME,
                                         static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                         static_cast<gint64>(position * GST_SECOND)))
                Trace("CWMPPlayer4::Resume===The stream cannot move to %.1f s.", position);
            gst_element_set_state(m_pipeline->playbin, GST_STATE_PLAYING);
        } else if (m_seekIssued && newState == GST_STATE_PLAYING) {
            m_tryLimit.stop();
            Trace("CWMPPlayer4::Resume===Playing again from %.1f s after %d tries.", m_resume.Position(), m_resume.Try());
            m_resume.Recovered();
            m_lastPosition = m_resume.Position();
            m_stillTicks = 0;
            m_played = true;
            m_watch.start();
            SetState(wmppsPlaying);
        }
        break;
    }
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gchar* debug = nullptr;
        gst_message_parse_error(message, &error, &debug);
        St_PlayError failure{ErrorCode(error), error ? error->message : "playback failed"};
        if (error) g_error_free(error);
        g_free(debug);
        TryFailed(failure);
        break;
    }
    case GST_MESSAGE_EOS:
        // Back exactly at its end: the song is over.
        if (m_duration > 0 && m_resume.Position() + kEarlyEndSeconds >= m_duration) {
            EndResume();
            Halt();
            SetState(wmppsStopped);
        } else {
            TryFailed({(3 << 16) | GST_RESOURCE_ERROR_READ, "The stream ended early."});
        }
        break;
    default:
        break;
    }
}

void CWMPPlayer4::TryFailed(const St_PlayError& error) {
    if (!Resuming()) return;
    m_tryLimit.stop();
    m_lastFailure = error;
    Trace("CWMPPlayer4::Resume===Try %d failed: %s", m_resume.Try(), error.description.c_str());
    if (m_resume.TryFailed()) ScheduleTry();
    else GiveUp();
}

void CWMPPlayer4::GiveUp() {
    Trace("CWMPPlayer4::Resume===Given up after %d tries: %s", m_resume.Try(), m_lastFailure.description.c_str());
    EndResume();
    Fail(m_lastFailure);
}

void CWMPPlayer4::EndResume() {
    if (m_resume.Active()) m_resume.Reset();
    m_backoff.stop();
    m_addressLimit.stop();
    m_tryLimit.stop();
    m_addressPending = false;
    m_backoffDone = false;
    m_seekIssued = false;
}

double CWMPPlayer4::get_currentPosition() const {
    gint64 position = 0;
    if (m_state == wmppsStopped || m_state == 0) return 0;
    // On the way back from a break the time stands where the stream broke off.
    if (Resuming()) return m_resume.Position();
    if (!gst_element_query_position(m_pipeline->playbin, GST_FORMAT_TIME, &position) || position < 0) return 0;
    return static_cast<double>(position) / GST_SECOND;
}

void CWMPPlayer4::put_currentPosition(double seconds) {
    if (Resuming()) return;
    if (!(seconds >= 0)) seconds = 0;
    const double duration = get_duration();
    if (duration > 0) seconds = std::min(seconds, duration);
    gst_element_seek_simple(m_pipeline->playbin, GST_FORMAT_TIME,
                            static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT),
                            static_cast<gint64>(seconds * GST_SECOND));
}

bool CWMPPlayer4::get_mute() const {
    gboolean mute = FALSE;
    g_object_get(m_pipeline->playbin, "mute", &mute, nullptr);
    return mute != FALSE;
}

void CWMPPlayer4::put_mute(bool mute) {
    m_mute = mute;
    g_object_set(m_pipeline->playbin, "mute", mute ? TRUE : FALSE, nullptr);
}

int CWMPPlayer4::get_volume() const { return m_volume; }

void CWMPPlayer4::put_volume(int volume) {
    m_volume = std::clamp(volume, 0, 100);
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(m_pipeline->playbin), GST_STREAM_VOLUME_FORMAT_CUBIC,
                                 m_volume / 100.0);
}

double CWMPPlayer4::get_duration() const {
    gint64 duration = 0;
    if (!gst_element_query_duration(m_pipeline->playbin, GST_FORMAT_TIME, &duration) || duration <= 0) return m_duration;
    return static_cast<double>(duration) / GST_SECOND;
}

std::string CWMPPlayer4::get_errorDescription() const {
    return m_errors.empty() ? std::string() : m_errors.front().description;
}

std::int32_t CWMPPlayer4::get_errorCode() const { return m_errors.empty() ? 0 : m_errors.front().code; }

void CWMPPlayer4::clearErrorQueue() { m_errors.clear(); }
