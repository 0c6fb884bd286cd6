#include "lyrics/LyricLayout.h"

#include "lyrics/LyricWindowIds.h"

#include <algorithm>

std::vector<StretchPiece> NinePieceStretch(const QSize& natural, const QSize& target) {
    std::vector<StretchPiece> pieces;
    const int W = natural.width(), H = natural.height();
    const int w = target.width(), h = target.height();
    if (W <= 0 || H <= 0 || w <= 0 || h <= 0) return pieces;

    // The cuts: columns at 80 % and 90 %, rows at 60 % and 70 %. The right
    // and bottom bands are what lies beyond the second cut; the middle piece
    // is what lies between the cuts (at least a pixel).
    const int x1 = W * 8 / 10, x2 = W * 9 / 10;
    const int y1 = H * 6 / 10, y2 = H * 7 / 10;
    const int rw = W - x2, bh = H - y2;
    const int mw = std::max(1, x2 - x1), mh = std::max(1, y2 - y1);

    const auto add = [&pieces](QRect source, QRect destination) {
        if (source.width() > 0 && source.height() > 0 && destination.width() > 0 && destination.height() > 0)
            pieces.push_back({source, destination});
    };
    add(QRect(x1, y1, mw, mh), QRect(x1, y1, w - rw - x1, h - bh - y1));
    add(QRect(0, 0, x1, y1), QRect(0, 0, x1, y1));
    add(QRect(x2, 0, rw, y1), QRect(w - rw, 0, rw, y1));
    add(QRect(0, y2, x1, bh), QRect(0, h - bh, x1, bh));
    add(QRect(x2, y2, rw, bh), QRect(w - rw, h - bh, rw, bh));
    add(QRect(x1, 0, mw, y1), QRect(x1, 0, w - rw - x1, y1));
    add(QRect(x1, y2, mw, bh), QRect(x1, h - bh, w - x1 - rw, bh));
    add(QRect(0, y1, x1, mh), QRect(0, y1, x1, h - bh - y1));
    add(QRect(x2, y1, rw, mh), QRect(w - rw, y1, rw, h - bh - y1));
    return pieces;
}

LyricParts LayoutLyricParts(const LyricParts& placed, const QSize& size) {
    const int dx = size.width() - placed.window.width();
    const int dy = size.height() - placed.window.height();
    LyricParts parts = placed;
    parts.window = size;
    parts.close.translate(dx, 0);
    parts.up.translate(dx / 2, 0);
    parts.down.translate(dx / 2, dy);
    parts.area.setSize(QSize(std::max(0, placed.area.width() + dx), std::max(0, placed.area.height() + dy)));
    return parts;
}

QRect DisplayRect(const QRect& area) {
    const QRect inner = area.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    return inner.isValid() ? inner : QRect(area.topLeft(), QSize(0, 0));
}

unsigned EdgesAt(const QPoint& point, const QSize& size, int border) {
    if (point.x() < 0 || point.y() < 0 || point.x() >= size.width() || point.y() >= size.height()) return kEdgeNone;
    unsigned edges = kEdgeNone;
    if (point.x() < border) edges |= kEdgeLeft;
    else if (point.x() >= size.width() - border) edges |= kEdgeRight;
    if (point.y() < border) edges |= kEdgeTop;
    else if (point.y() >= size.height() - border) edges |= kEdgeBottom;
    return edges;
}

QRect ResizedRect(const QRect& start, unsigned edges, const QPoint& delta, const QSize& minimum) {
    int left = start.left(), top = start.top();
    int right = start.left() + start.width(), bottom = start.top() + start.height();
    if (edges & kEdgeLeft) left = std::min(left + delta.x(), right - minimum.width());
    if (edges & kEdgeRight) right = std::max(right + delta.x(), left + minimum.width());
    if (edges & kEdgeTop) top = std::min(top + delta.y(), bottom - minimum.height());
    if (edges & kEdgeBottom) bottom = std::max(bottom + delta.y(), top + minimum.height());
    return QRect(left, top, right - left, bottom - top);
}
