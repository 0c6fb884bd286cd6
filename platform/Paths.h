#pragma once
// Where things are: the running program and the user's data folders.

#include <filesystem>

namespace tonvik::platform {

// Full path of the running executable; empty when it cannot be found.
std::filesystem::path ProgramFilePath();

// Folder of the running executable (no trailing separator).
std::filesystem::path ProgramFolder();

// The per-user data folder (XDG data home); stands where the common
// application-data folder of Windows stood.
std::filesystem::path UserDataFolder();

// The per-user configuration folder (XDG config home).
std::filesystem::path UserConfigFolder();

// The per-user cache folder (XDG cache home): what may be thrown away.
std::filesystem::path UserCacheFolder();

// The user's runtime folder (XDG runtime directory): private to the user,
// kept in memory and emptied when the user's session ends. Made when
// missing; empty when there is none to be had.
std::filesystem::path RuntimeFolder();

// Whether this process may create and replace files in `folder`.
bool IsWritableFolder(const std::filesystem::path& folder);

}  // namespace tonvik::platform
