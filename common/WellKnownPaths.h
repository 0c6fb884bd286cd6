#pragma once
// The well-known paths and texts, set once at start-up and read everywhere.

#include <array>
#include <filesystem>
#include <string>

// The program's folder with a trailing separator: where its shipped files
// (skins, pictures, offline pages) are.
extern std::string g_strAppDir;
// The folder, with a trailing separator, where the program keeps the files
// it writes (the play list, the service's answer files).
extern std::string g_strDataDir;
// The options file "TonvikMusic.ini".
extern std::string g_strIniFile;
// "Skin.ini" in the program's folder.
extern std::string g_strSkinIni;

// Service error texts (CP936) shown by the album manager.
enum ServiceError { kErrLogonFailed = 0, kErrGetAlbumList = 1, kErrCreateAlbum = 2 };
extern std::array<std::string, 3> g_strServiceErrors;

inline constexpr const char* kIniFileName = "TonvikMusic.ini";
inline constexpr const char* kSkinIniName = "Skin.ini";

// The file the install step puts beside the program: the copy is installed.
inline constexpr const char* kInstalledMarkerName = "TonvikMusic.installed";

// Where a program living in `programFolder` keeps what it writes. An
// installed copy (the marker beside it) keeps its files in the user's data
// folder and its options in the user's configuration folder, each under
// "Velora/TonvikMusic", whoever runs it: the superuser, who may write in
// the program's folder, gets the same folders as anyone. So does a copy
// whose folder it may not write. Any other copy (a build, an unpacked
// folder) keeps everything in its own folder.
struct St_WritableFolders {
    std::filesystem::path data;
    std::filesystem::path config;
    bool relocated = false;  // not the program's folder
};
St_WritableFolders ChooseWritableFolders(const std::filesystem::path& programFolder);
// Whether the copy in `programFolder` was installed.
bool IsInstalledCopy(const std::filesystem::path& programFolder);

// The options file of a program living in `programFolder`. A relocated one
// starts from a copy of the options shipped beside the program, if any.
std::filesystem::path OptionsFileFor(const std::filesystem::path& programFolder);

// Fills the values above for a program living in `programFolder`.
void SetupWellKnownPaths(const std::filesystem::path& programFolder);
