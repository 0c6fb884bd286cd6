#include "playback/PlayerLooks.h"

#include "common/Trace.h"
#include "skin/SkinChoice.h"

CPlayerLooks::CPlayerLooks(const std::filesystem::path& settingsFile)
    : m_strSkin(ReadSkinChoice(settingsFile)), m_strMiniSkin(MiniSkinOf(m_strSkin)) {}

bool CPlayerLooks::ChooseSkin(std::string_view skin, const std::filesystem::path& settingsFile) {
    if (skin == m_strSkin) return false;
    m_strSkin = std::string(skin);
    m_strMiniSkin = MiniSkinOf(m_strSkin);
    if (!WriteSkinChoice(settingsFile, m_strSkin)) Trace("ChooseSkin===%s not written", settingsFile.string().c_str());
    return true;
}

bool CPlayerLooks::Rotate() {
    const std::string rotated = ToggledMiniSkin(m_strSkin, m_strMiniSkin);
    if (rotated == m_strMiniSkin) return false;
    m_strMiniSkin = rotated;
    return true;
}
