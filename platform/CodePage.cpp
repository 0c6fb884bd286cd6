#include "platform/CodePage.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace tonvik::platform {
namespace {

constexpr const char* kUtf16Native = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// iconv descriptors are costly to open and not safe to use from two threads
// at once. Idle ones are kept in one pool per pair of character sets and lent
// out for one conversion at a time. (Not one set per thread: a thread's
// objects with destructors would keep a library that links this code, such as
// the update library, from ever being unloaded.)
class ConverterPool {
public:
    ~ConverterPool() {
        for (auto& [key, idle] : m_idle)
            for (iconv_t cd : idle) iconv_close(cd);
    }

    iconv_t Borrow(const char* from, const char* to) {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            auto found = m_idle.find(Key(from, to));
            if (found != m_idle.end() && !found->second.empty()) {
                iconv_t cd = found->second.back();
                found->second.pop_back();
                return cd;
            }
        }
        return iconv_open(to, from);
    }

    void Return(const char* from, const char* to, iconv_t cd) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
        std::lock_guard<std::mutex> hold(m_lock);
        m_idle[Key(from, to)].push_back(cd);
    }

private:
    static std::pair<std::string, std::string> Key(const char* from, const char* to) { return {from, to}; }

    std::mutex m_lock;
    std::map<std::pair<std::string, std::string>, std::vector<iconv_t>> m_idle;
};

ConverterPool& Pool() {
    static ConverterPool pool;
    return pool;
}

// A converter lent for the life of one conversion.
class Converter {
public:
    Converter(const char* from, const char* to) : m_from(from), m_to(to), m_cd(Pool().Borrow(from, to)) {}
    ~Converter() {
        if (valid()) Pool().Return(m_from, m_to, m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    const char* m_from;
    const char* m_to;
    iconv_t m_cd;
};

bool IsUtf16(const char* charset) { return std::strncmp(charset, "UTF-16", 6) == 0; }
bool IsCp936(const char* charset) { return std::strcmp(charset, "CP936") == 0; }

// GBK's three user-defined areas. Code page 936 maps them, in this order,
// onto the private-use area from U+E000; iconv's CP936 knows none of them:
//   0xAAA1-0xAFFE  6 rows of 94 (second byte 0xA1-0xFE)            U+E000-U+E233
//   0xF8A1-0xFEFE  7 rows of 94 (second byte 0xA1-0xFE)            U+E234-U+E4C5
//   0xA140-0xA7A0  7 rows of 96 (second byte 0x40-0x7E, 0x80-0xA0) U+E4C6-U+E765
constexpr char16_t kUserDefinedFirst = 0xE000;
constexpr char16_t kUserDefinedThird = 0xE4C6;  // where the 0xA140 area starts
constexpr char16_t kUserDefinedLast = 0xE765;

bool IsUserDefinedCharacter(char16_t ch) { return ch >= kUserDefinedFirst && ch <= kUserDefinedLast; }

// The private-use character of a user-defined double byte, or 0 for any other.
char16_t UserDefinedToUnicode(unsigned char lead, unsigned char trail) {
    if (trail >= 0xA1 && trail <= 0xFE) {
        if (lead >= 0xAA && lead <= 0xAF)
            return static_cast<char16_t>(kUserDefinedFirst + 94 * (lead - 0xAA) + (trail - 0xA1));
        if (lead >= 0xF8 && lead <= 0xFE)
            return static_cast<char16_t>(kUserDefinedFirst + 94 * (6 + lead - 0xF8) + (trail - 0xA1));
    }
    if (lead >= 0xA1 && lead <= 0xA7 && trail >= 0x40 && trail <= 0xA0 && trail != 0x7F)
        return static_cast<char16_t>(kUserDefinedThird + 96 * (lead - 0xA1) + (trail - (trail < 0x7F ? 0x40 : 0x41)));
    return 0;
}

// The double byte of a private-use character IsUserDefinedCharacter accepts.
std::string UnicodeToUserDefined(char16_t ch) {
    unsigned lead = 0;
    unsigned trail = 0;
    if (ch < kUserDefinedThird) {
        const unsigned row = (ch - kUserDefinedFirst) / 94u;
        lead = row < 6 ? 0xAA + row : 0xF8 + (row - 6);
        trail = 0xA1 + (ch - kUserDefinedFirst) % 94u;
    } else {
        const unsigned cell = (ch - kUserDefinedThird) % 96u;
        lead = 0xA1 + (ch - kUserDefinedThird) / 96u;
        trail = cell < 0x3F ? 0x40 + cell : 0x41 + cell;
    }
    return {static_cast<char>(lead), static_cast<char>(trail)};
}

// The length of the code-page unit at the start of `rest`: a lead byte and a
// valid second byte make one double-byte unit, whether the pair is assigned
// or not; anything else is a single byte.
size_t Cp936UnitLength(std::string_view rest) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    if (lead < 0x81 || lead > 0xFE || rest.size() < 2) return 1;
    const auto trail = static_cast<unsigned char>(rest[1]);
    return trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
}

size_t Utf16UnitLength(std::string_view rest) { return rest.size() < 2 ? rest.size() : 2; }
size_t ByteUnitLength(std::string_view) { return 1; }

// How many input bytes one unit of a character set takes, for skipping what
// cannot be converted: a whole code-page character becomes one replacement.
using UnitLength = size_t (*)(std::string_view rest);

UnitLength UnitLengthOf(const char* charset) {
    if (IsCp936(charset)) return &Cp936UnitLength;
    if (IsUtf16(charset)) return &Utf16UnitLength;
    return &ByteUnitLength;
}

// The replacement written for an invalid unit, in the target encoding.
std::string Replacement(const char* to) {
    if (IsUtf16(to)) {
        const char16_t ch = u'\xFFFD';
        return std::string(reinterpret_cast<const char*>(&ch), sizeof ch);
    }
    if (std::strcmp(to, "UTF-8") == 0) return "\xEF\xBF\xBD";
    return "?";
}

}  // namespace

