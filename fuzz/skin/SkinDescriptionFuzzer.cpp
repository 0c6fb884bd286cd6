// Arbitrary "Skin.ini" text: read by the profile reader straight from the
// text, then from a skin folder by the skin description, asked section by
// section the way the windows ask.

#include "platform/Profile.h"
#include "skin/SkinDescription.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

const std::filesystem::path& Root() {
    static const std::filesystem::path root = [] {
        const auto path = std::filesystem::temp_directory_path() / ("fuzz_skin." + std::to_string(getpid()));
        std::filesystem::create_directories(path / "Fuzz");
        return path;
    }();
    return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // The profile reader on its own: every section it names answers, and a
    // value written is read back the same after a round trip through text.
    CProfile profile = CProfile::FromText(text);
    const auto sections = profile.SectionNames();
    for (const std::string& section : sections) {
        (void)profile.GetString(section, "Name", "");
        (void)profile.GetInt(section, "PosX", 0);
    }
    profile.SetString("FuzzSection", "FuzzKey", "value");
    const CProfile again = CProfile::FromText(profile.Text());
    Require(again.GetString("FuzzSection", "FuzzKey", "") == "value");

    {
        std::ofstream out(Root() / "Fuzz" / "Skin.ini", std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const CSkinDescription skin(Root().string(), "Fuzz");
    Require(skin.Loaded());
    for (const std::string& section : sections) {
        Require(skin.HasSection(section));
        Require(skin.String(section, "Name").size() < kSkinValueBuffer);
        (void)skin.Rect(section);
        (void)skin.Font(section);
        (void)skin.SliderKeys(section);
        (void)skin.ScrollKeys(section);
        (void)skin.TreeColours(section);
        (void)skin.TextColour(section);
        (void)skin.ButtonFiles(section);
        (void)skin.SliderFiles(section);
        (void)skin.ScrollFiles(section);
        (void)skin.AnimationFiles(section);
        (void)skin.BitmapFile(section);
        (void)skin.IconFile(section);
    }
    return 0;
}
