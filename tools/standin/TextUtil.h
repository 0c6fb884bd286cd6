#pragma once
// Small text helpers of the stand-in: case-insensitive comparison, URL and
// markup escaping, query strings and the GBK edge.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace standin {

bool EqualsNoCase(std::string_view a, std::string_view b);
bool ContainsNoCase(std::string_view text, std::string_view part);
std::string ToLowerAscii(std::string_view text);
std::string Trim(std::string_view text);

// "%XX" sequences become bytes; with `plusIsSpace` a "+" becomes a blank.
// Broken escapes are kept as they are.
std::string UrlDecode(std::string_view text, bool plusIsSpace);
// Letters and digits kept, a blank as "+", every other byte "%XX".
std::string FormEncode(std::string_view bytes);

// The pairs of a query string, names decoded, values still raw (as sent).
std::vector<std::pair<std::string, std::string>> SplitQuery(std::string_view query);
// The raw value of the first parameter named `name`, or "" when absent.
std::string QueryValue(std::string_view query, std::string_view name, bool* found = nullptr);
// All raw values of the parameters named `name`, in order.
std::vector<std::string> QueryValues(std::string_view query, std::string_view name);

std::string XmlEscape(std::string_view utf8);   // &, <, >, " and CR
std::string HtmlEscape(std::string_view utf8);

// UTF-8 to GBK; characters GBK cannot hold become "?".
std::string ToGbk(std::string_view utf8);
// Bytes in GBK (or, failing that, UTF-8) to UTF-8; "" when neither fits.
std::string GbkOrUtf8ToUtf8(std::string_view bytes);
// Whether the bytes are valid UTF-8.
bool IsUtf8(std::string_view bytes);

// Decimal digits only, 1 to 18 of them.
bool IsDecimalId(std::string_view text);

std::vector<std::string> Split(std::string_view text, char separator);

}  // namespace standin
