#pragma once
// Conversions between the system code page (CP936, GBK) and the Unicode
// encodings, through iconv.

#include <optional>
#include <string>
#include <string_view>

namespace tonvik::platform {

// Windows code-page numbers the program uses.
inline constexpr unsigned kCodePageAnsi = 0;     // the system code page: CP936 here
inline constexpr unsigned kCodePageGbk = 936;
inline constexpr unsigned kCodePageUtf8 = 65001;

// What to do with a byte sequence that is not valid in the source encoding
// or a character the target encoding cannot hold.
enum class OnInvalid {
    Fail,     // the whole conversion fails
    Replace,  // the offending unit becomes a replacement ("?" or U+FFFD)
};

// The iconv name of a code page, or nullptr for one we do not know.
const char* CharsetOfCodePage(unsigned codePage);

// Converts `text` between two iconv character sets. Returns nullopt when
// either set is unknown or, with OnInvalid::Fail, when the text cannot be
// converted exactly.
std::optional<std::string> ConvertCharset(std::string_view text, const char* from, const char* to,
                                          OnInvalid onInvalid = OnInvalid::Fail);

std::optional<std::u16string> NarrowToUtf16(std::string_view text, unsigned codePage,
                                            OnInvalid onInvalid = OnInvalid::Fail);
std::optional<std::string> Utf16ToNarrow(std::u16string_view text, unsigned codePage,
                                         OnInvalid onInvalid = OnInvalid::Fail);

}  // namespace tonvik::platform
