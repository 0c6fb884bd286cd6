#include "lyrics/LrcParser.h"
#include "lyrics/LyricModel.h"

#include "common/Text.h"
#include "tests/lyrics/LyricTestSupport.h"

#include <gtest/gtest.h>

namespace {

using lyrictest::Lrc;
using lyrictest::Tag;

using Lines = std::vector<std::string>;
using namespace std::string_literals;

// The start times the parser gave one text line of the model's source, in
// slot order (the model's own rows give them up to the display table).
std::vector<uint32_t> TimesOf(const LyricModel& model, size_t textLine) {
    CLrcParser parser;
    for (const std::string& line : model.sourceLines()) parser.ParseLine(line);
    const std::vector<TimeRow> rows = parser.TakeTimeRows();
    std::vector<uint32_t> times;
    for (uint32_t value : rows.at(textLine)) {
        if (IsStartTime(value)) times.push_back(value);
    }
    return times;
}

LyricModel Loaded(const std::string& text) {
    LyricModel model;
    model.SetLyric("1", "song", text);
    return model;
}

TEST(LrcSourceLines, LineEndsBecomeLineFeeds) {
    EXPECT_EQ(NormaliseLineEnds("a\r\nb\rc\nd\r\r\ne\n\r"), "a\nb\nc\nd\n\ne\n\n");
    EXPECT_EQ(NormaliseLineEnds(""), "");
}

TEST(LrcSourceLines, AFinalPieceCountsOnlyWhenNotEmpty) {
    EXPECT_EQ(CutSourceLines("a\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(CutSourceLines("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(CutSourceLines("a\n\nb\n\n"), (Lines{"a", "", "b", ""}));
    EXPECT_EQ(CutSourceLines("\n"), (Lines{""}));
    EXPECT_TRUE(CutSourceLines("").empty());
}

TEST(LrcSourceLines, OnlyTheFirstLinesAreKept) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += Tag(static_cast<uint32_t>(i) * 1000) + "line " + std::to_string(i) + "\r\n";
    const LyricModel model = Loaded(text);
    ASSERT_EQ(model.sourceLines().size(), 998u);
    ASSERT_EQ(model.textLines().size(), 998u);
    EXPECT_EQ(model.textLines().back(), "line 997");
    EXPECT_EQ(model.displayLines().at(997).text, "line 997");
    EXPECT_EQ(model.displayCount(), 998);
}

TEST(LrcDescriptiveTags, TheFirstKindFoundIsTakenCutAtItsBracket) {
    const LyricModel model = Loaded(Lrc({"[ti:Song][ar:Singer]", "[al:Album]", "[by:Maker]", "[00:01]x"}));
    EXPECT_EQ(model.title(), "Song");
    EXPECT_EQ(model.artist(), "") << "a second tag on the title's line is not read";
    EXPECT_EQ(model.album(), "Album");
    EXPECT_EQ(model.author(), "Maker");
    EXPECT_EQ(model.textLines(), (Lines{"x"})) << "tag lines produce no text";
}

TEST(LrcDescriptiveTags, KindsAreTestedTitleArtistAuthorAlbum) {
    EXPECT_EQ(Loaded("[ar:Singer][ti:Song]").title(), "Song");
    EXPECT_EQ(Loaded("[ar:Singer][ti:Song]").artist(), "");
    EXPECT_EQ(Loaded("[al:Album][by:Maker]").author(), "Maker");
    EXPECT_EQ(Loaded("[al:Album][by:Maker]").album(), "");
}

TEST(LrcDescriptiveTags, EmptyOrUnclosedValuesGiveAnEmptyTag) {
    EXPECT_EQ(Loaded(Lrc({"[ti:Old]", "[ti:]"})).title(), "");
    const LyricModel unclosed = Loaded(Lrc({"[ti:Old]", "[00:10] x [ti:abc"}));
    EXPECT_EQ(unclosed.title(), "");
    EXPECT_TRUE(unclosed.textLines().empty());
    EXPECT_EQ(Loaded(Lrc({"[ti:First]", "[ti:Last]"})).title(), "Last");
}

TEST(LrcDescriptiveTags, MatchCaseSensitively) {
    const LyricModel model = Loaded("[TI:Song]");
    EXPECT_EQ(model.title(), "");
    // Read by the time-tag rule instead: "TI" minutes, "Song" seconds.
    EXPECT_EQ(model.textLines(), (Lines{""}));
    EXPECT_EQ(TimesOf(model, 0), (std::vector<uint32_t>{0}));
}

TEST(LrcDescriptiveTags, ANewLyricForgetsTheOldTags) {
    LyricModel model;
    model.SetLyric("1", "a", Lrc({"[ti:T]", "[ar:A]", "[al:B]", "[by:C]"}));
    model.SetLyric("2", "b", "plain");
    EXPECT_EQ(model.title() + model.artist() + model.album() + model.author(), "");
}

TEST(LrcTimeTags, TagsInFrontOfATextGiveItsTimes) {
    const LyricModel model = Loaded(Lrc({"[00:12.34]a", "[00:12.5]b", "[00:12]c", "[1:02:03.45]d"}));
    ASSERT_EQ(model.textLines(), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(TimesOf(model, 0), (std::vector<uint32_t>{12340}));
    EXPECT_EQ(TimesOf(model, 1), (std::vector<uint32_t>{12050}));
    EXPECT_EQ(TimesOf(model, 2), (std::vector<uint32_t>{12000}));
    EXPECT_EQ(TimesOf(model, 3), (std::vector<uint32_t>{3723450}));
}

TEST(LrcTimeTags, WhiteSpaceAroundTagsAndTextIsTrimmed) {
    const LyricModel model = Loaded("  \t[ 00:05 ]  [00:06]\tHello world  \r\n");
    ASSERT_EQ(model.textLines(), (Lines{"Hello world"}));
    EXPECT_EQ(TimesOf(model, 0), (std::vector<uint32_t>{5000, 6000}));
}

TEST(LrcTimeTags, TenTagsKeepTheFirstNine) {
    std::string line;
    for (uint32_t s = 1; s <= 10; ++s) line += Tag(s * 1000);
    const LyricModel model = Loaded(line + "chorus");
    ASSERT_EQ(model.textLines(), (Lines{"chorus"}));
    EXPECT_EQ(TimesOf(model, 0), (std::vector<uint32_t>{1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000}));
}

TEST(LrcTimeTags, AColonRightAfterTheBracketMakesAPlainText) {
    const LyricModel model = Loaded("[:30]text");
    ASSERT_EQ(model.textLines(), (Lines{"[:30]text"}));
    EXPECT_TRUE(TimesOf(model, 0).empty());
    EXPECT_FALSE(model.hasTiming());
}

TEST(LrcTimeTags, BracketsWithoutAProperTagAreText) {
    EXPECT_EQ(Loaded("[").textLines(), (Lines{"["}));
    EXPECT_EQ(Loaded("a:b[00:10]x").textLines(), (Lines{"a:b[00:10]x"})) << "colon before the bracket";
    EXPECT_EQ(Loaded("]x[00:10").textLines(), (Lines{"]x[00:10"})) << "closing bracket first";
    EXPECT_EQ(Loaded("[00:10").textLines(), (Lines{"[00:10"}));
}

TEST(LrcTimeTags, FurtherTagsNeedTextAfterTheirColon) {
    // At the start of a line "[00:]" is a tag (0 ms); after a first tag it is text.
    const LyricModel first = Loaded("[00:]x");
    ASSERT_EQ(first.textLines(), (Lines{"x"}));
    EXPECT_EQ(TimesOf(first, 0), (std::vector<uint32_t>{0}));

    const LyricModel further = Loaded("[00:10][00:]x");
    ASSERT_EQ(further.textLines(), (Lines{"[00:]x"}));
    EXPECT_EQ(TimesOf(further, 0), (std::vector<uint32_t>{10000}));
}

TEST(LrcTimeTags, TextInFrontOfATagIsDropped) {
    EXPECT_EQ(Loaded("intro [00:05]Hello").textLines(), (Lines{"Hello"}));
    const LyricModel model = Loaded("[00:01]one [00:02]two");
    ASSERT_EQ(model.textLines(), (Lines{"two"}));
    EXPECT_EQ(TimesOf(model, 0), (std::vector<uint32_t>{1000, 2000}));
}

TEST(LrcTimeTags, TagsThatGiveNoTimeLeaveTheTextShown) {
    for (const char* tag : {"[-1:-1]", "[99999999:99.999]"}) {
        const LyricModel model = Loaded(Lrc({"[00:05]a", std::string(tag) + "b", "[00:06]c"}));
        SCOPED_TRACE(tag);
        ASSERT_EQ(model.textLines(), (Lines{"a", "b", "c"}));
        EXPECT_TRUE(TimesOf(model, 1).empty());
    }
    const LyricModel mixed = Loaded("[00:05][-1:-1][00:07]x");
    EXPECT_EQ(TimesOf(mixed, 0), (std::vector<uint32_t>{5000, 7000}));
}

TEST(LrcTimeTags, TimesOfATagLineDoNotPassToTheNextText) {
    const LyricModel model = Loaded(Lrc({"[00:05]A", "[00:30][ti:X]", "[00:20]B"}));
    EXPECT_EQ(model.title(), "X");
    ASSERT_EQ(model.textLines(), (Lines{"A", "B"}));
    EXPECT_EQ(TimesOf(model, 1), (std::vector<uint32_t>{20000}));
}

TEST(LrcDoubleByteText, TrailBracketsAreNeitherTagEndsNorTagStarts) {
    // "沒" ends in the byte "]": the title runs on to the real bracket.
    EXPECT_EQ(Loaded(Cp936("[ti:沒有]")).title(), Cp936("沒有"));
    // Also in a time tag: the text after the tag is "x", not "]x".
    const LyricModel timed = Loaded(Cp936("[02:沒]x"));
    EXPECT_EQ(timed.textLines(), (Lines{"x"}));
    EXPECT_EQ(TimesOf(timed, 0), (std::vector<uint32_t>{120000}));
    // "擺" ends in the byte "[": no tag starts there.
    const std::string plain = Cp936("x擺0:5]B");
    const LyricModel untimed = Loaded(plain);
    EXPECT_EQ(untimed.textLines(), (Lines{plain}));
    EXPECT_FALSE(untimed.hasTiming());
}

TEST(LrcDoubleByteText, ChineseTextKeepsItsBytes) {
    const LyricModel model = Loaded(Cp936("[00:01.00]晚风里的灯塔\n[00:02.00]擺沒"));
    EXPECT_EQ(model.textLines(), (Lines{Cp936("晚风里的灯塔"), Cp936("擺沒")}));
}

TEST(LrcDoubleByteText, BrokenCharactersAndNulBytesAreKeptAsText) {
    const std::string text = "[00:01]a\xC4\n[00:02]b\0c\n[00:03]d\x81"s;
    const LyricModel model = Loaded(text);
    EXPECT_EQ(model.textLines(), (Lines{"a\xC4", "b\0c"s, "d\x81"}));
    EXPECT_EQ(model.displayCount(), 4);
}

}  // namespace
