#pragma once
// Cutting CP936 texts to a byte limit without splitting a double-byte
// character.

#include <string>
#include <string_view>

// At most `maxBytes` bytes of `text`; a double-byte character that would
// not fit whole is left out.
std::string CutAnsiText(std::string_view text, int maxBytes);
