#pragma once
// The thumb of the my-music panel's scroll bar, composed from the skin's
// "Scroll00" thumb image: 17 pixels wide and (height + 2) high, where the
// height shrinks as the list gets more pages.

#include <QImage>

inline constexpr int kScrollThumbWidth = 17;
inline constexpr int kScrollThumbMinHeight = 8;
inline constexpr int kScrollThumbMaxHeight = 135;
// The source row that ends a fading thumb, and the bottom cap of a plain one.
inline constexpr int kScrollFadeEndRow = 136;
inline constexpr int kScrollCapRow = 54;

// 9 / pages × 150, clamped to 8 … 135; no pages count as one.
int ScrollThumbHeight(int pages);

// The thumb bitmap for `pages`. Fading ("bFade" non-zero): the first
// height + 1 rows, 15 pixels wide, from the top of `source`, then its row
// 136. Plain: rows 0 and 1 of `source`, its row 2 repeated down to row
// `height`, and its row 54 as the last. Pixels the source does not supply
// are the key colour.
QImage ComposeScrollThumb(const QImage& source, int pages, bool fade);
