#pragma once
// The system's locale-aware comparison of texts (Chinese locale): Latin
// letters and digits before Chinese characters, Chinese characters by their
// reading, lower case before upper case of the same letter.

#include <string_view>

namespace tonvik::platform {

// Negative, zero or positive as `a` sorts before, with or after `b`.
int CompareLocale(std::u16string_view a, std::u16string_view b);

}  // namespace tonvik::platform
