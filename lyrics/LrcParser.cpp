#include "lyrics/LrcParser.h"

#include "lyrics/Cp936Scan.h"
#include "lyrics/LrcTimeTag.h"

#include <array>
#include <utility>

namespace {

struct DescriptiveTag {
    std::string_view opening;
    std::string LrcTags::*field;
};

// Tested in this order; only the first kind found on a line is taken.
constexpr std::array<DescriptiveTag, 4> kDescriptiveTags = {{
    {"[ti:", &LrcTags::title},
    {"[ar:", &LrcTags::artist},
    {"[by:", &LrcTags::author},
    {"[al:", &LrcTags::album},
}};

// The positions of "[", ":" and "]" in a piece of a line (npos when absent).
struct Brackets {
    size_t open;
    size_t colon;
    size_t close;
};

Brackets FindBrackets(std::string_view s) {
    const cp936::FoundThree found = cp936::FindEach(s, '[', ':', ']');
    return {found.first, found.second, found.third};
}

// A "[" with a colon not directly after it and a "]" after the colon.
bool OpensTag(const Brackets& b) {
    return b.open != cp936::npos && b.colon != cp936::npos && b.colon > b.open + 1 &&
           b.close != cp936::npos && b.close > b.colon;
}

// Further tags on a line also need something between the colon and the "]".
bool OpensFurtherTag(const Brackets& b) {
    return OpensTag(b) && b.close > b.colon + 1;
}

// The last position of each descriptive tag kind in a line, found in one
// pass, so that asking whether the rest of a line still holds one costs
// nothing however many time tags the line has.
std::array<size_t, kDescriptiveTags.size()> LastDescriptiveTags(std::string_view line) {
    std::array<size_t, kDescriptiveTags.size()> last;
    last.fill(cp936::npos);
    for (size_t pos = 0; pos < line.size(); pos += cp936::CharLength(line, pos)) {
        if (line[pos] != '[') continue;
        for (size_t k = 0; k < kDescriptiveTags.size(); ++k) {
            if (line.compare(pos, kDescriptiveTags[k].opening.size(), kDescriptiveTags[k].opening) == 0)
                last[k] = pos;
        }
    }
    return last;
}

std::string_view TrimFront(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size() && cp936::IsSpace(static_cast<unsigned char>(text[begin]))) ++begin;
    return text.substr(begin);
}

}  // namespace

std::string NormaliseLineEnds(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    size_t begin = 0;
    for (size_t cr = text.find('\r'); cr != std::string_view::npos; cr = text.find('\r', begin)) {
        result.append(text, begin, cr - begin);
        result += '\n';
        begin = cr + 1;
        if (begin < text.size() && text[begin] == '\n') ++begin;
    }
    result.append(text, begin);
    return result;
}

std::vector<std::string> CutSourceLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin < text.size() && lines.size() < static_cast<size_t>(kMaxSourceLines)) {
        // A line feed is never part of a double-byte character.
        const size_t end = cp936::Find(text, '\n', begin);
        if (end == cp936::npos) {
            lines.emplace_back(text.substr(begin));
            break;
        }
        lines.emplace_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return lines;
}

void CLrcParser::ParseLine(std::string_view sourceLine) {
    // Each source line fills a row of its own; times read from a line that
    // turns out to be a tag line go with it.
    TimeRow row = kEmptyTimeRow;
    const std::string_view line = cp936::Trim(sourceLine);

    std::string_view s = line;
    Brackets b = FindBrackets(s);
    if (!OpensTag(b)) {
        AppendText(s, row);
        return;
    }
    const auto lastTags = LastDescriptiveTags(line);
    for (;;) {
        if (TakeDescriptiveTag(line, s, lastTags)) return;

        // A time tag; text in front of its "[" is dropped.
        const std::string_view tag = cp936::Trim(s.substr(b.open + 1, b.close - b.open - 1));
        const std::optional<uint32_t> time = ParseLrcTimeTag(tag);
        if (time && IsStartTime(*time)) {
            const int count = CountTimes(row);
            if (count < kTimeSlots) row[static_cast<size_t>(count)] = *time;
        }

        // The rest ends where the line ends, which is already trimmed.
        s = TrimFront(s.substr(b.close + 1));
        b = FindBrackets(s);
        if (!OpensFurtherTag(b)) break;
    }
    AppendText(s, row);
}

bool CLrcParser::TakeDescriptiveTag(std::string_view line, std::string_view rest,
                                    const std::array<size_t, 4>& lastTags) {
    // `rest` is a piece at the end of `line` starting on a character
    // boundary, so searching `line` from there finds the same characters.
    const size_t from = static_cast<size_t>(rest.data() - line.data());
    for (size_t k = 0; k < kDescriptiveTags.size(); ++k) {
        if (lastTags[k] == cp936::npos || lastTags[k] < from) continue;
        const DescriptiveTag& kind = kDescriptiveTags[k];
        const size_t at = cp936::Find(line, kind.opening, from);
        const std::string_view value = line.substr(at + kind.opening.size());
        const size_t close = cp936::Find(value, ']');
        m_tags.*kind.field = close == cp936::npos ? std::string() : std::string(value.substr(0, close));
        return true;
    }
    return false;
}

void CLrcParser::AppendText(std::string_view text, const TimeRow& row) {
    m_textLines.emplace_back(text);
    m_timeRows.push_back(row);
}

std::vector<std::string> CLrcParser::TakeTextLines() {
    return std::exchange(m_textLines, {});
}

std::vector<TimeRow> CLrcParser::TakeTimeRows() {
    return std::exchange(m_timeRows, {});
}

LrcTags CLrcParser::TakeTags() {
    return std::exchange(m_tags, {});
}
