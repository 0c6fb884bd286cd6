#pragma once
// Numbers of the notification windows: messages, timers, the tray menu and
// its commands. The numbers are the program's own and are kept as they are.

// Messages.
inline constexpr unsigned WM_TRAY_NOTIFY = 1129;         // tray icon → hidden window, then owner
inline constexpr unsigned WM_NOTIFIER_CLICKED = 1147;    // notifier → owner, no parameters
inline constexpr unsigned WM_NULL_MESSAGE = 0x0000;

// The mouse messages a tray notification carries in lParam.
inline constexpr unsigned WM_CONTEXTMENU_MSG = 0x007B;
inline constexpr unsigned WM_MOUSEMOVE_MSG = 0x0200;
inline constexpr unsigned WM_LBUTTONDOWN_MSG = 0x0201;
inline constexpr unsigned WM_LBUTTONUP_MSG = 0x0202;
inline constexpr unsigned WM_LBUTTONDBLCLK_MSG = 0x0203;
inline constexpr unsigned WM_RBUTTONDOWN_MSG = 0x0204;
inline constexpr unsigned WM_RBUTTONUP_MSG = 0x0205;
inline constexpr unsigned WM_MBUTTONUP_MSG = 0x0208;
inline constexpr unsigned NIN_SELECT_MSG = 0x0400;
inline constexpr unsigned NIN_KEYSELECT_MSG = 0x0401;

// Which parts of the tray record an add or a modification carries.
inline constexpr unsigned NIF_MESSAGE_FLAG = 0x01;
inline constexpr unsigned NIF_ICON_FLAG = 0x02;
inline constexpr unsigned NIF_TIP_FLAG = 0x04;
inline constexpr unsigned NIF_INFO_FLAG = 0x10;

// Balloon icon flags.
inline constexpr unsigned NIIF_NONE_FLAG = 0x0;
inline constexpr unsigned NIIF_INFO_ICON = 0x1;
inline constexpr unsigned NIIF_WARNING_ICON = 0x2;
inline constexpr unsigned NIIF_ERROR_ICON = 0x3;

// Tray icon timers and limits.
inline constexpr int kTrayAnimationTimer = 1001;   // default animation timer
inline constexpr int kTrayRetryTimer = 2;          // re-adding a refused icon
inline constexpr int kTrayRetryElapse = 2000;      // ms
inline constexpr int kTrayTipLimitBefore = 64;     // tooltip bytes + 1 before creation
inline constexpr int kTrayTipLimitAfter = 128;     // tooltip bytes + 1 after creation
inline constexpr int kTrayBalloonTextLimit = 255;  // bytes
inline constexpr int kTrayBalloonTitleLimit = 63;  // bytes
inline constexpr unsigned kTrayBalloonTimeout = 3000;  // ms
inline constexpr int kTrayIconSize = 16;           // icons set by resource
inline constexpr int kTrayFrameIconSize = 32;      // animation frames

// The tray menu and the main frame's tray settings.
inline constexpr int IDR_TRAY_MENU = 218;
inline constexpr int ID_SHOW_MAIN = 32852;         // "显示主界面", the default command
inline constexpr int ID_LIBRARY = 32819;           // "乐库"
inline constexpr int ID_LYRIC = 32820;             // "歌词"
inline constexpr int ID_MINIMIZE = 32861;          // "最小化"
inline constexpr int ID_EXIT = 32862;              // "退出"
inline constexpr int ID_SONG_NOTICE = 32901;       // "歌曲通知": a note when a song starts
// "播放控制"
inline constexpr int ID_PLAY_PAUSE = 1017;         // "播放/暂停"
inline constexpr int ID_STOP = 1018;               // "停止"
inline constexpr int ID_PREVIOUS = 1020;           // "上一首"
inline constexpr int ID_NEXT = 1022;               // "下一首"
inline constexpr int ID_VOLUME_UP = 32828;         // "增大音量"
inline constexpr int ID_VOLUME_DOWN = 32829;       // "减少音量"
inline constexpr int ID_MUTE = 1015;               // "静音"
// "播放模式": modes 0 to 4.
inline constexpr int ID_PLAYMODE_FIRST = 32788;
inline constexpr int ID_PLAYMODE_LAST = 32792;

// Notifier.
inline constexpr int IDB_NOTIFIER_SKIN = 251;
