#include "platform/CodePage.h"
#include "platform/Collate.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace tonvik::platform;

namespace {
// "音乐" in GBK and in UTF-8.
const std::string kMusicGbk = "\xD2\xF4\xC0\xD6";
const std::string kMusicUtf8 = "\xE9\x9F\xB3\xE4\xB9\x90";
}  // namespace

TEST(CodePage, ConvertsGbkToUtf8AndBackByteForByte) {
    EXPECT_EQ(ConvertCharset(kMusicGbk, "CP936", "UTF-8"), kMusicUtf8);
    EXPECT_EQ(ConvertCharset(kMusicUtf8, "UTF-8", "CP936"), kMusicGbk);
    // The code page's own extras: the euro sign is the single byte 0x80.
    EXPECT_EQ(ConvertCharset("\x80", "CP936", "UTF-8"), "\xE2\x82\xAC");
}

TEST(CodePage, Utf16RoundTripKeepsEveryCharacter) {
    const std::string mixed = "Song " + kMusicGbk + " 1";
    auto wide = NarrowToUtf16(mixed, kCodePageAnsi);
    ASSERT_TRUE(wide);
    EXPECT_EQ(*wide, u"Song \u97F3\u4E50 1");
    EXPECT_EQ(Utf16ToNarrow(*wide, kCodePageGbk), mixed);
    EXPECT_EQ(Utf16ToNarrow(*wide, kCodePageUtf8), "Song " + kMusicUtf8 + " 1");
}

TEST(CodePage, InvalidInputFailsOrIsReplaced) {
    // A lead byte cut off at the end of the text, and a lead byte followed by an invalid trail byte.
    for (const std::string& bad : {std::string("ab\xD2"), std::string("\xD2\x20x"), std::string("\xFF\xFF")}) {
        EXPECT_FALSE(NarrowToUtf16(bad, kCodePageAnsi)) << bad;
        auto replaced = NarrowToUtf16(bad, kCodePageAnsi, OnInvalid::Replace);
        ASSERT_TRUE(replaced);
        EXPECT_NE(replaced->find(u'\xFFFD'), std::u16string::npos);
    }
    // A character GBK has no room for.
    EXPECT_FALSE(Utf16ToNarrow(u"\U0001F3B5", kCodePageGbk));
    EXPECT_EQ(Utf16ToNarrow(u"a\U0001F3B5b", kCodePageGbk, OnInvalid::Replace), "a??b");
    // NUL bytes are ordinary characters.
    EXPECT_EQ(NarrowToUtf16(std::string("a\0b", 3), kCodePageAnsi), std::u16string(u"a\0b", 3));
}

TEST(CodePage, UserDefinedAreasTakeThePrivateUseAreaInOrderAndComeBack) {
    // Every user-defined double byte, area by area as the code page orders
    // them, maps to the next private-use character from U+E000 on.
    std::string all;
    const auto addArea = [&](int firstLead, int lastLead, std::vector<int> trails) {
        for (int lead = firstLead; lead <= lastLead; ++lead)
            for (int trail : trails) all += {static_cast<char>(lead), static_cast<char>(trail)};
    };
    std::vector<int> upper, lower;
    for (int t = 0xA1; t <= 0xFE; ++t) upper.push_back(t);
    for (int t = 0x40; t <= 0xA0; ++t)
        if (t != 0x7F) lower.push_back(t);
    addArea(0xAA, 0xAF, upper);
    addArea(0xF8, 0xFE, upper);
    addArea(0xA1, 0xA7, lower);
    std::u16string expected;
    for (char16_t ch = 0xE000; ch <= 0xE765; ++ch) expected += ch;

    EXPECT_EQ(NarrowToUtf16(all, kCodePageAnsi), expected);
    EXPECT_EQ(Utf16ToNarrow(expected, kCodePageAnsi), all);
    auto utf8 = ConvertCharset(all, "CP936", "UTF-8");
    ASSERT_TRUE(utf8);
    EXPECT_EQ(ConvertCharset(*utf8, "UTF-8", "CP936"), all);

    // Amid ordinary text, in both directions.
    const std::string mixed = "a\xAA\xA1" + kMusicGbk + "\xA1\x80" + "\xFE\xFE" + "b";
    EXPECT_EQ(NarrowToUtf16(mixed, kCodePageAnsi), u"a\uE000\u97F3\u4E50\uE505\uE4C5b");
    EXPECT_EQ(ConvertCharset(mixed, "CP936", "UTF-8"), "a\uE000" + kMusicUtf8 + "\uE505\uE4C5b");
    EXPECT_EQ(ConvertCharset("a\uE000" + kMusicUtf8 + "\uE505\uE4C5b", "UTF-8", "CP936"), mixed);
}

TEST(CodePage, AnUnassignedDoubleByteIsOneReplacement) {
    // 0xA2AB is a well-formed pair the code page leaves unassigned; its second
    // byte must not be taken for the lead byte of the next character.
    EXPECT_FALSE(NarrowToUtf16("\xA2\xAB" "ab", kCodePageAnsi));
    EXPECT_EQ(NarrowToUtf16("\xA2\xAB" "ab", kCodePageAnsi, OnInvalid::Replace), u"\xFFFD" u"ab");
    EXPECT_EQ(NarrowToUtf16("\xD2\x20x", kCodePageAnsi, OnInvalid::Replace), u"\xFFFD x");
}

TEST(CodePage, UnknownCodePageFails) {
    EXPECT_EQ(CharsetOfCodePage(12345), nullptr);
    EXPECT_FALSE(NarrowToUtf16("abc", 12345));
    EXPECT_FALSE(ConvertCharset("abc", "NO-SUCH-CHARSET", "UTF-8"));
}

TEST(CodePage, LongTextsCrossTheInternalBuffer) {
    std::string big;
    for (int i = 0; i < 5000; ++i) big += kMusicGbk;
    auto utf8 = ConvertCharset(big, "CP936", "UTF-8");
    ASSERT_TRUE(utf8);
    EXPECT_EQ(utf8->size(), 5000u * kMusicUtf8.size());
    EXPECT_EQ(ConvertCharset(*utf8, "UTF-8", "CP936"), big);
}

TEST(CodePage, ThreadsConvertAtTheSameTime) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i)
                if (ConvertCharset(kMusicGbk, "CP936", "UTF-8") != kMusicUtf8) ++failures[static_cast<size_t>(t)];
        });
    }
    for (auto& thread : threads) thread.join();
    for (int f : failures) EXPECT_EQ(f, 0);
}

TEST(Collate, LatinBeforeChineseChineseByReading) {
    // lower case before upper case of the same letter, then the next letter
    EXPECT_LT(CompareLocale(u"a", u"A"), 0);
    EXPECT_LT(CompareLocale(u"A", u"b"), 0);
    EXPECT_LT(CompareLocale(u"Zebra", u"\u6CE2"), 0);       // Latin before Chinese
    EXPECT_LT(CompareLocale(u"\u6CE2", u"\u9A6C"), 0);      // bo before ma
    EXPECT_LT(CompareLocale(u"\u9A6C", u"\u5F20"), 0);      // ma before zhang
    EXPECT_EQ(CompareLocale(u"same", u"same"), 0);
    EXPECT_LT(CompareLocale(u"", u"a"), 0);
}
