#pragma once
// Character-aware scanning of CP936 (GBK) text held in std::string.
//
// A double-byte character is a lead byte 0x81..0xFE followed by a trail byte
// 0x40..0x7E or 0x80..0xFE. A lead byte without a valid trail byte after it
// (at the end of the text, or before a line end, a NUL or other control byte)
// stands alone as a single byte, so a broken character never swallows the
// byte after it. Searches step from character to character and therefore
// never match the second byte of a double-byte character: the trail bytes
// 0x5B "[" and 0x5D "]" of characters such as "擺" and "沒" are not brackets.
//
// Every `from` position given to these functions must lie on a character
// boundary of `text` (0, or a position a search returned, or one past a
// single-byte character).

#include <cstddef>
#include <string>
#include <string_view>

namespace cp936 {

inline constexpr size_t npos = std::string_view::npos;

inline bool IsLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

inline bool IsTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

// The length (1 or 2) of the character that starts at `pos` (< text.size()).
inline size_t CharLength(std::string_view text, size_t pos) {
    if (IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() &&
        IsTrailByte(static_cast<unsigned char>(text[pos + 1])))
        return 2;
    return 1;
}

// The white space of the character-class test: blank, tab, LF, VT, FF, CR.
inline bool IsSpace(unsigned char byte) {
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

// A byte below 0x40 is neither a lead nor a trail byte, so it always starts a
// character of its own and a plain byte search finds it where a character
// scan would.
inline bool IsNeverPartOfPair(char c) {
    return static_cast<unsigned char>(c) < 0x40;
}

// The first character `c` (a single-byte character) at or after `from`.
size_t Find(std::string_view text, char c, size_t from = 0);
// The first occurrence of `what` that starts on a character boundary at or
// after `from`.
size_t Find(std::string_view text, std::string_view what, size_t from = 0);
// The last character `c` in the text.
size_t FindLast(std::string_view text, char c);

// The first of each of three single-byte characters, found in one scan
// (npos for those absent).
struct FoundThree {
    size_t first;
    size_t second;
    size_t third;
};
FoundThree FindEach(std::string_view text, char first, char second, char third);

// The text without white space at either end.
std::string_view Trim(std::string_view text);

// At most `maxBytes` bytes of the text, cut so that no double-byte character
// is split: a character that would straddle the limit is left out whole.
std::string_view Truncate(std::string_view text, size_t maxBytes);

}  // namespace cp936
