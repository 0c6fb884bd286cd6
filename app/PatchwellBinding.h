#pragma once
// The player's use of the update library "Patchwell", bound at run time by
// file name: first from the program's folder, then from the library search
// path. A missing library or missing exports are skipped silently.

#include <filesystem>

// The project code the player gives the update library.
inline constexpr int kPatchwellProjectCode = 5;
// The update library's file name (libPatchwell.so here).
inline constexpr const char* kPatchwellLibraryName = "Patchwell";
// The external installer beside the program and its argument text.
inline constexpr const char* kInstallerFileName = "Up_date.exe";
inline constexpr const char* kInstallerArgumentFormat = "install %d";

// Asks the library whether a verified new version waits; if so and the
// installer exists beside the program, starts it with "install <code>" and
// returns 1 (the caller then ends the process). Otherwise 0.
int SetupNewVersionDll(int projectCode);

// Hands the service's update code and the program version to the library's
// CheckUpdate. The library stays loaded for the life of the process, since
// its work runs later in timers of the calling thread.
void CheckPatchwell(int updateCode, const char* version, int projectCode);

// The same for a program living in `programFolder`.
int SetupNewVersionDllIn(const std::filesystem::path& programFolder, int projectCode);
void CheckPatchwellIn(const std::filesystem::path& programFolder, int updateCode, const char* version,
                      int projectCode);
