#pragma once
// Comparing dotted main versions and patch levels.

#include <cstdint>
#include <string_view>

namespace patchwell {

// What an update would bring.
enum UpdateKind : int { kUpdateNone = 0, kUpdateMainVersion = 1, kUpdatePatch = 2 };

// Reads a decimal integer the way atoi does: optional blanks, an optional
// sign, the leading digits (none: 0). Values beyond the int range are held
// at its limits.
int ReadInteger(std::string_view text);

struct VersionParts {
    int major = 0;
    int minor = 0;
};

// Major: the text before the first dot. Minor: the text between the first
// and the last dot, or after the only dot. The build part is ignored.
VersionParts SplitVersion(std::string_view text);

// major × 10000 + minor.
std::int64_t VersionValue(const VersionParts& parts);
inline std::int64_t VersionValue(std::string_view text) { return VersionValue(SplitVersion(text)); }

// The manifest's main version against the host's: 1 (kind := main version)
// when the manifest's is newer, 0 (kind := none) when equal, -1 (kind
// untouched) when the host's is newer.
int CompareMainVersion(std::string_view manifestVersion, const VersionParts& hostVersion, int& updateKind);

// The local patch level against the pending one, as integers: 1 (kind :=
// patch) when the local one is lower, else 0 (kind := none).
int ComparePatch(std::string_view localPatch, std::string_view pendingPatch, int& updateKind);

}  // namespace patchwell
