#pragma once
// Which skin folder the player window wears: the full skin ("Skin2" or
// "Skin"), its mini skin (horizontal, or vertical under "Skin2"), and
// whether the mini skin shows. Only the full skin survives a restart, as
// "Kind" of section "SKIN" in "TonvikMusic.ini".

#include <filesystem>
#include <string>
#include <string_view>

class CPlayerLooks {
public:
    // The skin chosen in the settings file ("Skin2" when none is).
    explicit CPlayerLooks(const std::filesystem::path& settingsFile);

    const std::string& Skin() const { return m_strSkin; }
    const std::string& MiniSkin() const { return m_strMiniSkin; }
    bool MiniMode() const { return m_bMiniMode; }
    // The folder the window reads now: the mini skin in mini mode.
    const std::string& CurrentFolder() const { return m_bMiniMode ? m_strMiniSkin : m_strSkin; }

    // Makes `skin` the full skin, its horizontal mini skin the mini one, and
    // stores the choice. False, with nothing changed or written, when `skin`
    // is already worn.
    bool ChooseSkin(std::string_view skin, const std::filesystem::path& settingsFile);
    void SetMiniMode(bool miniMode) { m_bMiniMode = miniMode; }
    // Swaps the horizontal and the vertical mini skin; false (nothing
    // changed) for a skin that has only one.
    bool Rotate();

private:
    std::string m_strSkin;
    std::string m_strMiniSkin;
    bool m_bMiniMode = false;
};
