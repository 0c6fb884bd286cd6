#pragma once
// Shared helpers of the lyric tests: building LRC texts, reading the display
// table back, the line look-up done the slow way, and the table's invariants.

#include "lyrics/LyricModel.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lyrictest {

// The lines joined by "\n".
std::string Lrc(std::initializer_list<std::string_view> lines);

// "[mm:ss.cc]" for a time in milliseconds (hundredths kept).
std::string Tag(uint32_t ms);

// The display lines without the sentinel, as (text, start).
using Shown = std::vector<std::pair<std::string, uint32_t>>;
Shown ShownLines(const LyricModel& model);

// The line look-up walked entry by entry from 1 to the sentinel, as the
// lyric window's contract states it.
LinePosition WalkFindLineAt(const std::vector<DisplayLine>& lines, int count, uint32_t position);

// Checks what must hold for the table after any input: the limits, a
// sentinel " " one gap after the last line, timed starts in order and before
// the trailing lines, hasTiming agreeing with the table, and the look-up
// agreeing with the walk at every start and around it.
void ExpectSoundTable(const LyricModel& model);

}  // namespace lyrictest
