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
    const Converter converter(from, to);
    if (!converter.valid()) return std::nullopt;
    iconv_t cd = converter.get();

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
