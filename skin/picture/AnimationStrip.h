#pragma once
// One loop of an animation composed ahead of time into a strip of pictures
// side by side, one slot a period: what the animation thread would show at
// each moment of a loop. A frame that stays for several periods takes
// several slots. Made for a window system that slides the strip under a
// frame by itself (platform/StripMover.h).

#include "skin/picture/PictureAnimation.h"

#include <QColor>
#include <QImage>
#include <QSize>

#include <chrono>
#include <optional>
#include <vector>

struct CAnimationStrip {
    QImage strip;                      // opaque, the picture's height, slots × its width
    int slotWidth = 0;                 // the picture's width
    std::chrono::milliseconds period;  // how long a slot is shown
    std::vector<int> frameOfSlot;      // the animation's frame each slot shows

    int Slots() const { return static_cast<int>(frameOfSlot.size()); }
    // The first slot of `frame` (0 for a frame not in the strip).
    int SlotOf(int frame) const;
};

// Composes the loop over a picture of `size` filled with `fill`, each loop
// starting over `background`. Nothing when the strip would be wider than
// `maxWidth`, when a frame stays until stopped (no delay), or when there
// is no animation.
std::optional<CAnimationStrip> ComposeAnimationStrip(const CAnimationFrames& frames, QSize size, QColor fill,
                                                     const QImage& background, int maxWidth);
