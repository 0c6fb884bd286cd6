#pragma once
// Numbers of the mini web browser (the library pane): its dialog resource,
// controls and timers. The numbers are the program's own.

inline constexpr int IDD_MINIWEB = 103;          // CMiniWebBrowserDlg
inline constexpr int IDC_MINIWEB_BROWSER = 102;  // the page view
inline constexpr int IDC_LIB_BACK = 1185;        // "前一页"
inline constexpr int IDC_LIB_FORWARD = 1186;     // "下一页"
inline constexpr int IDC_LIB_REFRESH = 1187;     // "刷新"
inline constexpr int IDC_LIB_CLOSE = 1088;       // "关闭"

// After a restore, gives the window its shadow back once it is on screen.
inline constexpr int kShadowRestoreTimer = 3;
inline constexpr int kShadowRestoreDelayMs = 50;
