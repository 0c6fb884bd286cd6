#pragma once
// Numbers of the player window: its dialog resource, controls, menus and
// commands. The numbers are the program's own; menus, buttons and the tray
// all reach the window's command table with them. The controller's own
// numbers (1014, 1016, 1017, 1018, 1020, 1022, the play modes) are in
// PlayControllerPorts.h, the commands the tray menu shares with the
// player's (ID_LIBRARY, ID_LYRIC, ID_EXIT, ID_VOLUME_UP, ID_VOLUME_DOWN) in
// NotifyIds.h.

#include "notify/NotifyIds.h"
#include "playback/PlayControllerPorts.h"

inline constexpr int IDD_PLAYER = 102;

// Controls; a button's click is the command of the same number.
inline constexpr int IDC_MAIN_MENU = 1003;      // "主菜单": menu 171
inline constexpr int IDC_MINIMIZE = 1004;       // "最小化"
inline constexpr int IDC_MINI_MODE = 1005;      // "迷你模式" / "外观模式"
inline constexpr int IDC_CLOSE = 1006;          // "关闭": hide, keep running
inline constexpr int IDC_SEARCH_EDIT = 1007;
inline constexpr int IDC_VOLUME_UP = 1008;      // "增加音量"
inline constexpr int IDC_VOLUME_DOWN = 1009;    // "减少音量"
inline constexpr int IDC_SKIN_MENU = 1010;      // "换肤": menu 252
inline constexpr int IDC_ROTATE = 1011;         // "横竖切换"
inline constexpr int IDC_TITLE = 1012;
inline constexpr int IDC_MUTE = 1015;           // "非静音" / "静音"
inline constexpr int IDC_DURATION = 1019;
inline constexpr int IDC_REPEAT_ONE = 1025;     // "打开单曲循环" / "取消单曲循环"
inline constexpr int IDC_LIST = 1027;           // "展开列表" / "收起列表"
inline constexpr int IDC_SEARCH = 1033;         // "搜索"
inline constexpr int IDC_LIBRARY = 1035;        // "乐库"
inline constexpr int IDC_LYRIC = 1038;          // "歌词"
inline constexpr int IDC_MY_PAGE = 1041;        // "我的乐库"
inline constexpr int IDC_TIME = 1067;
inline constexpr int IDC_ANIMATION = 1080;
inline constexpr int IDC_PLAY_PAUSE = kCmdPlayPause;
inline constexpr int IDC_STOP = kCmdStop;
inline constexpr int IDC_PREVIOUS = kCmdPrevious;
inline constexpr int IDC_NEXT = kCmdNext;
inline constexpr int IDC_POSITION_SLIDER = kCtrlPositionSlider;
inline constexpr int IDC_VOLUME_SLIDER = kCtrlVolumeSlider;

// Menus.
inline constexpr int IDR_MAIN_MENU = 171;
inline constexpr int IDR_SKIN_MENU = 252;

// Menu commands.
inline constexpr int ID_HIDE_PLAYER = 32817;     // like the close button
inline constexpr int ID_PLAY_LIST = 32818;       // "播放列表": like the list button
inline constexpr int ID_TOP_MOST = 32821;        // "总在最前"
inline constexpr int ID_MENU_PLAY_PAUSE = 32824; // like the play button
inline constexpr int ID_LOG_OUT = 32836;         // "注销(&U)"
inline constexpr int ID_HELP_PAGE = 32837;       // "使用帮助"
inline constexpr int ID_FEEDBACK_PAGE = 32838;   // "意见反馈"
inline constexpr int ID_ABOUT = 32840;           // "关于"
inline constexpr int ID_ADD_LIBRARY_SONGS = 32866; // "添加乐库歌曲"
inline constexpr int ID_SKIN_CLASSIC = 32869;    // "乐库经典": "Skin2"
inline constexpr int ID_SKIN_ORANGE = 32870;     // "橙色梦幻": "Skin"

// Exit codes of an album worker ended by force.
inline constexpr unsigned kExitCloseWorker = 0xFFFFFFFE;   // by the orderly close
inline constexpr unsigned kExitLogoutWorker = 0xFFFFFFFF;  // by a sign-out that did not end
