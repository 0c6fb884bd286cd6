#include "skin/SkinDescription.h"

#include <algorithm>

CSkinDescription::CSkinDescription(std::string root, std::string_view folder) : m_paths(std::move(root), folder) {
    m_loaded = m_profile.Load(m_paths.Description());
}

CSkinDescription::CSkinDescription(std::string_view folder) : CSkinDescription(SkinRoot(), folder) {}

namespace {

bool SameName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

}  // namespace

bool CSkinDescription::HasSection(std::string_view section) const {
    for (const std::string& name : m_profile.SectionNames())
        if (SameName(name, section)) return true;
    return false;
}

int CSkinDescription::Int(std::string_view section, std::string_view key, int defaultValue) const {
    return m_profile.GetInt(section, key, defaultValue);
}

std::string CSkinDescription::String(std::string_view section, std::string_view key) const {
    std::string value = m_profile.GetString(section, key, "");
    if (value.size() > kSkinValueBuffer - 1) value.resize(kSkinValueBuffer - 1);
    return value;
}

ColorRef CSkinDescription::Colour(std::string_view section, std::string_view key, ColorRef defaultValue) const {
    return static_cast<ColorRef>(Int(section, key, static_cast<int>(defaultValue)));
}

QRect CSkinDescription::Rect(std::string_view section) const {
    // A window's coordinates are 16-bit: a value beyond them is a broken
    // file, and would overflow the rectangle's right and bottom edges.
    const auto coordinate = [&](std::string_view key) {
        return std::clamp(Int(section, key), -kSkinCoordinateLimit, kSkinCoordinateLimit);
    };
    return QRect(coordinate("PosX"), coordinate("PosY"), coordinate("Windth"), coordinate("Height"));
}

std::string CSkinDescription::Name(std::string_view section) const { return String(section, "Name"); }

SkinFont CSkinDescription::Font(std::string_view section) const {
    return {Int(section, "FontHeight"), Int(section, "FontWidth"), Int(section, "FontWeight")};
}

SkinSliderKeys CSkinDescription::SliderKeys(std::string_view section) const {
    return {Int(section, "bTrans") != 0, Int(section, "Vert") != 0, Int(section, "LowToHight", 1) != 0,
            Int(section, "Circle") != 0};
}

SkinScrollKeys CSkinDescription::ScrollKeys(std::string_view section) const {
    return {Int(section, "Vert") != 0, Int(section, "bFade", 1) != 0};
}

SkinTreeColours CSkinDescription::TreeColours(std::string_view section) const {
    return {Colour(section, "SongColor"), Colour(section, "SongOverColor"), Colour(section, "AlbumColor"),
            Colour(section, "AlbumOverColor"), Colour(section, "BkColor")};
}

std::string CSkinDescription::BitmapFile(std::string_view section) const { return m_paths.Bitmap(Name(section)); }
std::string CSkinDescription::IconFile(std::string_view section) const { return m_paths.Icon(Name(section)); }
SkinButtonFiles CSkinDescription::ButtonFiles(std::string_view section) const { return m_paths.Button(Name(section)); }
SkinSliderFiles CSkinDescription::SliderFiles(std::string_view section) const { return m_paths.Slider(Name(section)); }
SkinScrollFiles CSkinDescription::ScrollFiles(std::string_view section) const { return m_paths.Scroll(Name(section)); }
SkinAnimationFiles CSkinDescription::AnimationFiles(std::string_view section) const {
    return m_paths.Animation(Name(section));
}
