#pragma once
// The lyric window's context menu as plain data: its entries, and which of
// them are enabled and checked for the window's state. The window turns it
// into a pop-up menu; the rules are tested here without one.

#include <string>
#include <vector>

enum class LyricFontChoice { Default, Large, Custom };

struct CLyricMenuItem {
    int command = 0;      // 0 for a submenu or a separator
    std::string text;     // UTF-8; empty for a separator
    bool enabled = true;
    bool checked = false;
    std::vector<CLyricMenuItem> children;  // a submenu's entries

    bool IsSeparator() const { return command == 0 && text.empty(); }
    bool IsSubmenu() const { return !children.empty(); }
};

// What the menu shows of the window.
struct CLyricMenuState {
    bool alwaysOnTop = false;
    LyricFontChoice font = LyricFontChoice::Default;
    int align = 0;  // 0 left, 2 right, 6 centre
    bool horizontal = false;
    bool hasSongId = false;
    bool hasTiming = false;
    bool restoreEnabled = false;  // a correction was made
    bool hasLines = false;
};

// The menu for `state`, top-level entries first.
std::vector<CLyricMenuItem> BuildLyricMenu(const CLyricMenuState& state);

// The entry with this command anywhere in the menu, or null; a submenu by
// its text.
const CLyricMenuItem* FindLyricMenuCommand(const std::vector<CLyricMenuItem>& menu, int command);
const CLyricMenuItem* FindLyricSubmenu(const std::vector<CLyricMenuItem>& menu, const std::string& text);

// Whether a menu `menuHeight` pixels tall opens upwards from a click at
// `clickY`: when it does not fit between the click and the screen's bottom.
bool LyricMenuOpensUpwards(int screenBottom, int clickY, int menuHeight);

// The submenu names.
inline constexpr const char* kLyricAdjustMenu = "歌词调整";
inline constexpr const char* kLyricAlignMenu = "对齐方式";
inline constexpr const char* kLyricModeMenu = "显示模式";
