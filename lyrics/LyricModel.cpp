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
    return ::FindEarliest(m_timeRows);
}

LinePosition LyricModel::FindLineAt(uint32_t position) const {
    return m_display.FindLineAt(position);
}
