#pragma once
// Which window reads which sections of "Skin.ini", and what kind of image
// set each section names. Windows place their controls from these; the
// generator of the shipped skins and the checks of a skin use the same
// lists.

#include <span>
#include <string_view>

enum class SkinPart {
    Window,      // geometry + Name.bmp (background, region)
    Button,      // geometry + Name .bmp / Over / Click
    StateImages, // Name only: a button's images in its other state
    TabButton,   // as Button, plus Current
    PageButton,  // as Button, plus Disable
    Slider,      // geometry + Name .bmp / full / thumb
    Scroll,      // geometry + Name .bmp / full / thumb
    Picture,     // geometry + Name.bmp
    Animation,   // geometry + Name.bmp, .gif, Stop.gif
    Icon,        // Name.ico
    Area,        // geometry only
};

struct SkinSectionUse {
    std::string_view section;
    SkinPart part;
};

// Whether the part has a rectangle in its window.
bool HasGeometry(SkinPart part);

// The player window in a full skin.
std::span<const SkinSectionUse> PlayerSections();
// The player window in a mini skin; `switchable` adds the horizontal /
// vertical switch of the "Skin2" mini skins.
std::span<const SkinSectionUse> MiniPlayerSections(bool switchable);
// The my-music panel, without the icons of its list and tree.
std::span<const SkinSectionUse> PanelSections();
// The icons of the list and tree controls.
std::span<const SkinSectionUse> ListIconSections();
std::span<const SkinSectionUse> LyricSections();
// The mini web browser (the library window).
std::span<const SkinSectionUse> LibrarySections();
