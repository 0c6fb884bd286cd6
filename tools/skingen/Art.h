#pragma once
// Drawing helpers of the skin generator: the two palettes, vector glyphs,
// button faces in their three states, and the conversion of an anti-aliased
// drawing into a keyed bitmap.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

struct Theme {
    bool dark = true;
    QColor frameTop, frameMid, frameBottom, outline, highlight;
    QColor display, displayEdge;
    QColor ink, inkHover, inkPressed;
    QColor halo;                 // hover halo behind glyphs
    QColor accent, accentDark;   // play button, current tab, filled tracks
    QColor accentInk;            // glyph on the accent
    QColor track, trackEdge;
    QColor title, time;          // display texts
    QColor listA, listB;         // list row stripes
    QColor panelText;
    QColor pill, pillHover, pillPressed, pillText, pillBorder;
    // Picture pixels per layout pixel: 1, or 2 for the double-size
    // pictures of high-density screens (the same shapes, twice as sharp).
    int scale = 1;
};

Theme ClassicTheme();
Theme OrangeTheme();

QFont UiFont(double pixelSize, bool bold = false);

enum class Glyph {
    Play, Pause, Stop, Previous, Next, Volume, Mute, Menu, Minimize, Mini, Restore, Close, Search,
    RepeatOff, RepeatOne, Library, Lyric, ListOpen, ListClose, MyMusic, VolumeUp, VolumeDown, Skin,
    Rotate, Up, Down, PageUp, PageDown, Back, Forward, Refresh, Note,
};

void DrawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& colour);

enum class ButtonState { Normal, Over, Click, Disable, Current };

enum class ButtonLook {
    Flat,    // a glyph on the window; hover adds a soft halo
    Round,   // a glyph in a filled accent circle (play)
    Pill,    // a text label in a rounded button
    Tab,     // a text tab; the current one is lit
    Link,    // underlined text
};

// Draws a button face over `background` (the part of the window under the
// button) and returns it.
QImage ButtonFace(const QImage& background, const Theme& theme, ButtonLook look, ButtonState state, Glyph glyph,
                  const QString& text = {});

// An anti-aliased drawing with transparency made into a keyed, opaque
// bitmap: nearly transparent pixels become `key`, the rest are laid over
// `matte`. No kept pixel equals the key.
QImage Keyed(const QImage& argb, QRgb key, const QColor& matte);

// A new transparent canvas of `width` × `height` layout pixels, `scale`
// picture pixels each; painters on it draw in layout pixels.
QImage Canvas(int width, int height, int scale = 1);
// The size of a picture in layout pixels.
QSizeF LayoutSize(const QImage& image);
// `rect` of layout pixels of `image` (a canvas or a piece of one).
QImage CropLayout(const QImage& image, const QRect& rect);

void FillRounded(QPainter& p, const QRectF& rect, double radius, const QColor& top, const QColor& bottom);
