#include "skin/SkinChoice.h"

#include "platform/Profile.h"

std::string SkinOfKind(int kind) { return kind == kSkinKindClassic ? kSkinClassic : kSkinOrange; }

std::string ReadSkinChoice(const std::filesystem::path& settingsFile) {
    return SkinOfKind(GetPrivateProfileInt(kSkinSection, kSkinKindKey, kSkinKindClassic, settingsFile));
}

bool WriteSkinChoice(const std::filesystem::path& settingsFile, std::string_view skin) {
    const int kind = skin == kSkinClassic ? kSkinKindClassic : kSkinKindOrange;
    return WritePrivateProfileString(kSkinSection, kSkinKindKey, std::to_string(kind), settingsFile);
}

std::string MiniSkinOf(std::string_view skin) { return std::string(skin) + "/" + kMiniSkinFolder; }

std::string ToggledMiniSkin(std::string_view skin, std::string_view miniSkin) {
    if (skin != kSkinClassic) return std::string(miniSkin);
    const std::string horizontal = MiniSkinOf(skin);
    if (miniSkin == horizontal) return std::string(skin) + "/" + kMiniSkinVertical;
    return horizontal;
}

bool IsClassicFamily(std::string_view skinFolder) { return skinFolder.find(kSkinClassic) != std::string_view::npos; }

ColorRef PlayerKeyColour(std::string_view skin) {
    // A mini skin folder ("Skin2/MiniSkin2") counts as its full skin.
    const std::string_view fullSkin = skin.substr(0, skin.find_first_of("/\\"));
    return fullSkin == kSkinClassic ? kClassicPlayerKeyColour : kSkinKeyColour;
}
