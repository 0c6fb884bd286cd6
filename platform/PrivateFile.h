#pragma once
// Files and folders that hold secrets of the user (the remembered password,
// the web pages' cookies, a page that signs the user in): readable and
// writable by their owner only.

#include <filesystem>
#include <string_view>

namespace tonvik::platform {

// Makes the file at `path` accessible to its owner only, creating it empty
// when it does not exist yet. A file replaced atomically afterwards keeps
// these permissions, so whatever is written to it later stays private.
// False when the file could not be created or restricted.
bool RestrictToOwner(const std::filesystem::path& path);

// Makes the folder at `path` (and any missing parent) and leaves it
// accessible to its owner only; an existing folder is restricted. False when
// it could not be made or restricted.
bool MakePrivateFolder(const std::filesystem::path& path);

// Writes `content` to a new file of a name of its own in `folder` (made of
// `prefix`, random characters and `suffix`), created accessible to its owner
// only. The file's path, or empty on failure (nothing is left behind).
std::filesystem::path WritePrivateFile(const std::filesystem::path& folder, std::string_view prefix,
                                       std::string_view suffix, std::string_view content);

// The permission bits of a file or folder (0600, 0700, ...); -1 when it
// cannot be read.
int PermissionBits(const std::filesystem::path& path);

}  // namespace tonvik::platform
