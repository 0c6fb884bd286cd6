#include "lyrics/LyricDisplayTable.h"

#include <algorithm>
#include <new>

CLyricDisplayTable::CLyricDisplayTable() {
    Clear();
}

void CLyricDisplayTable::Clear() {
    m_lines.clear();
    Finish();
}

void CLyricDisplayTable::Build(const std::vector<std::string>& textLines, std::vector<TimeRow>& timeRows) {
    const size_t n = std::min(textLines.size(), timeRows.size());

    size_t leading = 0;
    while (leading < n && CountTimes(timeRows[leading]) == 0) timeRows[leading++][0] = kLeadingMark;
    size_t trailingBegin = n;
    while (trailingBegin > 0 && CountTimes(timeRows[trailingBegin - 1]) == 0)
        timeRows[--trailingBegin][0] = kTrailingMark;

    // Every start time is taken out of its slot with its place; sorting by
    // (time, row, slot) gives the order of taking the earliest time over and
    // over, ties going to the lower row and then the lower slot.
    std::vector<TimeSlot> times;
    for (size_t row = 0; row < n; ++row) {
        for (size_t slot = 0; slot < static_cast<size_t>(kTimeSlots); ++slot) {
            uint32_t& value = timeRows[row][slot];
            if (!IsStartTime(value)) continue;
            times.push_back({static_cast<int>(row), static_cast<int>(slot), value});
            value = kNoTime;
        }
    }
    std::sort(times.begin(), times.end(), [](const TimeSlot& a, const TimeSlot& b) {
        if (a.time != b.time) return a.time < b.time;
        if (a.row != b.row) return a.row < b.row;
        return a.slot < b.slot;
    });

    m_lines.clear();
    // Leading and trailing lines, the times, the inserted empty line and the
    // sentinel; reserving them all keeps every append below from moving the
    // table.
    const size_t needed = std::min(leading, n) + times.size() + (n - std::min(trailingBegin, n)) + 2;
    m_lines.reserve(std::max(kDisplayCapacity, needed));

    for (size_t row = 0; row < n; ++row) {
        if (timeRows[row][0] == kLeadingMark) Append(textLines[row], 0);
    }
    if (!times.empty() && times.front().time != 0) Append(std::string(), 0);
    for (const TimeSlot& time : times) Append(textLines[static_cast<size_t>(time.row)], time.time);
    for (size_t row = 0; row < n; ++row) {
        if (timeRows[row][0] == kTrailingMark)
            Append(textLines[row], kTrailingMark + static_cast<uint32_t>(row) * kLineGap);
    }
    Finish();
}

void CLyricDisplayTable::Append(const std::string& text, uint32_t start) {
    DisplayLine line;
    line.start = start;
    try {
        line.text = text;
    } catch (const std::bad_alloc&) {
        // The entry keeps its start time and shows as an empty line.
    }
    m_lines.push_back(std::move(line));
}

void CLyricDisplayTable::Finish() {
    const size_t count = m_lines.size();
    m_hasTiming = std::any_of(m_lines.begin(), m_lines.end(),
                              [](const DisplayLine& line) { return IsStartTime(line.start); });
    const uint32_t sentinelStart = count == 0 ? kLineGap : m_lines.back().start + kLineGap;
    Append(" ", sentinelStart);

    m_timedEnd = 0;
    while (m_timedEnd < m_lines.size() && IsStartTime(m_lines[m_timedEnd].start)) ++m_timedEnd;
}

LinePosition CLyricDisplayTable::FindLineAt(uint32_t position) const {
    // Entries from 1 up to the sentinel take part; those at kNoTime and above
    // never qualify, and the rest are in order, so the first start beyond the
    // position is found by bisection.
    if (m_timedEnd < 2) return {};
    const auto first = m_lines.begin() + 1;
    const auto last = m_lines.begin() + static_cast<std::ptrdiff_t>(m_timedEnd);
    const auto next = std::upper_bound(first, last, position,
                                       [](uint32_t value, const DisplayLine& line) { return value < line.start; });
    if (next == last) return {};
    const uint32_t nextStart = next->start;
    const uint32_t start = std::prev(next)->start;
    // A line without length has no position inside it.
    if (nextStart == start) return {};
    LinePosition found;
    found.index = static_cast<int>(next - m_lines.begin()) - 1;
    found.elapsed = position - start;
    found.duration = nextStart - start;
    return found;
}
