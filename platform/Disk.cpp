#include "platform/Disk.h"

#include <system_error>

namespace tonvik::platform {

std::optional<std::uint64_t> FreeDiskSpace(const std::filesystem::path& path) {
    std::error_code ec;
    const auto info = std::filesystem::space(path, ec);
    if (ec) return std::nullopt;
    return static_cast<std::uint64_t>(info.available);
}

}  // namespace tonvik::platform
