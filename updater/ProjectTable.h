#pragma once
// The products the library serves, by project code: where each product's
// manifest lives, its module name and the captions of the library's windows.

#include <string>
#include <string_view>

namespace patchwell {

// Which configured host serves a product's manifest.
enum class ManifestHost { None, Update, GamePatch };

struct ProjectEntry {
    ManifestHost host = ManifestHost::None;  // None: the manifest location is left as it was
    std::string_view path;                   // request path on that host
    std::string_view module;                 // work folder name, messages, the manifest's product
    // The texts below are UTF-8; the accessors give them in CP936.
    std::string_view promptCaption;
    std::string_view promptHeader;
    std::string_view messageCaption;
};

inline constexpr int kProjectCount = 6;

// The row of a project code; codes outside 0..5 get the default row.
const ProjectEntry& ProjectFor(int code);

struct ProjectTexts {
    std::string module;
    std::string promptCaption;
    std::string promptHeader;
    std::string messageCaption;
};
// The row's texts in CP936.
ProjectTexts ProjectTextsFor(int code);

}  // namespace patchwell
