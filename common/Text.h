#pragma once
// Text conversions and encodings. Texts of the model (song fields, album
// names, lyrics, the play-list file) are std::string holding CP936 bytes;
// these helpers convert at the edges.

#include "platform/CodePage.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

using tonvik::platform::kCodePageAnsi;
using tonvik::platform::kCodePageGbk;
using tonvik::platform::kCodePageUtf8;

// Code-page text to UTF-16 and back; an empty result when the text cannot
// be converted exactly.
std::u16string ToWide(std::string_view text, unsigned codePage = kCodePageAnsi);
std::string ToNarrow(std::u16string_view text, unsigned codePage = kCodePageAnsi);

// System code page to UTF-8, as the code page decodes: GBK's user-defined
// characters become their private-use characters and each byte that is no
// character becomes U+FFFD, so a name never turns into an empty text.
std::string AnsiToUtf8(std::string_view ansi);
// UTF-8 to the system code page (private-use characters back to their
// user-defined double bytes); an empty result on failure.
std::string Utf8ToAnsi(std::string_view utf8);

// The CP936 bytes of a UTF-8 literal from the source code, e.g.
// Cp936("登录失败！"). A character GBK cannot hold becomes "?".
std::string Cp936(std::string_view utf8);

// For showing model texts in Qt and reading them back: invalid bytes become
// replacement characters instead of losing the whole text.
QString FromAnsi(std::string_view ansi);
std::string ToAnsi(const QString& text);

// Letters and digits are kept, a blank becomes "+", every other byte "%XX".
std::string UrlEncode(std::string_view text);

// Standard Base64 with "=" padding. Decoding skips every byte outside the
// alphabet (padding included) and every byte with the high bit set.
std::string Base64Encode(std::string_view bytes);
std::string Base64Decode(std::string_view text);

// The longest Base64 text of a remembered password.
inline constexpr size_t kMaxEncodedPassword = 255;
// The Base64 text of a password, or nullopt when it would be longer than
// kMaxEncodedPassword (a cut text would decode to a different password).
std::optional<std::string> EncodePassword(std::string_view password);
