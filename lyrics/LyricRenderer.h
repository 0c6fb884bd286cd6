#pragma once
// Draws the lyric area: the visible lines of the vertical column or of the
// horizontal strip, the current line bold in its own colour, or the face
// shown for a song without a lyric. Only what lies in the area is drawn, and
// the text goes straight onto the window's background with anti-aliasing.
// It keeps the lyric's texts, the fonts in force, the strip measured in
// them, and the laid-out texts of the lines it drew last.

#include "lyrics/LyricModel.h"
#include "lyrics/LyricScroller.h"
#include "lyrics/LyricStrip.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRect>
#include <QStaticText>
#include <QString>

#include <unordered_map>
#include <vector>

// A font's line height from its logical height as the platform describes
// fonts: the cell height (positive) + 4, the character height (negative)
// + 4, or the fallback height + 4 for a font that tells none (0).
int LineHeightFor(int logicalHeight);
// The logical height of a font: minus its character height in pixels.
int LogicalHeightOf(const QFont& font);

// The fonts of the three choices: the default GUI font, and the large one
// made from the system font with the face "宋体" and normal weight.
QFont DefaultLyricFont();
QFont LargeLyricFont();

// What one frame shows.
struct LyricFrame {
    QRect display;  // the text rectangle (the lyric area less its margins)
    LyricMode mode = LyricMode::Vertical;
    int align = 0;  // 0 left, 2 right, 6 centre
    int current = -1;
    int64_t offset = 0;  // the scroll offset of the mode
    QColor lineColour;     // "BkColor": every line but the current one
    QColor currentColour;  // "TextColor"
    bool linkHover = false;
};

class CLyricRenderer {
public:
    CLyricRenderer();

    // The texts of a new lyric (the model's display lines, CP936) and its
    // song name; the strip is measured anew on first use.
    void SetLyric(const LyricModel& model);
    // A new font: the current line is drawn in it made bold.
    void SetFont(const QFont& font);

    const QFont& Font() const { return m_font; }
    int LineHeight() const { return m_nLineHeight; }
    // The step of scrolling an untimed lyric by hand: the text height and
    // its internal leading.
    int VerticalStep() const;
    const CLyricStrip& Strip() const { return m_strip; }
    int LineCount() const { return static_cast<int>(m_lines.size()); }

    // Draws the frame for the lyric of `model`: nothing without a song, the
    // no-lyric face for a song without lines. Returns the search link's
    // rectangle when the face shows it, else an empty one.
    QRect Paint(QPainter& painter, const LyricFrame& frame, const LyricModel& model);
    // The display line drawn under `at` in the frame, or -1 where none is.
    int LineAt(const LyricFrame& frame, const QPoint& at);
    // Where display line `line` is drawn in the frame, within the display
    // rectangle; empty where it is out of sight.
    QRect LineRect(const LyricFrame& frame, int line);

private:
    // Where line 0 of the vertical column is drawn.
    int64_t ColumnTop(const LyricFrame& frame) const;
    // Where the horizontal strip starts, and how much further the lines
    // after the bold current one are pushed.
    int64_t StripOrigin(const LyricFrame& frame) const;
    int64_t Widening(const LyricFrame& frame);
    void PaintVertical(QPainter& painter, const LyricFrame& frame);
    void PaintHorizontal(QPainter& painter, const LyricFrame& frame);
    QRect PaintNoLyric(QPainter& painter, const LyricFrame& frame, const LyricModel& model);
    // The laid-out text of a line, normal or bold (the current line).
    const QStaticText& Text(int line, bool bold);
    // What of a line is drawn: in the vertical column, a line far wider than
    // the area is cut to the part the alignment can bring into sight.
    QString Shown(int line) const;
    // Lines are cut to `maxChars` characters by `align` (0: drawn whole, as
    // in the strip); the laid-out texts start afresh when the cut changes.
    void SetCut(int maxChars, int align);
    void ResetStrip();

    QFont m_font;
    QFont m_boldFont;
    int m_nLineHeight = 20;
    QString m_blanks;  // what follows each line in the strip
    std::vector<QString> m_lines;
    CLyricStrip m_strip;
    std::unordered_map<int, QStaticText> m_texts;
    int m_nBoldLine = -1;
    QStaticText m_boldText;
    int m_nCutChars = 0;  // 0: lines are drawn whole
    int m_nCutAlign = 0;
};
