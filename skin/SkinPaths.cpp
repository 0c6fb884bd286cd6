#include "skin/SkinPaths.h"

#include "common/WellKnownPaths.h"

#include <algorithm>

namespace {

// Skin files were written with "\" between folders.
std::string WithSlashes(std::string_view text) {
    std::string out(text);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

}  // namespace

std::string SkinRoot() {
    std::string root = g_strAppDir;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root;
}

CSkinPaths::CSkinPaths(std::string root, std::string_view folder) : m_root(std::move(root)), m_folder(WithSlashes(folder)) {}

std::string CSkinPaths::ImageBase(std::string_view name) const { return m_root + "/" + m_folder + "/" + WithSlashes(name); }

std::string CSkinPaths::Description() const { return ImageBase(kSkinIniName); }
std::string CSkinPaths::Bitmap(std::string_view name) const { return ImageBase(name) + ".bmp"; }
std::string CSkinPaths::Icon(std::string_view name) const { return ImageBase(name) + ".ico"; }

SkinButtonFiles CSkinPaths::Button(std::string_view name) const {
    const std::string base = ImageBase(name);
    return {base + ".bmp", base + "Over.bmp", base + "Click.bmp", base + "Disable.bmp", base + "Current.bmp"};
}

SkinSliderFiles CSkinPaths::Slider(std::string_view name) const {
    const std::string base = ImageBase(name);
    return {base + ".bmp", base + "full.bmp", base + "thumb.bmp"};
}

SkinAnimationFiles CSkinPaths::Animation(std::string_view name) const {
    const std::string base = ImageBase(name);
    return {base + ".gif", base + "Stop.gif"};
}
