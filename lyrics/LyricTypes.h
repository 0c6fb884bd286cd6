#pragma once
// The limits, slot values and records shared by the parts of the lyric model.
// Times are unsigned 32-bit milliseconds, compared unsigned throughout.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A lyric keeps at most this many lines of its text; the rest is ignored.
inline constexpr int kMaxSourceLines = 998;
// Start times one text line can carry.
inline constexpr int kTimeSlots = 9;

// Slot values. Anything below kNoTime is a start time.
inline constexpr uint32_t kNoTime = 0x70000000;        // empty slot
inline constexpr uint32_t kLeadingMark = 0x70000001;   // slot 0: untimed line at the top
inline constexpr uint32_t kTrailingMark = 0x70000002;  // slot 0: untimed line at the bottom

// The display table starts with room for this many entries (the end
// sentinel included) and grows when repeated time tags need more.
inline constexpr size_t kDisplayCapacity = 1000;

// Gap between consecutive trailing lines, and between the last line and the
// end sentinel.
inline constexpr uint32_t kLineGap = 600000;

// The longest song id and song name the model keeps, in bytes.
inline constexpr size_t kMaxSongText = 126;

using TimeRow = std::array<uint32_t, kTimeSlots>;

inline constexpr TimeRow kEmptyTimeRow = {kNoTime, kNoTime, kNoTime, kNoTime, kNoTime,
                                          kNoTime, kNoTime, kNoTime, kNoTime};

inline bool IsStartTime(uint32_t value) {
    return value < kNoTime;
}

// The number of start times in a row (marks and empty slots do not count).
int CountTimes(const TimeRow& row);

struct DisplayLine {
    std::string text;
    uint32_t start = 0;
};

// A slot holding the earliest start time.
struct TimeSlot {
    int row = 0;
    int slot = 0;
    uint32_t time = 0;
};

// The slot with the smallest start time over all rows (the first of equal
// ones, by row and then slot), or nullopt when no row has a time.
std::optional<TimeSlot> FindEarliest(const std::vector<TimeRow>& rows);

// Where a play position falls: the display line, how far into it, and how
// long it lasts; index -1 when no line is current.
struct LinePosition {
    int index = -1;
    uint32_t elapsed = 0;
    uint32_t duration = 0;
};
