#include "platform/Executable.h"

#include <system_error>

namespace tonvik::platform {

bool MakeRunnable(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Only the owner: nobody else needs to run what this user downloaded.
    fs::permissions(file, fs::perms::owner_exec, fs::perm_options::add, ec);
    return !ec;
}

}  // namespace tonvik::platform
