#include "skin/picture/PictureAnimation.h"

#include "common/Trace.h"

#include <QPainter>

#include <exception>

std::optional<std::chrono::milliseconds> FrameWait(int delay) {
    if (delay < 0) return std::nullopt;
    if (delay < 5) return std::chrono::milliseconds(100);
    return std::chrono::milliseconds(static_cast<long long>(delay) * 10);
}

// --- CStopEvent -------------------------------------------------------------

void CStopEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    m_changed.notify_all();
}

void CStopEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool CStopEvent::IsSet() const {
    std::lock_guard lock(m_mutex);
    return m_set;
}

bool CStopEvent::Wait(std::optional<std::chrono::milliseconds> timeout) {
    std::unique_lock lock(m_mutex);
    if (!timeout) {
        m_changed.wait(lock, [this] { return m_set; });
        return true;
    }
    return m_changed.wait_for(lock, *timeout, [this] { return m_set; });
}

// --- CPictureSurface --------------------------------------------------------

bool CPictureSurface::Prepare(QSize size, QColor fill) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return false;
    image.fill(fill);
    std::lock_guard lock(m_mutex);
    m_image = std::move(image);
    m_save = QImage();
    m_saveRect = QRect();
    return true;
}

void CPictureSurface::Clear() {
    std::lock_guard lock(m_mutex);
    m_image = QImage();
    m_save = QImage();
    m_saveRect = QRect();
}

bool CPictureSurface::Ready() const {
    std::lock_guard lock(m_mutex);
    return !m_image.isNull();
}

QSize CPictureSurface::Size() const {
    std::lock_guard lock(m_mutex);
    return m_image.size();
}

QImage CPictureSurface::Snapshot() const {
    std::lock_guard lock(m_mutex);
    return m_image.copy();
}

void CPictureSurface::PaintTo(QPainter& painter) const {
    std::lock_guard lock(m_mutex);
    if (m_image.isNull()) return;
    // The animation is composed at layout size: enlarged smoothly on
    // high-density screens.
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(0, 0, m_image);
    painter.restore();
}

void CPictureSurface::Draw(const QImage& image, const QRect& target) {
    std::lock_guard lock(m_mutex);
    if (m_image.isNull() || image.isNull() || target.isEmpty()) return;
    QPainter painter(&m_image);
    painter.drawImage(target, image);
}

void CPictureSurface::SaveArea(const QRect& rect) {
    std::lock_guard lock(m_mutex);
    m_saveRect = rect;
    m_save = m_image.isNull() ? QImage() : m_image.copy(rect);
}

void CPictureSurface::RestoreArea() {
    std::lock_guard lock(m_mutex);
    if (!m_image.isNull() && !m_save.isNull()) {
        QPainter painter(&m_image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(m_saveRect.topLeft(), m_save);
    }
    m_save = QImage();
    m_saveRect = QRect();
}

// --- composing --------------------------------------------------------------

void DrawFrame(CPictureSurface& surface, const CAnimationFrame& frame) {
    if (frame.disposal == 3) surface.SaveArea(frame.Rect());
    surface.Draw(frame.image, frame.Rect());
}

int NextFrame(CPictureSurface& surface, const CAnimationFrames& frames, int index, const QImage& background) {
    const CAnimationFrame& frame = frames[static_cast<size_t>(index)];
    if (frame.disposal == 2) {
        surface.Draw(background, QRect(QPoint(0, 0), background.size()));
    } else if (frame.disposal == 3) {
        surface.RestoreArea();
    }
    if (++index < static_cast<int>(frames.size())) return index;
    surface.Draw(background, QRect(QPoint(0, 0), background.size()));
    return 0;
}

// --- CAnimationThread -------------------------------------------------------

struct CAnimationThread::State {
    Setup setup;
    CStopEvent stop;
    std::atomic<bool> stopRequested{false};
    std::atomic<int> current{0};
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    bool done = false;
};

CAnimationThread::~CAnimationThread() { Stop(std::chrono::milliseconds(5000)); }

bool CAnimationThread::Start(Setup setup) {
    if (m_state) return false;
    if (!setup.frames || setup.frames->empty() || !setup.surface) return false;
    auto state = std::make_shared<State>();
    const int count = static_cast<int>(setup.frames->size());
    state->current = (setup.startFrame >= 0 && setup.startFrame < count) ? setup.startFrame : 0;
    state->setup = std::move(setup);
    m_state = state;
    m_thread = std::thread([state] { Run(state); });
    return true;
}

CAnimationThread::StopResult CAnimationThread::Stop(std::chrono::milliseconds timeout) {
    if (!m_state) return StopResult::NotRunning;
    const std::shared_ptr<State> state = std::move(m_state);
    m_state.reset();
    state->stopRequested = true;
    state->stop.Set();
    bool ended = false;
    {
        std::unique_lock lock(state->doneMutex);
        ended = state->doneChanged.wait_for(lock, timeout, [&] { return state->done; });
    }
    m_lastFrame = state->current;
    if (ended) {
        m_thread.join();
        return StopResult::Ended;
    }
    // The thread holds its own reference to everything it touches, so
    // letting it go frees nothing under it.
    m_thread.detach();
    return StopResult::Abandoned;
}

bool CAnimationThread::Running() const { return m_state != nullptr; }

int CAnimationThread::CurrentFrame() const { return m_state ? m_state->current.load() : m_lastFrame; }

void CAnimationThread::Run(const std::shared_ptr<State>& state) {
    const Setup& setup = state->setup;
    const CAnimationFrames& frames = *setup.frames;
    CPictureSurface& surface = *setup.surface;
    try {
        int index = state->current;
        while (!state->stopRequested) {
            const CAnimationFrame& frame = frames[static_cast<size_t>(index)];
            DrawFrame(surface, frame);
            if (setup.frameDrawn) setup.frameDrawn();
            if (setup.observer) setup.observer(index);

            if (state->stop.Wait(FrameWait(frame.delay)) || state->stopRequested) break;

            index = NextFrame(surface, frames, index, setup.background);
            state->current = index;
        }
    } catch (const std::exception& error) {
        Trace("ThreadAnimation()--exception!%s", error.what());
    } catch (...) {
        Trace("ThreadAnimation()--exception!%s", "unknown");
    }
    {
        std::lock_guard lock(state->doneMutex);
        state->done = true;
    }
    state->doneChanged.notify_all();
}
