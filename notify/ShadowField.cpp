#include "notify/ShadowField.h"

#include <QRect>

#include <algorithm>
#include <cmath>
#include <cstdint>

std::vector<ShadowSpan> ShapeSpans(const QRegion& shape, const QSize& windowSize) {
    const int width = std::max(windowSize.width(), 0);
    const int height = std::max(windowSize.height(), 0);
    std::vector<ShadowSpan> spans(static_cast<size_t>(height));
    if (shape.isEmpty()) {
        for (auto& span : spans) span = {0, width - 1};
        return spans;
    }
    const QRect bounds(0, 0, width, height);
    for (const QRect& piece : shape) {
        const QRect r = piece.intersected(bounds);
        if (r.isEmpty()) continue;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            ShadowSpan& span = spans[static_cast<size_t>(y)];
            if (span.Empty()) {
                span = {r.left(), r.right()};
            } else {
                span.first = std::min(span.first, r.left());
                span.last = std::max(span.last, r.right());
            }
        }
    }
    return spans;
}

std::vector<ShadowSpan> ShrinkSpans(std::vector<ShadowSpan> spans, int steps) {
    const size_t rows = spans.size();
    for (int step = 0; step < steps; ++step) {
        std::vector<ShadowSpan> next(rows);
        for (size_t y = 1; y + 1 < rows; ++y) {
            const ShadowSpan& above = spans[y - 1];
            const ShadowSpan& here = spans[y];
            const ShadowSpan& below = spans[y + 1];
            if (above.Empty() || here.Empty() || below.Empty()) continue;
            next[y] = {std::max({above.first, here.first, below.first}) + 1,
                       std::min({above.last, here.last, below.last}) - 1};
            if (next[y].Empty()) next[y] = {};
        }
        spans = std::move(next);
    }
    return spans;
}

int ShadowBrushAlpha(double distance, const ShadowParams& params) {
    const int radius = std::max(params.sharpness, params.size);
    const int core = std::max(params.size - params.sharpness, 0);
    if (distance < core) return params.darkness;
    if (distance > radius) return 0;
    // (1 − (d − core) ÷ (sharpness + 1)) × darkness, kept exact at whole distances.
    const double steps = params.sharpness + 1;
    return std::clamp(static_cast<int>((steps - (distance - core)) * params.darkness / steps), 0, 255);
}

namespace {

// The shadow colour at `alpha`, premultiplied.
QRgb ShadowPixel(ColorRef color, int alpha) {
    const auto scale = [alpha](unsigned channel) { return static_cast<int>(channel) * alpha / 255; };
    return qRgba(scale(RedOf(color)), scale(GreenOf(color)), scale(BlueOf(color)), alpha);
}

// A square table of brush pixels, (2r + 1) on a side.
struct Brush {
    int radius = 0;
    std::vector<QRgb> pixels;
    QRgb At(int dx, int dy) const {
        return pixels[static_cast<size_t>((dy + radius) * (2 * radius + 1) + (dx + radius))];
    }
};

Brush MakeBrush(const ShadowParams& params) {
    Brush brush;
    brush.radius = std::max(params.sharpness, params.size);
    const int side = 2 * brush.radius + 1;
    brush.pixels.resize(static_cast<size_t>(side) * static_cast<size_t>(side));
    for (int dy = -brush.radius; dy <= brush.radius; ++dy) {
        for (int dx = -brush.radius; dx <= brush.radius; ++dx) {
            const int alpha = ShadowBrushAlpha(std::hypot(dx, dy), params);
            brush.pixels[static_cast<size_t>((dy + brush.radius) * side + (dx + brush.radius))] =
                ShadowPixel(params.color, alpha);
        }
    }
    return brush;
}

// True when every neighbour of (x, y) lies in the core as well.
bool IsInsideCore(const std::vector<ShadowSpan>& core, int x, int y) {
    const int rows = static_cast<int>(core.size());
    if (y <= 0 || y + 1 >= rows) return false;
    for (int row = y - 1; row <= y + 1; ++row) {
        const ShadowSpan& span = core[static_cast<size_t>(row)];
        if (!span.Contains(x - 1) || !span.Contains(x + 1)) return false;
    }
    return true;
}

void Stamp(QImage& image, const Brush& brush, int cx, int cy) {
    const int top = std::max(cy - brush.radius, 0);
    const int bottom = std::min(cy + brush.radius, image.height() - 1);
    const int left = std::max(cx - brush.radius, 0);
    const int right = std::min(cx + brush.radius, image.width() - 1);
    for (int y = top; y <= bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = left; x <= right; ++x) {
            // The alpha is the top byte, so the larger pixel is the darker one.
            line[x] = std::max(line[x], brush.At(x - cx, y - cy));
        }
    }
}

// Sets the pixels of `spans`, placed at (dx, dy) in the image, to `pixel`.
void FillSpans(QImage& image, const std::vector<ShadowSpan>& spans, int dx, int dy, QRgb pixel) {
    for (size_t row = 0; row < spans.size(); ++row) {
        const int y = static_cast<int>(row) + dy;
        const ShadowSpan& span = spans[row];
        if (span.Empty() || y < 0 || y >= image.height()) continue;
        const int first = std::max(span.first + dx, 0);
        const int last = std::min(span.last + dx, image.width() - 1);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = first; x <= last; ++x) line[x] = pixel;
    }
}

}  // namespace

QImage ComputeShadowField(const QRegion& shape, const QSize& windowSize, const ShadowParams& params,
                          bool clearUnderWindow) {
    // A negative size may shrink the bitmap to nothing; there is then
    // nothing to draw rather than a bitmap of negative size.
    const int width = windowSize.width() + 2 * params.size;
    const int height = windowSize.height() + 2 * params.size;
    if (width <= 0 || height <= 0) return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (params.size == 0) return image;

    const std::vector<ShadowSpan> outline = ShapeSpans(shape, windowSize);
    const std::vector<ShadowSpan> core =
        params.sharpness > params.size ? ShrinkSpans(outline, params.sharpness - params.size) : outline;

    const Brush brush = MakeBrush(params);
    const int origin = params.size;  // the shadowed shape's top-left in the bitmap
    for (size_t row = 0; row < core.size(); ++row) {
        const ShadowSpan& span = core[row];
        if (span.Empty()) continue;
        const int y = static_cast<int>(row);
        for (int x = span.first; x <= span.last; ++x) {
            if (!IsInsideCore(core, x, y)) Stamp(image, brush, x + origin, y + origin);
        }
    }
    FillSpans(image, core, origin, origin, ShadowPixel(params.color, params.darkness));

    if (clearUnderWindow) {
        FillSpans(image, outline, origin - params.xOffset, origin - params.yOffset, qRgba(0, 0, 0, 0));
    }
    return image;
}
