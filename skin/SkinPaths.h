#pragma once
// File names of a skin: the description file, bitmaps, icons and the image
// sets that derive from one base name. A skin folder sits in the skin root
// (the program's folder); names in "Skin.ini" may use "\" between folders.

#include <string>
#include <string_view>

// The skin root: the program's folder without a trailing separator.
std::string SkinRoot();

struct SkinButtonFiles {
    std::string normal;   // base + ".bmp"
    std::string over;     // base + "Over.bmp"
    std::string click;    // base + "Click.bmp"
    std::string disable;  // base + "Disable.bmp" (the library window's page buttons)
    std::string current;  // base + "Current.bmp" (the my-music panel's tabs)
};

struct SkinSliderFiles {
    std::string channel;  // base + ".bmp"
    std::string full;     // base + "full.bmp": the channel filled up to the thumb
    std::string thumb;    // base + "thumb.bmp": normal and active thumb alike
};

struct SkinAnimationFiles {
    std::string playing;  // base + ".gif"
    std::string stopped;  // base + "Stop.gif"
};

// The same derived names serve the scroll bar: its thumb source is the
// slider's `thumb`, its track `channel` and `full`.
using SkinScrollFiles = SkinSliderFiles;

class CSkinPaths {
public:
    // `root` without trailing separator, `folder` e.g. "Skin2" or "Skin2\MiniSkin".
    CSkinPaths(std::string root, std::string_view folder);

    const std::string& Root() const { return m_root; }
    const std::string& Folder() const { return m_folder; }

    std::string Description() const;                    // root/folder/Skin.ini
    std::string Bitmap(std::string_view name) const;    // root/folder/name.bmp
    std::string Icon(std::string_view name) const;      // root/folder/name.ico
    std::string ImageBase(std::string_view name) const; // root/folder/name

    SkinButtonFiles Button(std::string_view name) const;
    SkinSliderFiles Slider(std::string_view name) const;
    SkinScrollFiles Scroll(std::string_view name) const { return Slider(name); }
    SkinAnimationFiles Animation(std::string_view name) const;

private:
    std::string m_root;
    std::string m_folder;
};
