#pragma once
// Which skin the player wears: the two full skins, their mini skins, the
// choice kept in "TonvikMusic.ini", and the key colours of window regions.

#include "common/Bitmap.h"

#include <filesystem>
#include <string>
#include <string_view>

inline constexpr const char* kSkinClassic = "Skin2";  // "乐库经典"
inline constexpr const char* kSkinOrange = "Skin";    // "橙色梦幻"
inline constexpr const char* kMiniSkinFolder = "MiniSkin";
inline constexpr const char* kMiniSkinVertical = "MiniSkin2";  // only under "Skin2"

inline constexpr const char* kSkinSection = "SKIN";
inline constexpr const char* kSkinKindKey = "Kind";
inline constexpr int kSkinKindClassic = 2;
inline constexpr int kSkinKindOrange = 1;

// The colour whose pixels are cut out of windows and drawn transparently by
// buttons and slider channels.
inline constexpr ColorRef kSkinKeyColour = 0xFF00FF;
// The player window of the "Skin2" family cuts its region along this one.
inline constexpr ColorRef kClassicPlayerKeyColour = 0x131313;

// "Kind" 2 gives "Skin2", every other value "Skin".
std::string SkinOfKind(int kind);
// The skin stored in the settings file; a missing file, section or key
// gives "Skin2".
std::string ReadSkinChoice(const std::filesystem::path& settingsFile);
// Stores the choice: "2" for "Skin2", "1" for any other skin.
bool WriteSkinChoice(const std::filesystem::path& settingsFile, std::string_view skin);

// The folder of the horizontal mini skin of a full skin, e.g. "Skin2/MiniSkin".
std::string MiniSkinOf(std::string_view skin);
// The horizontal / vertical switch of the mini window: only "Skin2" has
// both; for any other skin the mini skin stays as it is.
std::string ToggledMiniSkin(std::string_view skin, std::string_view miniSkin);

// Whether a skin folder belongs to the "Skin2" family: "Skin2" itself or one
// of its mini skin folders ("Skin2/MiniSkin", "skin2\\MiniSkin2"). It decides
// key colours, shadows, list selection bars and the like.
bool IsClassicFamily(std::string_view skinFolder);
// The region key colour of the player window wearing `skin` (a full skin
// or one of its mini skin folders).
ColorRef PlayerKeyColour(std::string_view skin);
