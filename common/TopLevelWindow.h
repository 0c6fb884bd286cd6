#pragma once
// What the program's top-level windows share about their places on the
// screen: a window placed where its skin says stays inside the screen's
// available area, and a window made to stay above the others keeps its
// place and its visibility.

#include <QPoint>
#include <QRect>

class QWidget;

// The top-left corner nearest to `wanted`'s that keeps the whole rectangle
// inside the available area of the screen it lies on (the primary screen
// when it lies on none); a rectangle larger than the area keeps its top-left
// corner inside it. Without a screen, `wanted`'s own corner.
QPoint PlaceInsideScreen(const QRect& wanted);

// Makes `window` stay above the windows of other programs, or no longer,
// where it is; a window on the screen stays there and comes to the front.
void SetStaysOnTop(QWidget& window, bool onTop);
