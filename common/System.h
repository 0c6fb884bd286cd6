#pragma once
// System and network checks, and the per-user data folder.

#include "platform/Network.h"

#include <filesystem>
#include <string_view>
#include <vector>

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

// The network rule: online when an interface that is up and is no loopback
// has an address another machine could reach, IPv4 or global IPv6 (not
// loopback, link-local, multicast or unspecified). Names are never resolved:
// what the hosts file says of this machine's name is no network.
int NetworkAvailableFromInterfaces(const std::vector<tonvik::platform::InterfaceAddress>& addresses);

// 1 when the machine has a network, else 0. Cheap enough for the timer of
// the main frame.
int IsNetworkAvailable();
