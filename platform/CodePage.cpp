#include "platform/CodePage.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <map>
#include <utility>

namespace tonvik::platform {
namespace {

constexpr const char* kUtf16Native = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// iconv descriptors are costly to open and not safe to share between
// threads, so each thread keeps its own, one per pair of character sets.
class ConverterCache {
public:
    ~ConverterCache() {
        for (auto& [key, cd] : m_open) iconv_close(cd);
    }
    iconv_t get(const char* from, const char* to) {
        auto key = std::make_pair(std::string(from), std::string(to));
        auto it = m_open.find(key);
        if (it != m_open.end()) {
            iconv(it->second, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
            return it->second;
        }
        iconv_t cd = iconv_open(to, from);
        if (cd == reinterpret_cast<iconv_t>(-1)) return cd;
        m_open.emplace(std::move(key), cd);
        return cd;
    }

private:
    std::map<std::pair<std::string, std::string>, iconv_t> m_open;
};

iconv_t Converter(const char* from, const char* to) {
    thread_local ConverterCache cache;
    return cache.get(from, to);
}

bool IsUtf16(const char* charset) { return std::strncmp(charset, "UTF-16", 6) == 0; }

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

std::optional<std::string> ConvertCharset(std::string_view text, const char* from, const char* to,
                                          OnInvalid onInvalid) {
    if (from == nullptr || to == nullptr) return std::nullopt;
    iconv_t cd = Converter(from, to);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;

    std::string out;
    out.reserve(text.size() * 2 + 4);
    char buffer[4096];
    // iconv's interface takes a non-const input pointer but never writes through it.
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    const size_t inputUnit = IsUtf16(from) ? 2 : 1;

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
        const size_t skip = inLeft < inputUnit ? inLeft : inputUnit;
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
