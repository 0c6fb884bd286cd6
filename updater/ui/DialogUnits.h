#pragma once
// Dialog templates are laid out in dialog units: a quarter of the dialog
// font's average character width across, an eighth of its height down.

#include <QRect>

class QFont;

namespace patchwell {

struct DialogBaseUnits {
    int cx = 0;  // average character width in pixels
    int cy = 0;  // character height in pixels
};

// a * b / c rounded half away from zero, computed in 64 bits; 0 when c is 0.
int MulDivRound(int a, int b, int c);

int DialogUnitsToPixelsX(int x, const DialogBaseUnits& units);
int DialogUnitsToPixelsY(int y, const DialogBaseUnits& units);
QRect DialogRectToPixels(const QRect& dialogUnits, const DialogBaseUnits& units);

// The base units of a dialog drawn with `font`: the average width of the
// Latin letters (as the system measures it) and the font's height. Needs a
// QGuiApplication for the font metrics.
DialogBaseUnits BaseUnitsOfFont(const QFont& font);

}  // namespace patchwell
