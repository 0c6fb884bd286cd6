#include "updater/ui/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>

#include <cstdint>

namespace patchwell {

int MulDivRound(int a, int b, int c) {
    if (c == 0) return 0;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t divisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
    const std::int64_t magnitude = (product < 0 ? -product : product);
    const std::int64_t rounded = (magnitude + divisor / 2) / divisor;
    const bool negative = (product < 0) != (c < 0);
    return static_cast<int>(negative ? -rounded : rounded);
}

int DialogUnitsToPixelsX(int x, const DialogBaseUnits& units) { return MulDivRound(x, units.cx, 4); }

int DialogUnitsToPixelsY(int y, const DialogBaseUnits& units) { return MulDivRound(y, units.cy, 8); }

QRect DialogRectToPixels(const QRect& dialogUnits, const DialogBaseUnits& units) {
    return QRect(DialogUnitsToPixelsX(dialogUnits.x(), units), DialogUnitsToPixelsY(dialogUnits.y(), units),
                 DialogUnitsToPixelsX(dialogUnits.width(), units),
                 DialogUnitsToPixelsY(dialogUnits.height(), units));
}

DialogBaseUnits BaseUnitsOfFont(const QFont& font) {
    const QFontMetrics metrics(font);
    // The system takes the width of the 52 Latin letters, halves the
    // per-pair width and rounds; a font without them still gets a usable unit.
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogBaseUnits units;
    units.cx = (letters / 26 + 1) / 2;
    units.cy = metrics.height();
    if (units.cx <= 0) units.cx = metrics.averageCharWidth() > 0 ? metrics.averageCharWidth() : 6;
    if (units.cy <= 0) units.cy = 12;
    return units;
}

}  // namespace patchwell