const char* CharsetOfCodePage(unsigned codePage) {
    switch (codePage) {
    case kCodePageAnsi:
    case kCodePageGbk:
        return "CP936";
    case kCodePageUtf8:
        return "UTF-8";
    case 1252:
        return "CP1252";
    case 20127:
        return "ASCII";
    default:
        return nullptr;
    }
}

namespace {

// One conversion through iconv, both character sets being ones iconv knows
// as they are.
std::optional<std::string> IconvConvert(std::string_view text, const char* from, const char* to, OnInvalid onInvalid) {
    const Converter converter(from, to);
    if (!converter.valid()) return std::nullopt;
    iconv_t cd = converter.get();
    const UnitLength unitLength = UnitLengthOf(from);

    std::string out;
    out.reserve(text.size() * 2 + 4);
    char buffer[4096];
    // iconv's interface takes a non-const input pointer but never writes through it.
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();

    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ (invalid or unrepresentable) or EINVAL (cut short at the end).
        if (onInvalid == OnInvalid::Fail) return std::nullopt;
        out += Replacement(to);
        const size_t skip = unitLength(std::string_view(in, inLeft));
        in += skip;
        inLeft -= skip;
    }
    // Flush any shift state.
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1) &&
        onInvalid == OnInvalid::Fail)
        return std::nullopt;
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    return out;
}

std::string_view Utf16Bytes(const char16_t& ch) { return {reinterpret_cast<const char*>(&ch), sizeof ch}; }

