#include "lyrics/LyricModel.h"

#include "common/Text.h"
#include "tests/lyrics/LyricTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using lyrictest::Lrc;
using lyrictest::Shown;
using lyrictest::ShownLines;
using lyrictest::Tag;

LyricModel Loaded(const std::string& text) {
    LyricModel model;
    model.SetLyric("1", "song", text);
    return model;
}

uint32_t TrailingStart(uint32_t textLine) {
    return kTrailingMark + textLine * kLineGap;
}

TEST(LyricSongTexts, IdAndNameAreCutAt126Bytes) {
    LyricModel model;
    model.SetLyric(std::string(200, '7'), std::string(126, 'n'), "");
    EXPECT_EQ(model.songId(), std::string(126, '7'));
    EXPECT_EQ(model.songName(), std::string(126, 'n'));
}

TEST(LyricSongTexts, ACutNeverSplitsAChineseCharacter) {
    std::string name = "a";
    for (int i = 0; i < 70; ++i) name += Cp936("歌");
    LyricModel model;
    model.SetLyric("1", name, "x");
    EXPECT_EQ(model.songName(), name.substr(0, 125));
}

TEST(LyricSetLyric, AnEmptyTextGivesAnEmptyTable) {
    LyricModel model;
    ASSERT_EQ(model.SetLyric("1", "a", Lrc({"[ti:T]", "[00:05]x"})), 0);
    ASSERT_TRUE(model.hasTiming());

    EXPECT_EQ(model.SetLyric("2", "b", ""), -1);
    EXPECT_EQ(model.songId(), "2");
    EXPECT_EQ(model.displayCount(), 0);
    EXPECT_FALSE(model.hasTiming());
    EXPECT_TRUE(model.textLines().empty());
    EXPECT_EQ(model.title(), "");
    ASSERT_EQ(model.displayLines().size(), 1u);
    EXPECT_EQ(model.displayLines()[0].text, " ");
    EXPECT_EQ(model.displayLines()[0].start, kLineGap);
    EXPECT_EQ(model.FindLineAt(0).index, -1);
}

TEST(LyricSetLyric, StartsAtLineZeroOnlyWhenThereAreLines) {
    LyricModel model;
    EXPECT_EQ(model.SetLyric("1", "a", "just text"), 0);
    EXPECT_EQ(model.SetLyric("1", "a", Lrc({"[ti:T]", "[ar:A]"})), -1);
    EXPECT_EQ(model.displayCount(), 0);
}

TEST(LyricDisplayTable, AnEmptyLineLeadsAFirstTimeAfterZero) {
    EXPECT_EQ(ShownLines(Loaded(Lrc({"[00:05]a", "[00:07]b"}))), (Shown{{"", 0}, {"a", 5000}, {"b", 7000}}));
    EXPECT_EQ(ShownLines(Loaded(Lrc({"[00:00]a", "[00:07]b"}))), (Shown{{"a", 0}, {"b", 7000}}));
}

TEST(LyricDisplayTable, UntimedTopLinesComeFirstAtZero) {
    const LyricModel model = Loaded(Lrc({"Title line", "by someone", "[00:05]a", "[00:07]b"}));
    EXPECT_EQ(ShownLines(model),
              (Shown{{"Title line", 0}, {"by someone", 0}, {"", 0}, {"a", 5000}, {"b", 7000}}));
    EXPECT_EQ(model.timeRows()[0][0], kLeadingMark);
    EXPECT_EQ(model.timeRows()[1][0], kLeadingMark);
    EXPECT_TRUE(model.hasTiming());
}

TEST(LyricDisplayTable, WithoutTimesEveryLineTrails) {
    const LyricModel model = Loaded(Lrc({"one", "two", "three"}));
    EXPECT_EQ(ShownLines(model),
              (Shown{{"one", TrailingStart(0)}, {"two", TrailingStart(1)}, {"three", TrailingStart(2)}}));
    EXPECT_FALSE(model.hasTiming());
    for (const TimeRow& row : model.timeRows()) EXPECT_EQ(row[0], kTrailingMark);
    EXPECT_EQ(model.displayLines().back().start, TrailingStart(2) + kLineGap);
    EXPECT_EQ(model.FindLineAt(0).index, -1);
    EXPECT_EQ(model.FindLineAt(0x7FFFFFFF).index, -1);
}

TEST(LyricDisplayTable, UntimedLinesBetweenTimedOnesAreHidden) {
    const LyricModel model = Loaded(Lrc({"[00:01]a", "hidden", "[00:02]b", "end one", "end two"}));
    EXPECT_EQ(ShownLines(model), (Shown{{"", 0},
                                        {"a", 1000},
                                        {"b", 2000},
                                        {"end one", TrailingStart(3)},
                                        {"end two", TrailingStart(4)}}));
    EXPECT_EQ(model.timeRows()[1][0], kNoTime) << "hidden lines carry no mark";
}

TEST(LyricDisplayTable, ALineWithTwoTimesShowsTwiceInTimeOrder) {
    const LyricModel model = Loaded(Lrc({"[00:00]intro", "[00:10.00][00:20.00]chorus", "[00:15]verse"}));
    EXPECT_EQ(ShownLines(model), (Shown{{"intro", 0}, {"chorus", 10000}, {"verse", 15000}, {"chorus", 20000}}));
}

TEST(LyricDisplayTable, EqualTimesGoByLineThenSlot) {
    const LyricModel model = Loaded(Lrc({"[00:07][00:05][00:05]x", "[00:05]y", "[00:01]z"}));
    EXPECT_EQ(ShownLines(model), (Shown{{"", 0}, {"z", 1000}, {"x", 5000}, {"x", 5000}, {"y", 5000}, {"x", 7000}}));
}

