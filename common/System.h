#pragma once
// System and network checks, and the per-user data folder.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The data folder for `name`: the user's data folder, then "Velora", then
// `name`. After each step a plain file of that name is deleted and a missing
// folder is created. Empty when the folder cannot be made.
std::filesystem::path GetDataFolder(std::string_view name);

// 1 on systems of the NT family. This build runs on a multi-user system with
// per-user data folders, which is what the NT checks of the program stand for.
int IsNtPlatform();

// The platform identifiers the family code distinguishes.
enum class OsPlatform { Windows9x, WindowsNt, Other };

// The family code of a system version: 1 Windows 95, 2 Windows 98 or Me,
// 3 NT 4.0 or older, 4 Windows 2000, 5 XP, 6 version 5.2, 7 version 6.0,
// 0 any other version.
int OsFamilyFromVersion(OsPlatform platform, unsigned major, unsigned minor);

// The family code of this system (0 here: neither Windows 9x nor an old NT),
// or -1 when the version cannot be read. `edition`, when given, receives 0.
int GetOsFamily(int* edition = nullptr);

// The network rule: offline when the host name has no address or its first
// address is the loopback address 127.0.0.1.
int NetworkAvailableFromAddress(const std::optional<std::string>& firstAddress);

// 1 when the machine seems to have a network, else 0.
int IsNetworkAvailable();