// Code page 936 to `to`: iconv for everything but the user-defined areas,
// which go to the private-use area as code page 936 maps them.
std::optional<std::string> DecodeCp936(std::string_view text, const char* to, OnInvalid onInvalid) {
    std::string wide;  // native UTF-16 bytes, when the text holds a user-defined character
    size_t runStart = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Cp936UnitLength(text.substr(i));
        const char16_t userDefined = length == 2 ? UserDefinedToUnicode(static_cast<unsigned char>(text[i]),
                                                                        static_cast<unsigned char>(text[i + 1]))
                                                 : 0;
        if (userDefined != 0) {
            auto run = IconvConvert(text.substr(runStart, i - runStart), "CP936", kUtf16Native, onInvalid);
            if (!run) return std::nullopt;
            wide += *run;
            wide += Utf16Bytes(userDefined);
            runStart = i + length;
        }
        i += length;
    }
    if (runStart == 0) return IconvConvert(text, "CP936", to, onInvalid);  // none in the text

    auto rest = IconvConvert(text.substr(runStart), "CP936", kUtf16Native, onInvalid);
    if (!rest) return std::nullopt;
    wide += *rest;
    if (std::strcmp(to, kUtf16Native) == 0) return wide;
    return IconvConvert(wide, kUtf16Native, to, onInvalid);
}

// `from` to code page 936: the private-use characters of the user-defined
// areas go back to their double bytes, everything else through iconv.
std::optional<std::string> EncodeCp936(std::string_view text, const char* from, OnInvalid onInvalid) {
    // Those characters are U+E000-U+E765, whose UTF-8 starts with 0xEE: text
    // without that byte goes straight through.
    if (std::strcmp(from, "UTF-8") == 0 && text.find('\xEE') == std::string_view::npos)
        return IconvConvert(text, from, "CP936", onInvalid);

    std::string wide;  // native UTF-16 bytes
    if (std::strcmp(from, kUtf16Native) == 0) {
        wide = std::string(text);
    } else {
        auto converted = IconvConvert(text, from, kUtf16Native, onInvalid);
        if (!converted) return std::nullopt;
        wide = std::move(*converted);
    }

    const std::string_view units(wide);
    std::string out;
    size_t runStart = 0;
    for (size_t i = 0; i + 2 <= units.size(); i += 2) {
        char16_t ch = 0;
        std::memcpy(&ch, units.data() + i, sizeof ch);
        if (!IsUserDefinedCharacter(ch)) continue;
        auto run = IconvConvert(units.substr(runStart, i - runStart), kUtf16Native, "CP936", onInvalid);
        if (!run) return std::nullopt;
        out += *run + UnicodeToUserDefined(ch);
        runStart = i + 2;
    }
    // An odd byte at the end goes with the rest, for iconv to judge.
    auto rest = IconvConvert(units.substr(runStart), kUtf16Native, "CP936", onInvalid);
    if (!rest) return std::nullopt;
    return out + *rest;
}

}  // namespace

std::optional<std::string> ConvertCharset(std::string_view text, const char* from, const char* to,
                                          OnInvalid onInvalid) {
    if (from == nullptr || to == nullptr) return std::nullopt;
    if (IsCp936(from)) return DecodeCp936(text, to, onInvalid);
    if (IsCp936(to)) return EncodeCp936(text, from, onInvalid);
    return IconvConvert(text, from, to, onInvalid);
}

std::optional<std::u16string> NarrowToUtf16(std::string_view text, unsigned codePage, OnInvalid onInvalid) {
    auto bytes = ConvertCharset(text, CharsetOfCodePage(codePage), kUtf16Native, onInvalid);
    if (!bytes) return std::nullopt;
    std::u16string wide(bytes->size() / 2, u'\0');
    std::memcpy(wide.data(), bytes->data(), wide.size() * 2);
    return wide;
}

std::optional<std::string> Utf16ToNarrow(std::u16string_view text, unsigned codePage, OnInvalid onInvalid) {
    std::string_view bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return ConvertCharset(bytes, kUtf16Native, CharsetOfCodePage(codePage), onInvalid);
}

}  // namespace tonvik::platform
