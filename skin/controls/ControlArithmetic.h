#pragma once
// The arithmetic of the skinned controls, apart from any painting: where a
// slider value sits on its track, how the rolling title moves, which image
// a button shows, the bands of a gradient label, the play-time texts, and
// the layout, colours and texts of the song list and the album tree.

#include "common/Bitmap.h"

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
    explicit CRollPosition(int position = 0) : m_nScrollPos(position) {}
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

// ---- The song list and the album tree ----------------------------------------

// A list row is as tall as one stripe of the list backgrounds; a tree item
// as tall as the tree asks. Their icons are 16 × 16.
inline constexpr int kListRowHeight = 18;
inline constexpr int kTreeItemHeight = 20;
inline constexpr int kItemIconSize = 16;

// Colours of the list rows (0x00BBGGRR).
inline constexpr ColorRef kListHighlightText = 0x4CFFBA;  // selected or playing
inline constexpr ColorRef kListNameText = 0xBDF3FF;
inline constexpr ColorRef kListText = 0xC4C4C4;
inline constexpr ColorRef kListSelectionFill = 0x222222;  // selection outside the "Skin2" family
inline constexpr ColorRef kItemSeparator = 0x616161;
inline constexpr ColorRef kTreeStripe = 0x353535;         // tree items outside the "Skin2" family
// The list's vertical separator runs from the top down to here.
inline constexpr int kListSeparatorBottom = 180;
// A list with fewer songs than this places its details buttons by the first
// offset, a longer one by the second.
inline constexpr int kListFewSongs = 10;

// The details button's offset from the row's right edge for a list of
// `songCount` songs.
int ListDetailsOffset(int songCount, int fewOffset, int manyOffset);
// The details button of a row: `offset` left of its right edge, at its top.
QRect ListDetailsButtonRect(const QRect& row, int offset);
// Where the text of a cell starts, from the cell's left: the number 8 in
// below 10 and 4 from 10 on, the song name at the edge (the playing song's
// name clear of the play mark, however narrow the font's blanks in front of
// it), the later columns 20 further right.
int ListTextIndent(int column, int number, bool playing);
// The play mark in front of the playing song's name, which starts at
// `nameLeft`: 4 to the left of it, centred in the row.
QRect ListPlayMarkRect(const QRect& row, int nameLeft);
// The colour of a cell's text. `listPlays`: the player plays from this list.
ColorRef ListTextColour(int column, bool selected, bool playingRow, bool listPlays);

// The buttons of a tree item, 2 below its top: manage (albums) at 200 from
// the item's left, play album (albums) and details (songs) at 220.
enum class TreeButton { None, Manage, PlayAlbum, Details };
QRect TreeButtonRect(const QRect& item, TreeButton button);
// The button of an album item (`album`) or song item under `point`.
TreeButton TreeButtonAt(const QRect& item, bool album, const QPoint& point);
// The tip of a button; empty for none.
QString TreeButtonTip(TreeButton button);
// Where an item's text starts from its left, and the icon in front of it
// (the album icon, or the play mark 2 pixels higher than the text).
int TreeTextIndent(bool album);
QRect TreeIconRect(const QRect& item, bool album);
// The width an album's name and a song's title and singer are fitted to.
inline constexpr int kTreeAlbumNameWidth = 180;
inline constexpr int kTreeTitleWidth = 120;
inline constexpr int kTreeSingerWidth = 60;

// An album's new name as typed into the tree. On the album page an empty
// name and one of more than 20 UTF-16 units are refused; elsewhere an empty
// name becomes the default.
inline constexpr int kAlbumNameMaxLength = 20;
enum class AlbumNameVerdict { Accepted, Empty, TooLong };
struct AlbumNameCheck {
    AlbumNameVerdict verdict = AlbumNameVerdict::Accepted;
    QString name;  // the name to keep when accepted
};
AlbumNameCheck CheckAlbumName(const QString& typed, bool onAlbumPage);
// The notice of a refused name.
QString AlbumNameNotice(AlbumNameVerdict verdict);
// "我的专辑", the name of an album nobody named.
QString DefaultAlbumName();
