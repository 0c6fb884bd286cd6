#pragma once
// Numbers of the my-music panel: its pages, views, buttons, menus, commands
// and timers. The numbers are the program's own; buttons, menus and the
// player's and tray's requests all reach the panel's command table with them.

#include "albums/AlbumPorts.h"
#include "playback/PlayControllerPorts.h"
#include "playback/PlayerIds.h"

// The page shown while the recommendations load for the first time (a busy
// picture instead of the view). The other pages are PanelPage.
inline constexpr int kPageRecommendLoading = 12;

// Views.
inline constexpr int IDC_PLAYLIST_VIEW = 1037;   // "List100", list kind 0
inline constexpr int IDC_RECOMMEND_VIEW = 1047;  // "List101", list kind 2
inline constexpr int IDC_ALBUM_TREE = 1046;      // "List102"
inline constexpr int IDC_SCROLL_BAR = 1093;       // "Scroll00": the panel's own scroll bar

// Tabs, buttons and the commands they share a number with.
inline constexpr int ID_CLOSE_PANEL = 1006;
inline constexpr int ID_TAB_PLAYLIST = 1031;
inline constexpr int ID_TAB_RECOMMEND = 1032;
inline constexpr int ID_GO_RECOMMEND = 1071;     // "进入随意听" on the empty play list
inline constexpr int ID_TAB_ALBUMS = 1034;
inline constexpr int ID_ADD_SONGS = 1040;        // the "添加" button: the web pane's search
inline constexpr int ID_GO_SEARCH = 1073;        // "进入搜索", and the album menu's "添加歌曲"
inline constexpr int ID_DELETE_MENU = 1042;
inline constexpr int ID_SORT_MENU = 1043;
inline constexpr int ID_MODE_MENU = 1044;
inline constexpr int ID_SAVE_MENU = 1045;
inline constexpr int ID_REFRESH_RECOMMEND = 1048;
inline constexpr int ID_REMEMBER_PASS = 1056;    // the remember-password box unchecked
inline constexpr int ID_AUTO_LOGON = 1057;       // the automatic-sign-in box checked
inline constexpr int ID_SIGN_IN = 1058;
inline constexpr int ID_REMEMBER_CAPTION = 1110;  // "记住密码": toggles its box
inline constexpr int ID_AUTO_LOGON_CAPTION = 1112;  // "自动登录": toggles its box
inline constexpr int ID_NEW_ALBUM = 1064;        // "创建专辑" on the no-album page
inline constexpr int ID_FORGOT_PASS = 1078;
inline constexpr int ID_REGISTER = 1079;
inline constexpr int ID_SCROLL_PAGE_UP = 1080;   // ten rows
inline constexpr int ID_SCROLL_PAGE_DOWN = 1081;
inline constexpr int ID_SCROLL_UP = 1082;        // one row
inline constexpr int ID_SCROLL_DOWN = 1084;
inline constexpr int ID_TREE_SCROLL_UP = 1090;   // one line of the album tree
inline constexpr int ID_TREE_SCROLL_DOWN = 1091;

// Menu commands.
inline constexpr int ID_PLAY_SONG = 32771;       // "播放": the selected song of the view
inline constexpr int ID_PLAY_RECOMMEND = 32793;
inline constexpr int ID_PLAY_ALBUM = 32783;      // the selected album's first song
inline constexpr int ID_ADD_RECOMMEND_TO_LIST = 32797;  // "添加到播放列表"
inline constexpr int ID_ADD_SONG_TO_LIST = 32807;
inline constexpr int ID_ADD_ALBUM_TO_LIST = 32847;
inline constexpr int ID_SEARCH_SINGER = 32801;   // "按歌手"
inline constexpr int ID_SEARCH_ALBUM = 32802;    // "按专辑"
inline constexpr int ID_SEARCH_TITLE = 32803;    // "按歌曲"
inline constexpr int ID_MOVE_UP = 32804;
inline constexpr int ID_MOVE_DOWN = 32805;
inline constexpr int ID_SORT_BY_NAME = 32841;
inline constexpr int ID_SORT_BY_SINGER = 32842;
inline constexpr int ID_RENAME_ALBUM = 32843;
inline constexpr int ID_DELETE_ALBUM = 32799;
inline constexpr int ID_DELETE_ALBUM_SONGS = 32846;
inline constexpr int ID_DELETE_SONGS = 32863;    // "删除" of the play-list view
inline constexpr int ID_DELETE_SELECTED = 32784; // "所选歌曲"
inline constexpr int ID_DELETE_DUPLICATES = 32785;  // "重复歌曲"
inline constexpr int ID_CLEAR_LIST = 32806;      // "清空列表"
inline constexpr int ID_MODE_FIRST = kCmdModeFirst;              // 32788 … 32792
inline constexpr int ID_MODE_LAST = kCmdModeFirst + kModeRepeatList;
inline constexpr int ID_SAVE_TO_FIRST = 900;     // 900 + album index; the new album follows
inline constexpr int ID_SAVE_TO_LAST = 1000;
// The tray's "添加乐库歌曲" (the player's is ID_ADD_LIBRARY_SONGS).
inline constexpr int ID_TRAY_ADD_LIBRARY_SONGS = 32782;

// Timers.
inline constexpr int kRefreshSettleTimer = 1;   // 2000 ms after a refresh
inline constexpr int kAdvertTimer = 2;          // 1000 ms after start: the advertisement page
inline constexpr int kShadowTimer = 3;          // 100 ms after a restore: the shadow's size
