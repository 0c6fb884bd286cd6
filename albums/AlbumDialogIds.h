#pragma once
// Numbers of the about and tip dialogs: dialog resources, controls, timers,
// commands and cursors. The numbers are the program's own.

inline constexpr int IDD_ABOUT_TONVIK = 173;    // CAboutTonvik
inline constexpr int IDD_ABOUTBOX = 100;        // CAboutDlg
inline constexpr int IDD_ADD_TIP = 234;         // CAddTipDlg
inline constexpr int IDC_HOMEPAGE_LINK = 1066;  // the home page link of CAboutTonvik
inline constexpr int IDC_LINK_CURSOR = 211;     // the link's cursor
inline constexpr int ID_APP_ABOUT = 57664;      // the application's standard "about" command
inline constexpr int ID_ABOUT_TONVIK = 32840;   // the player's "about" command
inline constexpr int kTipCloseTimer = 1;        // CAddTipDlg closes itself when it fires
