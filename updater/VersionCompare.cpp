#include "updater/VersionCompare.h"

#include <climits>

namespace patchwell {

int ReadInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<std::int64_t>(INT_MAX) + 1) {
            value = static_cast<std::int64_t>(INT_MAX) + 1;
        }
    }
    if (negative) return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

VersionParts SplitVersion(std::string_view text) {
    VersionParts parts;
    const size_t first = text.find('.');
    parts.major = ReadInteger(text.substr(0, first));
    if (first == std::string_view::npos) return parts;
    const size_t last = text.rfind('.');
    const std::string_view minor =
        last == first ? text.substr(first + 1) : text.substr(first + 1, last - first - 1);
    parts.minor = ReadInteger(minor);
    return parts;
}

std::int64_t VersionValue(const VersionParts& parts) {
    return static_cast<std::int64_t>(parts.major) * 10000 + parts.minor;
}

int CompareMainVersion(std::string_view manifestVersion, const VersionParts& hostVersion, int& updateKind) {
    const std::int64_t manifest = VersionValue(manifestVersion);
    const std::int64_t host = VersionValue(hostVersion);
    if (manifest > host) {
        updateKind = kUpdateMainVersion;
        return 1;
    }
    if (manifest == host) {
        updateKind = kUpdateNone;
        return 0;
    }
    return -1;
}

int ComparePatch(std::string_view localPatch, std::string_view pendingPatch, int& updateKind) {
    if (ReadInteger(localPatch) < ReadInteger(pendingPatch)) {
        updateKind = kUpdatePatch;
        return 1;
    }
    updateKind = kUpdateNone;
    return 0;
}

}  // namespace patchwell
