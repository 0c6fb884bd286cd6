#pragma once
// The mark a skinned control wears while the keyboard focus is on it: a
// frame in a colour of the skin (the window's text colour), so it shows on
// the skin's own background rather than in the desktop's colours.

#include <QColor>
#include <QPainter>
#include <QRect>

#include <vector>

class QWidget;

// The colour a control marks itself in until its window gives the skin's.
inline QColor DefaultFocusColour() { return QColor(0xFF, 0xC8, 0x3C); }

// Draws the mark inside `rect`: a two-pixel frame, round for round buttons.
void DrawFocusMark(QPainter& painter, const QRect& rect, const QColor& colour, bool round = false);

// Tab in a skinned window: moves the focus from `focused` to the next (or
// previous) control of `order` that takes it now (shown, enabled, reached
// by Tab), round the end; from a control outside the order, to the first
// (or last). False when none takes it.
bool MoveFocusInOrder(const std::vector<QWidget*>& order, const QWidget* focused, bool next);
