#pragma once
// Skin bitmaps for the controls: loaded from BMP files and made see-through
// where they carry the key colour.

#include "common/Bitmap.h"

#include <QImage>
#include <QPixmap>

#include <string>

// The key colour of the skin bitmaps (magenta).
inline constexpr ColorRef kControlKeyColour = Rgb(255, 0, 255);
// "Take the key colour from a pixel of the bitmap" instead of a colour.
inline constexpr ColorRef kKeyFromPixel = 0xFF000000;

// The picture of a BMP file, or a null image when the file is missing or
// not a bitmap this program reads. Failures are traced under `caller`.
QImage LoadSkinImage(const std::string& path, const char* caller);

// `image` with every pixel of the colour `key` made transparent.
QPixmap KeyedPixmap(const QImage& image, ColorRef key);
// `image` with every pixel of the colour at (x, y) made transparent; a point
// outside the image leaves it opaque.
QPixmap PixelKeyedPixmap(const QImage& image, int x, int y);
