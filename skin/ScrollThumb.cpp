#include "skin/ScrollThumb.h"

#include "skin/SkinChoice.h"

#include <algorithm>

namespace {

constexpr int kFadeWidth = 15;
// 9 visible rows of a page on a track of 150 pixels.
constexpr int kThumbScale = 9 * 150;

void CopyRow(const QImage& source, int sourceRow, QImage& target, int targetRow, int width) {
    if (sourceRow < 0 || sourceRow >= source.height() || targetRow < 0 || targetRow >= target.height()) return;
    const int count = std::min({width, source.width(), target.width()});
    for (int x = 0; x < count; ++x) target.setPixel(x, targetRow, source.pixel(x, sourceRow));
}

}  // namespace

int ScrollThumbHeight(int pages) {
    // Exact integer form of 9 / pages × 150, cut toward zero.
    const int height = kThumbScale / std::max(pages, 1);
    return std::clamp(height, kScrollThumbMinHeight, kScrollThumbMaxHeight);
}

QImage ComposeScrollThumb(const QImage& source, int pages, bool fade) {
    const int height = ScrollThumbHeight(pages);
    QImage thumb(kScrollThumbWidth, height + 2, QImage::Format_RGB32);
    thumb.fill(qRgb(RedOf(kSkinKeyColour), GreenOf(kSkinKeyColour), BlueOf(kSkinKeyColour)));
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    if (fade) {
        for (int y = 0; y <= height; ++y) CopyRow(rgb, y, thumb, y, kFadeWidth);
        CopyRow(rgb, kScrollFadeEndRow, thumb, height + 1, kFadeWidth);
    } else {
        CopyRow(rgb, 0, thumb, 0, kScrollThumbWidth);
        CopyRow(rgb, 1, thumb, 1, kScrollThumbWidth);
        for (int y = 2; y <= height; ++y) CopyRow(rgb, 2, thumb, y, kScrollThumbWidth);
        CopyRow(rgb, kScrollCapRow, thumb, height + 1, kScrollThumbWidth);
    }
    return thumb;
}
