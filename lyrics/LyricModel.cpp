#include "lyrics/LyricModel.h"

#include "lyrics/Cp936Scan.h"
#include "lyrics/LrcTimeTag.h"

int LyricModel::SetLyric(std::string_view id, std::string_view name, std::string_view text) {
    m_songId = std::string(cp936::Truncate(id, kMaxSongText));
    m_songName = std::string(cp936::Truncate(name, kMaxSongText));

    CLrcParser parser;
    m_sourceLines = CutSourceLines(NormaliseLineEnds(text));
    for (const std::string& line : m_sourceLines) parser.ParseLine(line);
    m_tags = parser.TakeTags();
    m_textLines = parser.TakeTextLines();
    m_timeRows = parser.TakeTimeRows();

    m_display.Build(m_textLines, m_timeRows);
    return m_display.Count() > 0 ? 0 : -1;
}

std::optional<uint32_t> LyricModel::ParseTimeTag(std::string_view tag) {
    return ParseLrcTimeTag(tag);
}

int LyricModel::CountTimes(int textLine) const {
    if (textLine < 0 || static_cast<size_t>(textLine) >= m_timeRows.size()) return 0;
    return ::CountTimes(m_timeRows[static_cast<size_t>(textLine)]);
}

std::optional<TimeSlot> LyricModel::FindEarliest() const {
    std::optional<TimeSlot> best;
    for (size_t row = 0; row < m_timeRows.size(); ++row) {
        for (size_t slot = 0; slot < static_cast<size_t>(kTimeSlots); ++slot) {
            const uint32_t value = m_timeRows[row][slot];
            if (IsStartTime(value) && (!best || value < best->time))
                best = TimeSlot{static_cast<int>(row), static_cast<int>(slot), value};
        }
    }
    return best;
}

LinePosition LyricModel::FindLineAt(uint32_t position) const {
    return m_display.FindLineAt(position);
}
