#pragma once
// The well-known paths and texts, set once at start-up and read everywhere.

#include <array>
#include <filesystem>
#include <string>

// The program's folder with a trailing separator.
extern std::string g_strAppDir;
// The options file "TonvikMusic.ini" in the program's folder.
extern std::string g_strIniFile;
// "Skin.ini" in the program's folder.
extern std::string g_strSkinIni;

// Service error texts (CP936) shown by the album manager.
enum ServiceError { kErrLogonFailed = 0, kErrGetAlbumList = 1, kErrCreateAlbum = 2 };
extern std::array<std::string, 3> g_strServiceErrors;

inline constexpr const char* kIniFileName = "TonvikMusic.ini";
inline constexpr const char* kSkinIniName = "Skin.ini";

// Fills the values above for a program living in `programFolder`.
void SetupWellKnownPaths(const std::filesystem::path& programFolder);
