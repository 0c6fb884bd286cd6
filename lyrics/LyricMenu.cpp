#include "lyrics/LyricMenu.h"

#include "lyrics/LyricWindowIds.h"

namespace {

CLyricMenuItem Command(int command, const char* text, bool enabled = true, bool checked = false) {
    CLyricMenuItem item;
    item.command = command;
    item.text = text;
    item.enabled = enabled;
    item.checked = checked;
    return item;
}

CLyricMenuItem Submenu(const char* text, bool enabled, std::vector<CLyricMenuItem> children) {
    CLyricMenuItem item;
    item.text = text;
    item.enabled = enabled;
    item.children = std::move(children);
    return item;
}

CLyricMenuItem Separator() { return {}; }

template <typename Match>
const CLyricMenuItem* FindIn(const std::vector<CLyricMenuItem>& items, const Match& match) {
    for (const auto& item : items) {
        if (match(item)) return &item;
        if (const CLyricMenuItem* found = FindIn(item.children, match)) return found;
    }
    return nullptr;
}

}  // namespace

std::vector<CLyricMenuItem> BuildLyricMenu(const CLyricMenuState& state) {
    // Corrections need a song of the service with timed lines.
    const bool timed = state.hasSongId && state.hasTiming;
    const bool lines = state.hasLines;
    using enum LyricFontChoice;
    std::vector<CLyricMenuItem> menu = {
        Command(ID_LYRIC_TOPMOST, "总在前面", true, state.alwaysOnTop),
        Separator(),
        Command(ID_LYRIC_COPY, "复制", lines),
        Separator(),
        Command(ID_LYRIC_FONT_DEFAULT, "默认字体", lines, state.font == Default),
        Command(ID_LYRIC_FONT_LARGE, "大字体", lines, state.font == Large),
        Command(ID_LYRIC_FONT_OTHER, "其它字体...", lines, state.font == Custom),
        Separator(),
        Submenu(kLyricAdjustMenu, lines,
                {Command(ID_LYRIC_NEXT_LINE, "进到下一行", timed), Command(ID_LYRIC_PREV_LINE, "退到上一行", timed),
                 Command(ID_LYRIC_AHEAD, "进0.5秒", timed), Command(ID_LYRIC_BACK, "退0.5秒", timed), Separator(),
                 Command(ID_LYRIC_RESTORE, "恢复", timed && state.restoreEnabled)}),
        // The alignment only matters to the vertical column.
        Submenu(kLyricAlignMenu, lines && !state.horizontal,
                {Command(ID_LYRIC_ALIGN_LEFT, "左", true, state.align == kAlignLeft),
                 Command(ID_LYRIC_ALIGN_CENTRE, "中", true, state.align == kAlignCentre),
                 Command(ID_LYRIC_ALIGN_RIGHT, "右", true, state.align == kAlignRight)}),
        Submenu(kLyricModeMenu, lines,
                {Command(ID_LYRIC_HORIZONTAL, "水平模式", true, state.horizontal),
                 Command(ID_LYRIC_VERTICAL, "垂直模式", true, !state.horizontal)}),
        Separator(),
        Command(ID_LYRIC_REPORT, "歌词纠错", lines && state.hasSongId),
        Separator(),
        Command(ID_LYRIC_HIDE, "关闭"),
    };
    return menu;
}

const CLyricMenuItem* FindLyricMenuCommand(const std::vector<CLyricMenuItem>& menu, int command) {
    return FindIn(menu, [command](const CLyricMenuItem& item) { return item.command == command && command != 0; });
}

const CLyricMenuItem* FindLyricSubmenu(const std::vector<CLyricMenuItem>& menu, const std::string& text) {
    return FindIn(menu, [&text](const CLyricMenuItem& item) { return item.IsSubmenu() && item.text == text; });
}

bool LyricMenuOpensUpwards(int screenBottom, int clickY, int menuHeight) { return screenBottom < clickY + menuHeight; }
