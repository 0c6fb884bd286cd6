#pragma once
// The lyric of the playing song as the lyric window shows it: LRC text turned
// into an ordered table of timed display lines, and for a play position the
// current line and how far the position has gone through it. The model draws
// nothing and fetches nothing; the lyric window keeps the current line, the
// scroll state and does the painting.
//
// Texts are CP936 bytes. Every search is character-aware, so the second byte
// of a double-byte character is never taken for a bracket or a colon.

#include "lyrics/LyricDisplayTable.h"
#include "lyrics/LrcParser.h"
#include "lyrics/LyricTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class LyricModel {
public:
    // Rebuilds the whole model for the song that starts: keeps `id` and
    // `name` (at most kMaxSongText bytes each, never splitting a character),
    // normalises the line ends of `text`, parses it and builds the display
    // table. Returns the line the lyric window starts at: 0, or -1 when there
    // are no display lines (an empty text among them).
    int SetLyric(std::string_view id, std::string_view name, std::string_view text);

    // The milliseconds of a time tag's text, or nullopt when it is no time tag.
    static std::optional<uint32_t> ParseTimeTag(std::string_view tag);
    // The number of start times text line `textLine` still holds (0 for no
    // such line). The display build takes every time out of its slot, so
    // after SetLyric every line holds none.
    int CountTimes(int textLine) const;
    // The earliest time still in a slot (see ::FindEarliest); nullopt after
    // a build.
    std::optional<TimeSlot> FindEarliest() const;
    // The display line a play position (ms) falls in; index -1 for none.
    LinePosition FindLineAt(uint32_t position) const;

    const std::string& songId() const { return m_songId; }
    const std::string& songName() const { return m_songName; }
    const std::string& title() const { return m_tags.title; }
    const std::string& artist() const { return m_tags.artist; }
    const std::string& album() const { return m_tags.album; }
    const std::string& author() const { return m_tags.author; }

    const std::vector<std::string>& sourceLines() const { return m_sourceLines; }
    const std::vector<std::string>& textLines() const { return m_textLines; }
    // One row per text line. After a build every slot the table took a time
    // from is empty, slot 0 of the untimed lines at the top holds
    // kLeadingMark and of those at the bottom kTrailingMark.
    const std::vector<TimeRow>& timeRows() const { return m_timeRows; }
    // The display lines followed by the end sentinel (displayCount() + 1
    // entries).
    const std::vector<DisplayLine>& displayLines() const { return m_display.Lines(); }
    int displayCount() const { return m_display.Count(); }
    bool hasTiming() const { return m_display.HasTiming(); }

private:
    std::string m_songId;
    std::string m_songName;
    LrcTags m_tags;
    std::vector<std::string> m_sourceLines;
    std::vector<std::string> m_textLines;
    std::vector<TimeRow> m_timeRows;
    CLyricDisplayTable m_display;
};