TEST(LyricDisplayTable, FindEarliestPrefersTheLowerRowAndSlotOfEqualTimes) {
    std::vector<TimeRow> rows(3, kEmptyTimeRow);
    rows[0][0] = 9000;
    rows[0][1] = 3000;
    rows[1][0] = 3000;
    rows[2][0] = kLeadingMark;
    const auto earliest = FindEarliest(rows);
    ASSERT_TRUE(earliest);
    EXPECT_EQ(earliest->row, 0);
    EXPECT_EQ(earliest->slot, 1);
    EXPECT_EQ(earliest->time, 3000u);
    EXPECT_FALSE(FindEarliest({kEmptyTimeRow}));
}

TEST(LyricDisplayTable, TheBuildTakesEveryTimeOutOfItsSlot) {
    const LyricModel model = Loaded(Lrc({"top", "[00:09][00:03]a", "hidden", "[00:03]b", "end"}));
    EXPECT_EQ(ShownLines(model), (Shown{{"top", 0}, {"", 0}, {"a", 3000}, {"b", 3000}, {"a", 9000},
                                        {"end", TrailingStart(4)}}));
    for (int line = -1; line <= 5; ++line) EXPECT_EQ(model.CountTimes(line), 0) << line;
    EXPECT_FALSE(model.FindEarliest());
    EXPECT_EQ(model.timeRows()[0][0], kLeadingMark);
    EXPECT_EQ(model.timeRows()[4][0], kTrailingMark);
}

TEST(LyricDisplayTable, GrowsToShowNineTimesOnEveryLine) {
    std::string text;
    for (uint32_t line = 0; line < kMaxSourceLines; ++line) {
        for (uint32_t slot = 0; slot < kTimeSlots; ++slot) text += Tag(1000 + (slot * kMaxSourceLines + line) * 10);
        text += "line " + std::to_string(line) + "\n";
    }
    const LyricModel model = Loaded(text);
    const int expected = kMaxSourceLines * kTimeSlots + 1;  // with the empty line at 0
    ASSERT_EQ(model.displayCount(), expected);
    ASSERT_GT(static_cast<size_t>(expected), kDisplayCapacity);
    const auto& lines = model.displayLines();
    EXPECT_EQ(lines[1].text, "line 0");
    EXPECT_EQ(lines[static_cast<size_t>(expected) - 1].text, "line 997");
    EXPECT_EQ(lines.back().start, lines[static_cast<size_t>(expected) - 1].start + kLineGap);
    lyrictest::ExpectSoundTable(model);
}

TEST(LyricFindLineAt, GivesTheLineAndHowFarIntoItThePositionIs) {
    const LyricModel model = Loaded(Lrc({"[00:00]a", "[00:10]b", "[00:20]c"}));
    const LinePosition middle = model.FindLineAt(15000);
    EXPECT_EQ(middle.index, 1);
    EXPECT_EQ(middle.elapsed, 5000u);
    EXPECT_EQ(middle.duration, 10000u);

    const LinePosition last = model.FindLineAt(20000);
    EXPECT_EQ(last.index, 2);
    EXPECT_EQ(last.elapsed, 0u);
    EXPECT_EQ(last.duration, kLineGap) << "measured against the sentinel";

    EXPECT_EQ(model.FindLineAt(20000 + kLineGap - 1).index, 2);
    EXPECT_EQ(model.FindLineAt(620000).index, -1);

    const LinePosition start = model.FindLineAt(0);
    EXPECT_EQ(start.index, 0);
    EXPECT_EQ(start.duration, 10000u);
}

TEST(LyricFindLineAt, OfEqualStartsTheLaterLineIsCurrent) {
    const LyricModel model = Loaded(Lrc({"[00:05]a", "[00:05]b", "[00:10]c"}));
    const LinePosition at = model.FindLineAt(5000);
    EXPECT_EQ(at.index, 2);
    EXPECT_EQ(at.elapsed, 0u);
    EXPECT_EQ(at.duration, 5000u);
    EXPECT_EQ(model.FindLineAt(4999).index, 0) << "the inserted empty line";
}

TEST(LyricFindLineAt, TrailingLinesLeaveNoLineAfterTheLastTime) {
    const LyricModel model = Loaded(Lrc({"[00:00]a", "[00:10]b", "credits"}));
    EXPECT_EQ(model.FindLineAt(5000).index, 0);
    EXPECT_EQ(model.FindLineAt(15000).index, -1);
}

// Random lyrics of timed, untimed, tag and odd lines: the table keeps its
// invariants and the look-up agrees with the entry-by-entry walk.
TEST(LyricProperties, RandomLyricsKeepTheTableSound) {
    std::mt19937 random(20261207);
    const std::vector<std::string> pieces = {"[ti:t]", "[ar:", "]", "[", ":", "[:30]", "[-1:-1]", "  ",
                                             Cp936("沒"), Cp936("擺"), "\r", "\r\n", "\n", "x", "\x81"};
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int lines = static_cast<int>(random() % 40);
        for (int line = 0; line < lines; ++line) {
            const int tags = static_cast<int>(random() % 12);
            for (int t = 0; t < tags; ++t) text += Tag(static_cast<uint32_t>(random() % 4) * 5000 + random() % 3 * 10);
            const int extras = static_cast<int>(random() % 3);
            for (int e = 0; e < extras; ++e) text += pieces[random() % pieces.size()];
            text += "text" + std::to_string(line) + "\n";
        }
        SCOPED_TRACE(text);
        const LyricModel model = Loaded(text);
        lyrictest::ExpectSoundTable(model);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
