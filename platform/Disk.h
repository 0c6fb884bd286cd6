#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tonvik::platform {

// Bytes available to this user on the volume holding `path`; nullopt when
// the volume cannot be queried.
std::optional<std::uint64_t> FreeDiskSpace(const std::filesystem::path& path);

}  // namespace tonvik::platform
