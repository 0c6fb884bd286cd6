#include "notify/TrayIconText.h"

namespace {
bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
}  // namespace

std::string CutAnsiText(std::string_view text, int maxBytes) {
    if (maxBytes <= 0) return {};
    const size_t limit = static_cast<size_t>(maxBytes);
    if (text.size() <= limit) return std::string(text);
    size_t end = 0;
    while (end < text.size()) {
        const size_t width = IsLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return std::string(text.substr(0, end));
}
