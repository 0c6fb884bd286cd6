#pragma once
// The program's own pictures, kept in the folder "res" beside the program
// under their resource numbers ("res/239.ico", "res/244.bmp").

#include <string>

inline constexpr int kResProgramIcon = 128;
inline constexpr int kResTrayOfflineClassic = 227;
inline constexpr int kResTrayOnlineClassic = 239;
inline constexpr int kResTrayOfflineOrange = 255;
inline constexpr int kResTrayOnlineOrange = 256;
inline constexpr int kResSelectionBar = 244;    // 310 × 17, list selection of "Skin2" skins
inline constexpr int kResTipClassic = 251;      // tip background of "Skin2" skins; also the notifier's
inline constexpr int kResTipOrange = 236;       // tip background of the other skins
inline constexpr int kResUpdatePicture = 106;   // the update prompt's picture

inline constexpr const char* kResourceFolder = "res";

// `root` is the program's folder without trailing separator.
std::string ResourceBitmapFile(const std::string& root, int id);
std::string ResourceIconFile(const std::string& root, int id);
