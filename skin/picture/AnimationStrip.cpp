#include "skin/picture/AnimationStrip.h"

#include <QPainter>

#include <algorithm>
#include <numeric>

int CAnimationStrip::SlotOf(int frame) const {
    const auto found = std::find(frameOfSlot.begin(), frameOfSlot.end(), frame);
    return found == frameOfSlot.end() ? 0 : static_cast<int>(found - frameOfSlot.begin());
}

std::optional<CAnimationStrip> ComposeAnimationStrip(const CAnimationFrames& frames, QSize size, QColor fill,
                                                     const QImage& background, int maxWidth) {
    if (frames.size() < 2 || size.isEmpty()) return std::nullopt;
    // The period: the longest that divides every frame's stay.
    long long period = 0;
    for (const CAnimationFrame& frame : frames) {
        const auto wait = FrameWait(frame.delay);
        if (!wait) return std::nullopt;
        period = std::gcd(period, static_cast<long long>(wait->count()));
    }
    long long slotCount = 0;
    for (const CAnimationFrame& frame : frames) slotCount += FrameWait(frame.delay)->count() / period;
    if (slotCount * size.width() > maxWidth) return std::nullopt;

    CAnimationStrip result;
    result.slotWidth = size.width();
    result.period = std::chrono::milliseconds(period);
    result.strip = QImage(static_cast<int>(slotCount) * size.width(), size.height(), QImage::Format_RGB32);
    if (result.strip.isNull()) return std::nullopt;
    result.strip.fill(fill);
    CPictureSurface surface;
    if (!surface.Prepare(size, fill)) return std::nullopt;
    surface.Draw(background, QRect(QPoint(0, 0), background.size()));
    QPainter painter(&result.strip);
    int index = 0;
    do {
        const CAnimationFrame& frame = frames[static_cast<size_t>(index)];
        DrawFrame(surface, frame);
        const QImage shown = surface.Snapshot();
        for (long long n = FrameWait(frame.delay)->count() / period; n > 0; --n) {
            painter.drawImage(result.Slots() * size.width(), 0, shown);
            result.frameOfSlot.push_back(index);
        }
        index = NextFrame(surface, frames, index, background);
    } while (index != 0);
    return result;
}
