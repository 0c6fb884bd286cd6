#include "tools/standin/TextUtil.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <cctype>

namespace standin {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    return ToLowerAscii(text).find(ToLowerAscii(part)) != std::string::npos;
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), LowerAscii);
    return out;
}

std::string Trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(blanks);
    return std::string(text.substr(first, last - first + 1));
}

std::string UrlDecode(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(plusIsSpace && c == '+' ? ' ' : c);
    }
    return out;
}

std::string FormEncode(std::string_view bytes) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (std::isalnum(c) && c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> SplitQuery(std::string_view query) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const std::string& part : Split(query, '&')) {
        if (part.empty()) continue;
        const size_t equals = part.find('=');
        if (equals == std::string::npos) {
            pairs.emplace_back(UrlDecode(part, true), std::string());
        } else {
            pairs.emplace_back(UrlDecode(part.substr(0, equals), true), part.substr(equals + 1));
        }
    }
    return pairs;
}

std::string QueryValue(std::string_view query, std::string_view name, bool* found) {
    for (auto& [key, value] : SplitQuery(query)) {
        if (key == name) {
            if (found) *found = true;
            return value;
        }
    }
    if (found) *found = false;
    return {};
}

std::vector<std::string> QueryValues(std::string_view query, std::string_view name) {
    std::vector<std::string> values;
    for (auto& [key, value] : SplitQuery(query)) {
        if (key == name) values.push_back(value);
    }
    return values;
}

namespace {
// Markup escaping; XML texts also keep their carriage returns as a reference,
// which a parser would otherwise fold away.
std::string EscapeMarkup(std::string_view utf8, bool keepCarriageReturns) {
    std::string out;
    out.reserve(utf8.size() + 16);
    for (char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\r':
            if (keepCarriageReturns) out += "&#13;";
            else out.push_back(c);
            break;
        default: out.push_back(c);
        }
    }
    return out;
}
}  // namespace

std::string XmlEscape(std::string_view utf8) { return EscapeMarkup(utf8, true); }

std::string HtmlEscape(std::string_view utf8) { return EscapeMarkup(utf8, false); }

std::string ToGbk(std::string_view utf8) {
    using tonvik::platform::CharsetOfCodePage;
    using tonvik::platform::ConvertCharset;
    using tonvik::platform::kCodePageGbk;
    using tonvik::platform::OnInvalid;
    auto converted = ConvertCharset(utf8, "UTF-8", CharsetOfCodePage(kCodePageGbk), OnInvalid::Replace);
    return converted ? *converted : std::string();
}

std::string GbkOrUtf8ToUtf8(std::string_view bytes) {
    using tonvik::platform::CharsetOfCodePage;
    using tonvik::platform::ConvertCharset;
    using tonvik::platform::kCodePageGbk;
    if (auto converted = ConvertCharset(bytes, CharsetOfCodePage(kCodePageGbk), "UTF-8")) return *converted;
    if (IsUtf8(bytes)) return std::string(bytes);
    return {};
}

bool IsUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        size_t extra = 0;
        if (c < 0x80) extra = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2) extra = 1;
        else if ((c & 0xF0) == 0xE0) extra = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4) extra = 3;
        else return false;
        if (i + extra >= bytes.size()) return false;
        for (size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

bool IsDecimalId(std::string_view text) {
    if (text.empty() || text.size() > 18) return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
}

}  // namespace standin
