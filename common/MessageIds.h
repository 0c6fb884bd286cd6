#pragma once
// The window messages of the program, by number. The numbers are the
// program's own and are kept as they are: other processes and tests send
// them, and traces name them.

#include <cstdint>

inline constexpr unsigned WM_USER = 0x0400;

// Framework messages the message layer dispatches itself.
inline constexpr unsigned WM_COMMAND = 0x0111;     // wParam: command number
inline constexpr unsigned WM_SYSCOMMAND = 0x0112;  // wParam: system command
inline constexpr unsigned SC_CLOSE = 0xF060;
inline constexpr unsigned SC_MINIMIZE = 0xF020;
inline constexpr unsigned SC_RESTORE = 0xF120;

// Main frame: from other processes and from the windows it owns.
inline constexpr unsigned WM_FRAME_CLOSEAPP = WM_USER + 85;       // 0x0455, orderly close
inline constexpr unsigned WM_FRAME_LIBSONG = WM_USER + 101;       // 0x0465, songs chosen on a page
inline constexpr unsigned WM_FRAME_SONGINFO = WM_USER + 103;      // 0x0467, song information page
inline constexpr unsigned WM_FRAME_ALBUMINFO = WM_USER + 104;     // 0x0468, album editing page
inline constexpr unsigned WM_FRAME_ACTIVATE = WM_USER + 107;      // 0x046B, second instance: show the player
// A second start with a desktop action ("tonvikmusic --next"): wParam is
// the action, as the media keys would do it. Nothing else is taken.
inline constexpr unsigned WM_FRAME_DESKTOPACTION = WM_USER + 108; // 0x046C
inline constexpr std::uintptr_t kDesktopActionPlayPause = 1;
inline constexpr std::uintptr_t kDesktopActionNext = 2;

// Player window.
inline constexpr unsigned WM_PLAYER_SONGEND = 0x0451;   // posted: continue by play mode
inline constexpr unsigned WM_PLAYER_SONGREADY = 0x0452; // sent by the lookup thread: play it
inline constexpr unsigned WM_PLAYER_ERROR = 0x0453;     // posted: show the error and stop

// Lyric window: wParam 0 play from lParam ms, 1 pause, 2 resume, 3 stop.
inline constexpr unsigned WM_LYRIC_SYNC = 0x04BE;

// My-music panel.
inline constexpr unsigned WM_PANEL_ALBUMNAMED = 0x040F;
inline constexpr unsigned WM_PANEL_ALBUMRENAMED = 0x0436;
inline constexpr unsigned WM_PANEL_ALBUMDONE = 0x0439;       // posted by the album worker
inline constexpr unsigned WM_PANEL_RECOMMENDDONE = 0x043A;   // recommendation worker

// Bitmap slider → its parent, wParam: the slider's control number.
inline constexpr unsigned WM_SLIDER_DRAGSTART = 0x28D1;
inline constexpr unsigned WM_SLIDER_DRAGEND = 0x28D2;

// The hidden main frame, as other processes find it (UTF-8).
inline constexpr const char* kMainFrameTitle = "Tonvik音乐主框架";
inline constexpr const char* kMainFrameClassName = "TonvikMusicClassWindow";
