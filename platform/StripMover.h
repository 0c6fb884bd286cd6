#pragma once
// A picture strip that slides across a fixed frame of a native window one
// step a period, moved by the window system itself: the frame and the strip
// are windows of their own whose pictures the display server keeps, the
// steps go to the server ahead of time and it takes each when it is due, and
// a thread of the mover sends the next ones about once a second. The
// program's user-interface thread neither wakes nor paints for the motion.
// Where the window system offers no such thing, CreateStripMover gives
// nothing and the caller draws the motion itself.

#include <QImage>
#include <QRect>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace tonvik::platform {

class IStripMover {
public:
    // The next position after `position`; called on the mover's thread, so
    // it holds copies of what it needs.
    using StepRule = std::function<int(int)>;

    struct Scene {
        std::uintptr_t window = 0;  // the native window the frame lies in
        QRect frame;                // in the window's pixels
        QImage ground;              // frame-sized: shown where the strip is not
        QImage strip;               // frame-tall; at x = -position inside the frame
        StepRule rule;              // how the position moves a step
    };

    virtual ~IStripMover() = default;

    // Shows the scene over its window (replacing the last one) with the
    // strip at `position`; a running motion goes on with the new scene.
    // False when it cannot be shown (a picture or a window the mover cannot
    // take); nothing of the mover is then on the screen.
    virtual bool Show(const Scene& scene, int position) = 0;
    // Moves the strip one step every period from now on.
    virtual void Start() = 0;
    // One step now, as a tick would take it.
    virtual void Step() = 0;
    // The ticks end; the strip stays where it is.
    virtual void Stop() = 0;
    // Stops and takes the scene off the screen.
    virtual void Hide() = 0;
    virtual bool Shown() const = 0;
    virtual bool Running() const = 0;
    // Where the strip is now.
    virtual int Position() const = 0;
};

// A mover for the running application's window system, or null where there
// is none (only X11 has one). Its thread starts with the first Start and
// ends at once with the mover.
std::unique_ptr<IStripMover> CreateStripMover(std::chrono::milliseconds period);

}  // namespace tonvik::platform
