#pragma once
// Reading LRC time tags such as "01:02.34" or "1:02:03.45".

#include <cstdint>
#include <optional>
#include <string_view>

// Decimal value in the manner of atoi: leading white space, an optional
// sign, the digits up to the first non-digit; 0 when there are none. Values
// beyond the int range stop at INT_MAX or INT_MIN.
int LrcDecimalValue(std::string_view text);

// The milliseconds of a time tag (the text between the brackets), or nullopt
// when the tag's last colon is missing or is its first character. Hours and minutes
// are before the last colon ("h:m" or "m"), seconds and a fraction after it
// ("s.f" or "s"); the fraction counts as hundredths of a second whatever its
// number of digits. Arithmetic wraps in 32 bits, so a negative time comes out
// as a large unsigned value, which the model treats as no time.
std::optional<uint32_t> ParseLrcTimeTag(std::string_view tag);
