#pragma once
// Colours of the skin description (0x00BBGGRR) for painting.

#include "common/Bitmap.h"

#include <QColor>

inline QColor ColorRefToQColor(ColorRef colour)
{
    return QColor(int(RedOf(colour)), int(GreenOf(colour)), int(BlueOf(colour)));
}

inline ColorRef QColorToColorRef(const QColor& colour)
{
    return Rgb(unsigned(colour.red()), unsigned(colour.green()), unsigned(colour.blue()));
}
