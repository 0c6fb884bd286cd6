#pragma once
// Numbers and fixed sizes of the lyric window: its controls, the commands of
// its context menu and its timers. The numbers are the program's own and are
// kept as they are: the buttons post them and traces name them.

// Controls.
inline constexpr int IDC_LYRIC_CLOSE = 1092;      // "关闭"
inline constexpr int IDC_LYRIC_UP = 1093;         // "向上"
inline constexpr int IDC_LYRIC_DOWN = 1094;       // "向下"
inline constexpr int IDC_LYRIC_REPORT = 1019;     // the error report link

// Commands of the context menu.
inline constexpr int ID_LYRIC_TOPMOST = 32864;     // "总在前面"
inline constexpr int ID_LYRIC_COPY = 32804;        // "复制"
inline constexpr int ID_LYRIC_FONT_DEFAULT = 32860; // "默认字体"
inline constexpr int ID_LYRIC_FONT_LARGE = 32866;  // "大字体"
inline constexpr int ID_LYRIC_FONT_OTHER = 32861;  // "其它字体..."
inline constexpr int ID_LYRIC_NEXT_LINE = 32799;   // "进到下一行"
inline constexpr int ID_LYRIC_PREV_LINE = 32800;   // "退到上一行"
inline constexpr int ID_LYRIC_AHEAD = 32811;       // "进0.5秒"
inline constexpr int ID_LYRIC_BACK = 32812;        // "退0.5秒"
inline constexpr int ID_LYRIC_RESTORE = 32802;     // "恢复"
inline constexpr int ID_LYRIC_ALIGN_LEFT = 32796;  // "左"
inline constexpr int ID_LYRIC_ALIGN_CENTRE = 32798; // "中"
inline constexpr int ID_LYRIC_ALIGN_RIGHT = 32797; // "右"
inline constexpr int ID_LYRIC_HORIZONTAL = 32863;  // "水平模式"
inline constexpr int ID_LYRIC_VERTICAL = 32865;    // "垂直模式"
inline constexpr int ID_LYRIC_REPORT = 32808;      // "歌词纠错"
inline constexpr int ID_LYRIC_HIDE = 32806;        // "关闭"

// Timer 3 gives the shadow back this long after a restore.
inline constexpr int kLyricRestoreDelayMs = 100;

// Layout.
inline constexpr int kCaptionBand = 23;         // the band at the top that moves the window
inline constexpr int kMargin = 6;               // between the lyric area and the text
inline constexpr int kFallbackFontHeight = 16;  // a font that tells no height
inline constexpr int kSizingBorder = 5;         // the edge that resizes the window

// The alignment codes of vertical mode, as the platform's text alignment.
inline constexpr int kAlignLeft = 0;
inline constexpr int kAlignRight = 2;
inline constexpr int kAlignCentre = 6;

// Manual corrections step by this many milliseconds.
inline constexpr int kCorrectionMs = 500;

// The search link's colours (0x00BBGGRR): dark red, blue under the mouse.
inline constexpr unsigned kSearchLinkColour = 200;
inline constexpr unsigned kSearchLinkHoverColour = 0xFF0000;
