#include "skin/SkinChoice.h"

#include "platform/Profile.h"

#include <cctype>

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

bool IsClassicFamily(std::string_view skinFolder) {
    // A mini skin folder ("Skin2/MiniSkin2") counts as its full skin; folder
    // names compare without regard to case, as on the file systems skins
    // were first made for.
    const std::string_view fullSkin = skinFolder.substr(0, skinFolder.find_first_of("/\\"));
    const std::string_view classic = kSkinClassic;
    if (fullSkin.size() != classic.size()) return false;
    for (std::size_t i = 0; i < classic.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(fullSkin[i])) != std::tolower(static_cast<unsigned char>(classic[i])))
            return false;
    }
    return true;
}

ColorRef PlayerKeyColour(std::string_view skin) {
    return IsClassicFamily(skin) ? kClassicPlayerKeyColour : kSkinKeyColour;
}
