#include "common/Text.h"

#include <array>

using tonvik::platform::ConvertCharset;
using tonvik::platform::NarrowToUtf16;
using tonvik::platform::OnInvalid;
using tonvik::platform::Utf16ToNarrow;

std::u16string ToWide(std::string_view text, unsigned codePage) {
    return NarrowToUtf16(text, codePage).value_or(std::u16string());
}

std::string ToNarrow(std::u16string_view text, unsigned codePage) {
    return Utf16ToNarrow(text, codePage).value_or(std::string());
}

std::string AnsiToUtf8(std::string_view ansi) {
    return ConvertCharset(ansi, "CP936", "UTF-8", OnInvalid::Replace).value_or(std::string());
}

std::string Utf8ToAnsi(std::string_view utf8) {
    return ConvertCharset(utf8, "UTF-8", "CP936").value_or(std::string());
}

std::string Cp936(std::string_view utf8) {
    return ConvertCharset(utf8, "UTF-8", "CP936", OnInvalid::Replace).value_or(std::string());
}

QString FromAnsi(std::string_view ansi) {
    auto wide = NarrowToUtf16(ansi, kCodePageAnsi, OnInvalid::Replace);
    return wide ? QString::fromStdU16String(*wide) : QString();
}

std::string ToAnsi(const QString& text) {
    return Utf16ToNarrow(text.toStdU16String(), kCodePageAnsi, OnInvalid::Replace).value_or(std::string());
}

std::string UrlEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool alnum = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
        if (alnum) {
            out += ch;
        } else if (byte == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

namespace {
constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<signed char, 256> MakeBase64Table() {
    std::array<signed char, 256> table{};
    for (auto& v : table) v = -1;
    for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<signed char>(i);
    return table;
}
constexpr auto kBase64Table = MakeBase64Table();
}  // namespace

std::string Base64Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) | static_cast<unsigned char>(bytes[i + 2]);
        out += kBase64Alphabet[(v >> 18) & 63];
        out += kBase64Alphabet[(v >> 12) & 63];
        out += kBase64Alphabet[(v >> 6) & 63];
        out += kBase64Alphabet[v & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kBase64Alphabet[(v >> 18) & 63];
        out += kBase64Alphabet[(v >> 12) & 63];
        out += rest == 2 ? kBase64Alphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string Base64Decode(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    uint32_t accumulator = 0;
    int bits = 0;
    for (const char ch : text) {
        const signed char value = kBase64Table[static_cast<unsigned char>(ch)];
        if (value < 0) continue;  // padding, white space, high-bit bytes and other noise
        accumulator = (accumulator << 6) | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((accumulator >> bits) & 0xFF);
        }
    }
    return out;
}

std::optional<std::string> EncodePassword(std::string_view password) {
    std::string encoded = Base64Encode(password);
    if (encoded.size() > kMaxEncodedPassword) return std::nullopt;
    return encoded;
}
