#pragma once
// The animation thread of the animated picture and what it shares with the
// window thread: the composed picture (a surface guarded by a lock; the
// window copies it when it paints) and the stop event that doubles as the
// frame timer, so that a stop interrupts even a frame that waits for ever.
// Nothing here touches a widget: the thread reports a drawn frame through a
// callback that the window turns into a posted event.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QPainter;

// One decoded frame of an animation.
struct CAnimationFrame {
    QImage image;
    int left = 0, top = 0, width = 0, height = 0;
    int delay = -1;    // hundredths of a second; -1 without a graphic control extension
    int disposal = 0;  // 2 restores the background, 3 the area under the frame
    QRect Rect() const { return QRect(left, top, width, height); }
};
using CAnimationFrames = std::vector<CAnimationFrame>;

// How long a frame stays: delays 0 to 4 give 100 ms, larger ones ten times
// the delay; nullopt (no graphic control extension) means until stopped.
std::optional<std::chrono::milliseconds> FrameWait(int delay);

// A manual-reset event.
class CStopEvent {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until the event is set or `timeout` has passed; nullopt waits
    // without limit. Returns whether the event is set.
    bool Wait(std::optional<std::chrono::milliseconds> timeout);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_set = false;
};

// The composed picture and the saved area under a restore-previous frame.
// Every access takes the lock.
class CPictureSurface {
public:
    // A fresh surface of `size` filled with `fill`; false when it cannot be
    // allocated.
    bool Prepare(QSize size, QColor fill);
    void Clear();
    bool Ready() const;
    QSize Size() const;
    QImage Snapshot() const;
    void PaintTo(QPainter& painter) const;

    // Draws `image` at `target`, scaled to it.
    void Draw(const QImage& image, const QRect& target);
    // Remembers the area under `rect` / puts it back and forgets it.
    void SaveArea(const QRect& rect);
    void RestoreArea();

private:
    mutable std::mutex m_mutex;
    QImage m_image;
    QImage m_save;
    QRect m_saveRect;
};

// Draws `frame` over what the surface holds (remembering the area under it
// first when the frame asks for that).
void DrawFrame(CPictureSurface& surface, const CAnimationFrame& frame);
// Disposes of the frame at `index` as it asks and gives the index of the
// next one; a new loop starts over `background`.
int NextFrame(CPictureSurface& surface, const CAnimationFrames& frames, int index, const QImage& background);

class CAnimationThread {
public:
    struct Setup {
        std::shared_ptr<const CAnimationFrames> frames;
        std::shared_ptr<CPictureSurface> surface;
        QImage background;  // drawn at (0, 0) by disposal 2 and on each new loop; may be null
        int startFrame = 0;
        // Called on the animation thread after a frame was drawn.
        std::function<void()> frameDrawn;
        // Called on the animation thread with the frame's index after it was
        // drawn, before its delay; for measurement.
        std::function<void(int)> observer;
    };
    enum class StopResult { NotRunning, Ended, Abandoned };

    CAnimationThread() = default;
    ~CAnimationThread();
    CAnimationThread(const CAnimationThread&) = delete;
    CAnimationThread& operator=(const CAnimationThread&) = delete;

    // False when a thread already runs or there is nothing to animate.
    bool Start(Setup setup);
    // Asks the thread to end and waits up to `timeout`. A thread that does
    // not end in time is left to finish on its own: it keeps what it uses
    // alive and reports nothing any more.
    StopResult Stop(std::chrono::milliseconds timeout);
    bool Running() const;
    // The frame the thread draws next (or drew last when stopped in its delay).
    int CurrentFrame() const;
    // Makes the next start begin at `frame` (when no thread runs).
    void ResetFrame(int frame = 0) { if (!m_state) m_lastFrame = frame; }

private:
    struct State;
    static void Run(const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
    int m_lastFrame = 0;
};
