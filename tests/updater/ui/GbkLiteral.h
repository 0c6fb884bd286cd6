#pragma once
// Chinese test texts in the library's code page.

#include "platform/CodePage.h"

#include <string>
#include <string_view>

namespace patchwell::testing {

inline std::string GbkText(std::string_view utf8) {
    return tonvik::platform::ConvertCharset(utf8, "UTF-8", "CP936").value_or(std::string());
}

}  // namespace patchwell::testing
