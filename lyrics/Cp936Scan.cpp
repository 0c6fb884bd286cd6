#include "lyrics/Cp936Scan.h"

namespace cp936 {

size_t Find(std::string_view text, char c, size_t from) {
    if (IsNeverPartOfPair(c)) return text.find(c, from);
    for (size_t pos = from; pos < text.size(); pos += CharLength(text, pos)) {
        if (text[pos] == c) return pos;
    }
    return npos;
}

size_t Find(std::string_view text, std::string_view what, size_t from) {
    if (what.empty()) return from <= text.size() ? from : npos;
    for (size_t pos = from; pos < text.size(); pos += CharLength(text, pos)) {
        if (text.compare(pos, what.size(), what) == 0) return pos;
    }
    return npos;
}

size_t FindLast(std::string_view text, char c) {
    if (IsNeverPartOfPair(c)) return text.rfind(c);
    size_t found = npos;
    for (size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        if (text[pos] == c) found = pos;
    }
    return found;
}

FoundThree FindEach(std::string_view text, char first, char second, char third) {
    FoundThree found{npos, npos, npos};
    int missing = 3;
    for (size_t pos = 0; pos < text.size() && missing > 0; pos += CharLength(text, pos)) {
        const char c = text[pos];
        if (c == first && found.first == npos) {
            found.first = pos;
            --missing;
        }
        if (c == second && found.second == npos) {
            found.second = pos;
            --missing;
        }
        if (c == third && found.third == npos) {
            found.third = pos;
            --missing;
        }
    }
    return found;
}

std::string_view Trim(std::string_view text) {
    // White space bytes are never trail bytes, so both ends can be trimmed
    // byte by byte.
    size_t begin = 0;
    while (begin < text.size() && IsSpace(static_cast<unsigned char>(text[begin]))) ++begin;
    size_t end = text.size();
    while (end > begin && IsSpace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

std::string_view Truncate(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t next = pos + CharLength(text, pos);
        if (next > maxBytes) break;
        pos = next;
    }
    return text.substr(0, pos);
}

}  // namespace cp936
