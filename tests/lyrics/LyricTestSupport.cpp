#include "tests/lyrics/LyricTestSupport.h"

#include <gtest/gtest.h>


namespace lyrictest {

std::string Lrc(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        if (!text.empty()) text += '\n';
        text += line;
    }
    return text;
}

std::string Tag(uint32_t ms) {
    const auto twoDigits = [](uint32_t value) {
        return (value < 10 ? "0" : "") + std::to_string(value);
    };
    return "[" + twoDigits(ms / 60000) + ":" + twoDigits(ms / 1000 % 60) + "." + twoDigits(ms % 1000 / 10) + "]";
}

Shown ShownLines(const LyricModel& model) {
    Shown shown;
    for (int i = 0; i < model.displayCount(); ++i) {
        const DisplayLine& line = model.displayLines()[static_cast<size_t>(i)];
        shown.emplace_back(line.text, line.start);
    }
    return shown;
}

LinePosition WalkFindLineAt(const std::vector<DisplayLine>& lines, int count, uint32_t position) {
    for (int i = 1; i <= count; ++i) {
        const uint32_t start = lines[static_cast<size_t>(i)].start;
        if (start >= kNoTime || start <= position) continue;
        const uint32_t previous = lines[static_cast<size_t>(i - 1)].start;
        if (start == previous) return {};
        return {i - 1, position - previous, start - previous};
    }
    return {};
}

void ExpectSoundTable(const LyricModel& model) {
    const auto& lines = model.displayLines();
    const int count = model.displayCount();
    ASSERT_GE(count, 0);
    ASSERT_EQ(lines.size(), static_cast<size_t>(count) + 1);
    EXPECT_LE(model.sourceLines().size(), static_cast<size_t>(kMaxSourceLines));
    EXPECT_LE(model.textLines().size(), model.sourceLines().size());
    ASSERT_EQ(model.timeRows().size(), model.textLines().size());
    // Each text line shows at most once per slot, plus the inserted empty line.
    EXPECT_LE(static_cast<size_t>(count), model.textLines().size() * kTimeSlots + 1);

    const DisplayLine& sentinel = lines.back();
    EXPECT_EQ(sentinel.text, " ");
    EXPECT_EQ(sentinel.start, count == 0 ? kLineGap : lines[static_cast<size_t>(count) - 1].start + kLineGap);

    bool anyTime = false;
    bool inTrailing = false;
    uint32_t previous = 0;
    for (int i = 0; i < count; ++i) {
        const uint32_t start = lines[static_cast<size_t>(i)].start;
        if (IsStartTime(start)) {
            EXPECT_FALSE(inTrailing) << "timed line " << i << " after a trailing line";
            EXPECT_GE(start, previous) << "line " << i << " out of time order";
            previous = start;
            anyTime = true;
        } else {
            EXPECT_GE(start, kTrailingMark) << "line " << i;
            inTrailing = true;
        }
    }
    EXPECT_EQ(model.hasTiming(), anyTime);

    std::vector<uint32_t> probes = {0, 1, kNoTime - 1, kNoTime, 0xFFFFFFFFu};
    for (const DisplayLine& line : lines) {
        probes.push_back(line.start);
        probes.push_back(line.start - 1);
        probes.push_back(line.start + 1);
    }
    for (uint32_t position : probes) {
        const LinePosition fast = model.FindLineAt(position);
        const LinePosition walked = WalkFindLineAt(lines, count, position);
        ASSERT_EQ(fast.index, walked.index) << "at " << position;
        if (fast.index < 0) continue;
        EXPECT_LT(fast.index, count);
        EXPECT_EQ(fast.elapsed, walked.elapsed) << "at " << position;
        EXPECT_EQ(fast.duration, walked.duration) << "at " << position;
        EXPECT_LT(fast.elapsed, fast.duration) << "at " << position;
    }
}

}  // namespace lyrictest
