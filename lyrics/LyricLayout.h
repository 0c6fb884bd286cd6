#pragma once
// The geometry of the lyric window, apart from any painting: how the skin's
// background picture is stretched over a window of any size (four corners
// kept, edges and middle stretched), where the buttons and the lyric area go
// when the window is resized, which edge the mouse is on, and the window's
// rectangle while the user drags an edge.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

// One piece of the stretched background: `source` in the picture drawn over
// `target` in the window.
struct StretchPiece {
    QRect source;
    QRect target;
};

// The pieces that fill a `target` window from a picture of `natural` size:
// the middle stretched over the centre, the four corners unscaled and the
// four edges stretched along. At the natural size they give the picture
// itself. Pieces of no area are left out; empty for an empty picture or
// window.
std::vector<StretchPiece> NinePieceStretch(const QSize& natural, const QSize& target);

// Where the window's parts sit at the size the skin placed them.
struct LyricParts {
    QSize window;
    QRect close;  // keeps its distance from the right edge
    QRect up;     // stays centred
    QRect down;   // stays centred, keeps its distance from the bottom
    QRect area;   // the lyric area: grows and shrinks with the window
};

// The parts for a window of `size`.
LyricParts LayoutLyricParts(const LyricParts& placed, const QSize& size);

// The text rectangle inside the lyric area.
QRect DisplayRect(const QRect& area);

// The edges of a window under a point.
enum LyricEdge : unsigned {
    kEdgeNone = 0,
    kEdgeLeft = 1,
    kEdgeTop = 2,
    kEdgeRight = 4,
    kEdgeBottom = 8,
};

// The edges within `border` pixels of `point` in a window of `size`.
unsigned EdgesAt(const QPoint& point, const QSize& size, int border);

// The window's rectangle when the edges of `start` are dragged by `delta`,
// never smaller than `minimum`: a dragged left or top edge stops where the
// opposite edge would have to move.
QRect ResizedRect(const QRect& start, unsigned edges, const QPoint& delta, const QSize& minimum);
