#pragma once
// The arithmetic of the skinned controls, apart from any painting: where a
// slider value sits on its track, how the rolling title moves, which image
// a button shows, the bands of a gradient label and the play-time texts.

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

// One axis of a slider: the control's length along it, the thumb's length,
// and the margins at the low (left/top) and high (right/bottom) end.
struct SliderAxis {
    int length = 0;
    int thumb = 0;
    int marginLow = 0;
    int marginHigh = 0;
};

// The centre pixel of the thumb for `value`.
int SliderValueToPixel(const SliderAxis& axis, int minimum, int maximum, int value);
// The value under the thumb centre `pixel`, truncated toward zero and kept
// within the range (a track shorter than the thumb gives the minimum).
int SliderPixelToValue(const SliderAxis& axis, int minimum, int maximum, int pixel);
// `pixel` kept where the whole thumb stays on the track.
int SliderClampPixel(const SliderAxis& axis, int pixel);
// The top of the thumb on a circular track at thumb left `x`; 0 where the
// track does not reach.
int CircleTrackY(int x, int centreX, int centreY, int radius);

// Whether `point` hits a button of `size`: its rectangle, or the ellipse
// inscribed in it for a round button.
bool ButtonHitTest(const QSize& size, const QPoint& point, bool round);

// The image a CHoverButton with `imageCount` images shows.
int HoverButtonImageIndex(int imageCount, bool pressed, bool disabled, bool hover);

// The bands of a horizontal gradient over `width` pixels: min(100, width)
// bands from `from` to `to` (the first band in `from`, the last in `to`).
struct GradientBand {
    int left = 0;
    int width = 0;
    QColor colour;
};
std::vector<GradientBand> GradientBands(const QColor& from, const QColor& to, int width);

// The scroll position of the rolling title. The text is drawn at
// x = -Position(); once it has moved further than 1.1 × its width it
// starts again just beyond the right edge.
class CRollPosition {
public:
    int Position() const { return m_nScrollPos; }
    int TextX() const { return -m_nScrollPos; }
    void Reset() { m_nScrollPos = 0; }
    // One timer tick.
    void Step(int textWidth, int clientWidth);

private:
    int m_nScrollPos = 0;
};

// Whether a click at `point` hits the lyric link that starts at `linkX` in a
// control `width` wide: the 25 pixels from the link's start, rows 3 to 19,
// and only while the whole link lies inside the control.
inline constexpr int kLyricLinkWidth = 25;
bool LyricLinkHit(int linkX, int width, const QPoint& point);

// Titles that announce a state instead of a song carry no lyric link.
bool TitleHasLyricLink(const QString& title);

// A title "name--singer" split for the two-font drawing: the name, and the
// rest from the "--" on. A title without "--" is all name.
struct TitleParts {
    QString name;
    QString rest;
};
TitleParts SplitTitle(const QString& title);

// The shown play-time text: the duration loses its leading "/" characters
// and, in Skin2 skins, gets exactly one in front; a text of nothing but "/"
// is shown empty. The elapsed time is shown as it is.
QString PlayTimeDisplayText(const QString& text, bool isTimeText, bool skin2);

// `font` sized by a logical font height as the platform's font mapper reads
// it: a negative height is the character height (the em, Qt's pixel size),
// a positive one the cell height (ascent + descent, the largest size whose
// cell fits), 0 keeps the font's size.
QFont FontOfLogicalHeight(QFont font, int height);
