#pragma once
// The ordered table of display lines built from text lines and their start
// times, and the look-up of the line a play position falls in.
//
// Order: the untimed lines at the top (start 0); an empty line at 0 when the
// earliest time is not 0; one entry per start time in time order (equal times
// by text line, then by slot); the untimed lines at the bottom (start
// kTrailingMark + k * kLineGap for text line k, out of reach of any play
// position); then the end sentinel " " one kLineGap after the last entry.
// Untimed lines between timed ones are not shown.

#include "lyrics/LyricTypes.h"

#include <string>
#include <vector>

class CLyricDisplayTable {
public:
    CLyricDisplayTable();

    // Rebuilds the table. Marks slot 0 of the untimed rows at the top with
    // kLeadingMark and those at the bottom with kTrailingMark (all of them
    // trailing when no row has a time), and empties every slot whose time it
    // takes into the table, so the rows then hold no time at all.
    void Build(const std::vector<std::string>& textLines, std::vector<TimeRow>& timeRows);

    // Empties the table down to the sentinel.
    void Clear();

    // The display lines; the entry at Count() is the end sentinel.
    const std::vector<DisplayLine>& Lines() const { return m_lines; }
    int Count() const { return static_cast<int>(m_lines.size()) - 1; }
    // Whether some display line has a start time.
    bool HasTiming() const { return m_hasTiming; }

    // The line a play position (ms) falls in: the last line whose start is
    // reached, measured against the next start below kNoTime (the sentinel
    // included). -1 when no such next start exists or the two starts are
    // equal.
    LinePosition FindLineAt(uint32_t position) const;

private:
    void Append(const std::string& text, uint32_t start);
    void Finish();

    std::vector<DisplayLine> m_lines;
    // Entries [0, m_timedEnd) have non-decreasing starts below kNoTime; every
    // later one (trailing lines, sentinel) starts at kNoTime or above.
    size_t m_timedEnd = 0;
    bool m_hasTiming = false;
};
