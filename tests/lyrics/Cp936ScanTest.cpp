#include "lyrics/Cp936Scan.h"

#include "common/Text.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// "擺" is 0x94 0x5B and "沒" is 0x9B 0x5D in GBK: their second bytes are
// "[" and "]".
const std::string kOpenTrail = Cp936("擺");
const std::string kCloseTrail = Cp936("沒");

TEST(Cp936Scan, TheChosenCharactersEndInBracketBytes) {
    ASSERT_EQ(kOpenTrail, "\x94\x5B");
    ASSERT_EQ(kCloseTrail, "\x9B\x5D");
}

TEST(Cp936Scan, CharacterLengthNeedsAValidTrailByte) {
    EXPECT_EQ(cp936::CharLength(kOpenTrail, 0), 2u);
    EXPECT_EQ(cp936::CharLength("a\x81", 1), 1u) << "lead byte at the end stands alone";
    EXPECT_EQ(cp936::CharLength(std::string("\x81\n", 2), 0), 1u) << "a line feed is no trail byte";
    EXPECT_EQ(cp936::CharLength(std::string("\x81\0", 2), 0), 1u) << "nor is NUL";
    EXPECT_EQ(cp936::CharLength("\x80\x40", 0), 1u) << "0x80 is no lead byte";
    EXPECT_EQ(cp936::CharLength("\xFF\x40", 0), 1u) << "0xFF is no lead byte";
    EXPECT_EQ(cp936::CharLength("\xFE\xFE", 0), 2u);
    EXPECT_EQ(cp936::CharLength("\x81\x7F", 0), 1u) << "0x7F is no trail byte";
}

TEST(Cp936Scan, SearchesSkipTheSecondByteOfACharacter) {
    const std::string text = "a" + kOpenTrail + "b[c" + kCloseTrail + "]";
    EXPECT_EQ(cp936::Find(text, '['), 4u);
    EXPECT_EQ(cp936::Find(text, ']'), 8u);
    EXPECT_EQ(cp936::FindLast(text, ']'), 8u);
    EXPECT_EQ(cp936::FindLast(kCloseTrail + kCloseTrail, ']'), cp936::npos);
    EXPECT_EQ(cp936::Find(kOpenTrail + "ti:", "[ti:"), cp936::npos);
    EXPECT_EQ(cp936::Find("x[ti:y", "[ti:"), 1u);
    EXPECT_EQ(cp936::Find("[a[a", '[', 1), 2u);
    EXPECT_EQ(cp936::Find("abc", 'z'), cp936::npos);
}

TEST(Cp936Scan, SearchesStillFindBracketsAfterABrokenCharacter) {
    // A lead byte followed by no trail byte must not hide the byte after it.
    EXPECT_EQ(cp936::Find(std::string("\x81\n[", 3), '\n'), 1u);
    EXPECT_EQ(cp936::Find("\x81\x22[", '['), 2u);
    EXPECT_EQ(cp936::Find("ab\xC4", '\xC4'), 2u);
}

// The byte searches that skip the character walk must agree with it on any
// text, broken characters included.
TEST(Cp936Scan, EverySearchAgreesWithTheCharacterWalk) {
    const auto walk = [](std::string_view text, char c, bool last) {
        size_t found = cp936::npos;
        for (size_t pos = 0; pos < text.size(); pos += cp936::CharLength(text, pos)) {
            if (text[pos] != c) continue;
            found = pos;
            if (!last) break;
        }
        return found;
    };
    const std::string alphabet = "\x81\xFE:[]\n.a\x7F";
    std::mt19937 random(936);
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 12, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        for (const char c : {':', '\n', '.', '[', ']'}) {
            EXPECT_EQ(cp936::Find(text, c), walk(text, c, false)) << text;
            EXPECT_EQ(cp936::FindLast(text, c), walk(text, c, true)) << text;
        }
        const cp936::FoundThree each = cp936::FindEach(text, '[', ':', ']');
        EXPECT_EQ(each.first, walk(text, '[', false)) << text;
        EXPECT_EQ(each.second, walk(text, ':', false)) << text;
        EXPECT_EQ(each.third, walk(text, ']', false)) << text;
    }
}

TEST(Cp936Scan, TrimRemovesTheSixWhiteSpaceBytesOnly) {
    EXPECT_EQ(cp936::Trim(" \t\r\n\v\f x y \f\v\n\r\t "), "x y");
    EXPECT_EQ(cp936::Trim("   "), "");
    EXPECT_EQ(cp936::Trim(""), "");
    EXPECT_EQ(cp936::Trim(std::string("\0x\0", 3)), std::string("\0x\0", 3)) << "NUL is no white space";
    EXPECT_EQ(cp936::Trim(" " + kCloseTrail + " "), kCloseTrail);
}

TEST(Cp936Scan, TruncateNeverSplitsACharacter) {
    EXPECT_EQ(cp936::Truncate("abcdef", 4), "abcd");
    EXPECT_EQ(cp936::Truncate("abc", 4), "abc");
    const std::string chinese = Cp936("歌词");
    EXPECT_EQ(cp936::Truncate("a" + chinese, 4), "a" + Cp936("歌"));
    EXPECT_EQ(cp936::Truncate(chinese, 4), chinese);
    EXPECT_EQ(cp936::Truncate(chinese, 1), "");
    EXPECT_EQ(cp936::Truncate("abc\x81", 4), "abc\x81") << "a lone lead byte is a character of its own";
}

}  // namespace
