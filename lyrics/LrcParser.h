#pragma once
// Turns LRC text into text lines with their start times and the four
// descriptive tags. Nothing here is ordered or displayed yet.

#include "lyrics/LyricTypes.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct LrcTags {
    std::string title;   // "[ti:"
    std::string artist;  // "[ar:"
    std::string album;   // "[al:"
    std::string author;  // "[by:"
};

// "\r\n" becomes "\n", then every remaining "\r" becomes "\n".
std::string NormaliseLineEnds(std::string_view text);

// The pieces of `text` between line feeds, at most kMaxSourceLines of them;
// the piece after the last line feed counts only when it is not empty.
std::vector<std::string> CutSourceLines(std::string_view text);

class CLrcParser {
public:
    // Parses one source line: either a tag line, which sets one of the tags
    // and produces nothing else, or one text line with the times of the
    // time tags in front of it (at most kTimeSlots of them).
    void ParseLine(std::string_view sourceLine);

    // Hands the text lines and their rows over, leaving the parser empty.
    std::vector<std::string> TakeTextLines();
    std::vector<TimeRow> TakeTimeRows();
    LrcTags TakeTags();

private:
    // Sets the tag of the first kind (title, artist, author, album) present in
    // `rest`, the end of `line`; false when `rest` holds none. `lastTags`
    // holds the last position of each kind in `line`.
    bool TakeDescriptiveTag(std::string_view line, std::string_view rest,
                            const std::array<size_t, 4>& lastTags);
    void AppendText(std::string_view text, const TimeRow& row);

    LrcTags m_tags;
    std::vector<std::string> m_textLines;
    std::vector<TimeRow> m_timeRows;
};
