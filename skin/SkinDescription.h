#pragma once
// One skin's description file, "Skin.ini", read once and then asked section
// by section. Missing files, sections and keys give the defaults (0 or ""),
// so a control without geometry collapses to an empty rectangle at the
// origin. Windows read their sections through this class only.

#include "common/Bitmap.h"
#include "platform/Profile.h"
#include "skin/SkinPaths.h"

#include <QRect>

#include <string>
#include <string_view>

// Values are read into a buffer of this many characters, the last one the
// terminator.
inline constexpr size_t kSkinValueBuffer = 260;

// The geometry of a control is kept within this many pixels either way.
inline constexpr int kSkinCoordinateLimit = 32767;

struct SkinFont {
    int height = 0;  // "FontHeight"
    int width = 0;   // "FontWidth"
    int weight = 0;  // "FontWeight"; 0 = the font mapper's default
};
// The face of the play-time labels.
inline constexpr const char* kSkinTimeFontFace = "Arial Unicode MS";

struct SkinSliderKeys {
    bool transparentThumb = false;  // "bTrans"
    bool vertical = false;          // "Vert"
    bool lowToHigh = true;          // "LowToHight" (default 1)
    bool circle = false;            // "Circle"
};

struct SkinScrollKeys {
    bool vertical = false;  // "Vert"
    bool fade = true;       // "bFade" (default 1)
};

struct SkinTreeColours {
    ColorRef song = 0;       // "SongColor"
    ColorRef songOver = 0;   // "SongOverColor"
    ColorRef album = 0;      // "AlbumColor"
    ColorRef albumOver = 0;  // "AlbumOverColor"
    ColorRef background = 0; // "BkColor"
};

class CSkinDescription {
public:
    // Reads "Skin.ini" of `folder` under `root`; a missing file leaves an
    // empty description that answers with the defaults.
    CSkinDescription(std::string root, std::string_view folder);
    // The skin folder under the program's folder.
    explicit CSkinDescription(std::string_view folder);

    const CSkinPaths& Paths() const { return m_paths; }
    bool Loaded() const { return m_loaded; }
    bool HasSection(std::string_view section) const;

    int Int(std::string_view section, std::string_view key, int defaultValue = 0) const;
    // At most kSkinValueBuffer - 1 bytes (CP936); "" when missing.
    std::string String(std::string_view section, std::string_view key) const;
    // A colour value 0x00BBGGRR written as a decimal integer.
    ColorRef Colour(std::string_view section, std::string_view key, ColorRef defaultValue = 0) const;

    // "PosX", "PosY", "Windth", "Height" as left, top, width, height.
    QRect Rect(std::string_view section) const;
    // "Name": the image name of the section.
    std::string Name(std::string_view section) const;
    ColorRef TextColour(std::string_view section) const { return Colour(section, "TextColor"); }
    ColorRef BackColour(std::string_view section) const { return Colour(section, "BkColor"); }

    SkinFont Font(std::string_view section) const;
    SkinSliderKeys SliderKeys(std::string_view section) const;
    SkinScrollKeys ScrollKeys(std::string_view section) const;
    SkinTreeColours TreeColours(std::string_view section) const;

    // Files named by the section's "Name".
    std::string BitmapFile(std::string_view section) const;
    std::string IconFile(std::string_view section) const;
    SkinButtonFiles ButtonFiles(std::string_view section) const;
    SkinSliderFiles SliderFiles(std::string_view section) const;
    SkinScrollFiles ScrollFiles(std::string_view section) const;
    SkinAnimationFiles AnimationFiles(std::string_view section) const;

private:
    CSkinPaths m_paths;
    CProfile m_profile;
    bool m_loaded = false;
};
