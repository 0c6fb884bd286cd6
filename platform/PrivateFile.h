#pragma once
// Files that hold secrets of the user (the remembered password): readable
// and writable by their owner only.

#include <filesystem>

namespace tonvik::platform {

// Makes the file at `path` accessible to its owner only, creating it empty
// when it does not exist yet. A file replaced atomically afterwards keeps
// these permissions, so whatever is written to it later stays private.
// False when the file could not be created or restricted.
bool RestrictToOwner(const std::filesystem::path& path);

}  // namespace tonvik::platform
