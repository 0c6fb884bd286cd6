#include "skin/SkinCatalogue.h"

#include <array>

namespace {

using P = SkinPart;

constexpr std::array kPlayer{
    SkinSectionUse{"Wnd0", P::Window},      SkinSectionUse{"Btn0", P::Button},
    SkinSectionUse{"Btn00", P::StateImages}, SkinSectionUse{"Btn1", P::Button},
    SkinSectionUse{"Btn2", P::Button},      SkinSectionUse{"Btn3", P::Button},
    SkinSectionUse{"Btn4", P::Button},      SkinSectionUse{"Btn40", P::StateImages},
    SkinSectionUse{"Btn5", P::Button},      SkinSectionUse{"Btn6", P::Button},
    SkinSectionUse{"Btn7", P::Button},      SkinSectionUse{"Btn8", P::Button},
    SkinSectionUse{"Btn9", P::Button},      SkinSectionUse{"Btn10", P::Button},
    SkinSectionUse{"Btn16", P::StateImages}, SkinSectionUse{"Btn11", P::Button},
    SkinSectionUse{"Btn12", P::Button},     SkinSectionUse{"Btn13", P::Button},
    SkinSectionUse{"Btn15", P::StateImages}, SkinSectionUse{"Btn14", P::Button},
    SkinSectionUse{"Btn17", P::Button},     SkinSectionUse{"Btn18", P::Button},
    SkinSectionUse{"Btn19", P::Button},     SkinSectionUse{"Static0", P::Picture},
    SkinSectionUse{"Static1", P::Picture},  SkinSectionUse{"Static5", P::Picture},
    SkinSectionUse{"Static4", P::Animation}, SkinSectionUse{"Slider0", P::Slider},
    SkinSectionUse{"Slider1", P::Slider},   SkinSectionUse{"Edit0", P::Area},
};

constexpr std::array kMiniPlayer{
    SkinSectionUse{"Wnd0", P::Window},      SkinSectionUse{"Btn0", P::Button},
    SkinSectionUse{"Btn00", P::StateImages}, SkinSectionUse{"Btn2", P::Button},
    SkinSectionUse{"Btn3", P::Button},      SkinSectionUse{"Btn4", P::Button},
    SkinSectionUse{"Btn40", P::StateImages}, SkinSectionUse{"Btn6", P::Button},
    SkinSectionUse{"Btn7", P::Button},      SkinSectionUse{"Btn8", P::Button},
    SkinSectionUse{"Static0", P::Picture},
};

constexpr std::array kMiniPlayerSwitchable{
    SkinSectionUse{"Wnd0", P::Window},      SkinSectionUse{"Btn0", P::Button},
    SkinSectionUse{"Btn00", P::StateImages}, SkinSectionUse{"Btn2", P::Button},
    SkinSectionUse{"Btn3", P::Button},      SkinSectionUse{"Btn4", P::Button},
    SkinSectionUse{"Btn40", P::StateImages}, SkinSectionUse{"Btn6", P::Button},
    SkinSectionUse{"Btn7", P::Button},      SkinSectionUse{"Btn8", P::Button},
    SkinSectionUse{"Static0", P::Picture},  SkinSectionUse{"Btn20", P::Button},
};

constexpr std::array kPanel{
    SkinSectionUse{"Wnd1", P::Window},        SkinSectionUse{"Btn100", P::TabButton},
    SkinSectionUse{"Btn101", P::TabButton},   SkinSectionUse{"Btn102", P::TabButton},
    SkinSectionUse{"Btn103", P::Button},      SkinSectionUse{"Btn104", P::Button},
    SkinSectionUse{"Btn105", P::Button},      SkinSectionUse{"Btn106", P::Button},
    SkinSectionUse{"Btn107", P::Button},      SkinSectionUse{"Btn108", P::Button},
    SkinSectionUse{"Btn109", P::Button},      SkinSectionUse{"Btn110", P::Button},
    SkinSectionUse{"Btn111", P::Button},      SkinSectionUse{"Btn112", P::Button},
    SkinSectionUse{"Btn113", P::Button},      SkinSectionUse{"Btn114", P::Button},
    SkinSectionUse{"Btn115", P::Button},      SkinSectionUse{"Btn116", P::Button},
    SkinSectionUse{"Btn117", P::Button},      SkinSectionUse{"Btn118", P::Button},
    SkinSectionUse{"Btn119", P::Button},      SkinSectionUse{"Scroll00", P::Scroll},
    SkinSectionUse{"List100", P::Picture},    SkinSectionUse{"List101", P::Picture},
    SkinSectionUse{"List102", P::Area},       SkinSectionUse{"Static102", P::Area},
    SkinSectionUse{"Static103", P::Picture},  SkinSectionUse{"Static104", P::Area},
    SkinSectionUse{"Static105", P::Area},     SkinSectionUse{"Static106", P::Area},
    SkinSectionUse{"Static109", P::Area},     SkinSectionUse{"Static110", P::Area},
    SkinSectionUse{"Static111", P::Area},     SkinSectionUse{"Static112", P::Area},
    SkinSectionUse{"Static113", P::Area},     SkinSectionUse{"Static114", P::Area},
    SkinSectionUse{"Static115", P::Area},     SkinSectionUse{"Static118", P::Picture},
    SkinSectionUse{"Edit100", P::Area},       SkinSectionUse{"Edit101", P::Area},
    SkinSectionUse{"Check100", P::Area},      SkinSectionUse{"Check101", P::Area},
};

constexpr std::array kListIcons{
    SkinSectionUse{"Icon0", P::Icon}, SkinSectionUse{"Icon00", P::Icon}, SkinSectionUse{"Icon1", P::Icon},
    SkinSectionUse{"Icon2", P::Icon}, SkinSectionUse{"Icon20", P::Icon}, SkinSectionUse{"Icon3", P::Icon},
    SkinSectionUse{"Icon30", P::Icon}, SkinSectionUse{"Icon4", P::Icon},
};

constexpr std::array kLyric{
    SkinSectionUse{"Wnd_Lyric", P::Window},      SkinSectionUse{"Wnd_Lyric_Btn0", P::Button},
    SkinSectionUse{"Wnd_Lyric_Btn1", P::Button}, SkinSectionUse{"Wnd_Lyric_Btn2", P::Button},
    SkinSectionUse{"Wnd_Lyric_Static", P::Area},
};

constexpr std::array kLibrary{
    SkinSectionUse{"Wnd_Lib", P::Window},          SkinSectionUse{"Wnd_Lib_Client", P::Area},
    SkinSectionUse{"Wnd_Lib_Btn0", P::PageButton}, SkinSectionUse{"Wnd_Lib_Btn1", P::PageButton},
    SkinSectionUse{"Wnd_Lib_Btn2", P::PageButton}, SkinSectionUse{"Wnd_Lib_Btn3", P::Button},
};

}  // namespace

bool HasGeometry(SkinPart part) { return part != SkinPart::StateImages && part != SkinPart::Icon; }

std::span<const SkinSectionUse> PlayerSections() { return kPlayer; }
std::span<const SkinSectionUse> MiniPlayerSections(bool switchable) {
    if (switchable) return kMiniPlayerSwitchable;
    return kMiniPlayer;
}
std::span<const SkinSectionUse> PanelSections() { return kPanel; }
std::span<const SkinSectionUse> ListIconSections() { return kListIcons; }
std::span<const SkinSectionUse> LyricSections() { return kLyric; }
std::span<const SkinSectionUse> LibrarySections() { return kLibrary; }
