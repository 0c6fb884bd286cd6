#pragma once
// The horizontal strip of a lyric: every display line followed by two blanks,
// one after the other. It answers where a line starts, how wide it is with
// its blanks, and which line lies at a point of the strip. Widths come from
// a measuring function and are measured once per lyric and font, on first
// use, so a window in vertical mode never measures at all.

#include <cstdint>
#include <functional>
#include <vector>

class CLyricStrip {
public:
    // The width in pixels of display line `line` followed by two blanks.
    using SpanFunction = std::function<int64_t(int line)>;

    // A new lyric or font: `count` display lines measured by `span`.
    void Reset(int count, SpanFunction span);

    int Count() const { return m_nCount; }
    // Where line `line` starts: the spans of the lines before it. Lines
    // outside 0 … count are clamped to it.
    int64_t Offset(int line) const;
    // The span of line `line`; 0 outside the lyric.
    int64_t Span(int line) const;
    // The spans of all lines.
    int64_t Width() const { return Offset(m_nCount); }
    // The line whose span holds strip position `x`: 0 before the strip,
    // count - 1 after it, -1 for an empty strip.
    int LineAt(int64_t x) const;

private:
    void Measure() const;

    int m_nCount = 0;
    SpanFunction m_span;
    // Offsets of lines 0 … count; filled on first use.
    mutable std::vector<int64_t> m_offsets;
};
