#pragma once
// The picture of a window's drop shadow: a premultiplied-alpha bitmap built
// from the window's shape, with no window involved, so that it can be
// checked pixel by pixel.

#include "common/Bitmap.h"

#include <QImage>
#include <QRegion>
#include <QSize>

#include <vector>

// The first and the last pixel of one row inside a shape; empty when
// first > last.
struct ShadowSpan {
    int first = 0;
    int last = -1;
    bool Empty() const { return first > last; }
    bool Contains(int x) const { return x >= first && x <= last; }
};

// How a shadow looks; the ranges are checked by the shadow window.
struct ShadowParams {
    int size = 0;        // how far the shadow reaches beyond the window on every side
    int sharpness = 5;   // width of the soft edge in pixels
    int darkness = 150;  // alpha of the darkest pixel
    int xOffset = 5;
    int yOffset = 5;
    ColorRef color = Rgb(0, 0, 0);
};

// One span per row of a window of `windowSize`: the first and the last pixel
// of `shape` (window coordinates) on that row. An empty shape stands for the
// whole rectangle, as a window without a region.
std::vector<ShadowSpan> ShapeSpans(const QRegion& shape, const QSize& windowSize);

// Moves the outline `steps` pixels inwards: each step takes one pixel off
// both ends of every span and keeps only what the neighbouring rows' spans
// also cover, so the top and bottom rows drop out.
std::vector<ShadowSpan> ShrinkSpans(std::vector<ShadowSpan> spans, int steps);

// The alpha of the round brush at distance `distance` from its centre.
int ShadowBrushAlpha(double distance, const ShadowParams& params);

// The shadow bitmap of a window of `windowSize` with `shape`:
// (width + 2 × size) × (height + 2 × size) pixels, premultiplied ARGB. Its
// top-left pixel sits at the window's top-left moved by the offsets and by
// −size on both axes. Fully transparent when the size is 0; empty when the
// size shrinks it to nothing. Pixels that the window itself covers are
// cleared unless `clearUnderWindow` is false.
QImage ComputeShadowField(const QRegion& shape, const QSize& windowSize, const ShadowParams& params,
                          bool clearUnderWindow = true);
