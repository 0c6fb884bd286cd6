#pragma once
// Skin bitmaps for the controls: loaded from BMP files and made see-through
// where they carry the key colour.
//
// High-density screens: a picture "Name.bmp" may have a double-size twin
// "Name@2x.bmp" with the same shapes drawn at twice the resolution. Where
// the screens show 1.5 device pixels or more per layout pixel the twin is
// used; any picture that does not match the screen's ratio is resampled
// smoothly to it. Prepared pictures carry their ratio (devicePixelRatio),
// so layout stays in layout pixels and painters draw them 1:1.

#include "common/Bitmap.h"

#include <QImage>
#include <QPixmap>

#include <optional>
#include <string>

// The key colour of the skin bitmaps (magenta).
inline constexpr ColorRef kControlKeyColour = Rgb(255, 0, 255);
// "Take the key colour from a pixel of the bitmap" instead of a colour.
inline constexpr ColorRef kKeyFromPixel = 0xFF000000;

// The device pixels per layout pixel the pictures are prepared for: the
// highest ratio among the screens; 1 without a GUI application.
qreal ScreenPictureRatio();
// The double-size twin of a picture file: ".../Play.bmp" -> ".../Play@2x.bmp".
std::string DoubleSizeFile(const std::string& path);
// The size of a prepared picture in layout pixels.
QSize LayoutSize(const QImage& image);
QSize LayoutSize(const QPixmap& pixmap);

// The picture of a BMP file for a screen of `ratio`: the double-size twin
// (devicePixelRatio 2) where the ratio is 1.5 or more and a twin of exactly
// twice the size exists, else the file itself. A null image when the file
// is missing or not a bitmap this program reads; failures are traced under
// `caller`.
QImage LoadSkinImage(const std::string& path, const char* caller, qreal ratio = ScreenPictureRatio());

// `image` resampled smoothly to `ratio` device pixels per layout pixel; as
// it is where it already has that ratio. With a key colour the key pixels
// neither bleed into their neighbours nor show inside the window's region
// (computed at layout size): they take the colours next to them.
QImage ScreenPicture(const QImage& image, qreal ratio = ScreenPictureRatio(), std::optional<ColorRef> key = {});

// `image` with every pixel of the colour `key` made transparent, prepared
// for a screen of `ratio`.
QPixmap KeyedPixmap(const QImage& image, ColorRef key, qreal ratio = ScreenPictureRatio());
// `image` with every pixel of the colour at (x, y) (layout pixels) made
// transparent; a point outside the image leaves it opaque.
QPixmap PixelKeyedPixmap(const QImage& image, int x, int y, qreal ratio = ScreenPictureRatio());
