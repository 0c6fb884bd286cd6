#include "lyrics/LrcTimeTag.h"

#include "lyrics/Cp936Scan.h"

#include <climits>
#include <cstdint>

int LrcDecimalValue(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && cp936::IsSpace(static_cast<unsigned char>(text[pos]))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int64_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > static_cast<int64_t>(INT_MAX) + 1) value = static_cast<int64_t>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

std::optional<uint32_t> ParseLrcTimeTag(std::string_view tag) {
    const size_t colon = cp936::FindLast(tag, ':');
    if (colon == cp936::npos || colon == 0) return std::nullopt;
    const std::string_view left = tag.substr(0, colon);
    const std::string_view right = tag.substr(colon + 1);

    uint32_t hours = 0;
    uint32_t minutes = 0;
    const size_t hourColon = cp936::Find(left, ':');
    if (hourColon != cp936::npos) {
        hours = static_cast<uint32_t>(LrcDecimalValue(left.substr(0, hourColon)));
        minutes = static_cast<uint32_t>(LrcDecimalValue(left.substr(hourColon + 1)));
    } else {
        minutes = static_cast<uint32_t>(LrcDecimalValue(left));
    }

    uint32_t seconds = 0;
    uint32_t fraction = 0;
    const size_t dot = cp936::Find(right, '.');
    if (dot != cp936::npos) {
        seconds = static_cast<uint32_t>(LrcDecimalValue(right.substr(0, dot)));
        fraction = static_cast<uint32_t>(LrcDecimalValue(right.substr(dot + 1)));
    } else {
        seconds = static_cast<uint32_t>(LrcDecimalValue(right));
    }

    return ((hours * 60u + minutes) * 60u + seconds) * 1000u + fraction * 10u;
}
