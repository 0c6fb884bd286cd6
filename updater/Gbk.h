#pragma once
// The library's texts live in the system code page (CP936). Source files are
// UTF-8; literals and XML texts cross over here.

#include <string>
#include <string_view>

namespace patchwell {

// A UTF-8 text (typically a literal) in CP936. Characters CP936 cannot hold
// become "?".
std::string Gbk(std::string_view utf8);

// A CP936 text in UTF-8; invalid bytes become U+FFFD.
std::string GbkToUtf8(std::string_view gbk);

}  // namespace patchwell
