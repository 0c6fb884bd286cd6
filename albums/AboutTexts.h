#pragma once
// What the about boxes say. The ownership lines are this build's own
// settings, kept here and nowhere else; the other texts are the product's
// (UTF-8 here, shown through Qt). The home page is the service host's.

// The path of the service's home page on the service host.
inline constexpr const char* kHomePagePath = "/";
// The ownership line of CAboutTonvik.
inline constexpr const char* kTonvikOwnershipNotice = "版权所有 (C) 2026 Tonvik音乐。保留所有权利。";
// The ownership line of CAboutDlg, with the year.
inline constexpr const char* kAboutBoxOwnershipNotice = "Copyright (C) 2026";

inline constexpr const char* kAboutTonvikCaption = "关于Tonvik Player";
inline constexpr const char* kHomePageCaption = "网址：";
// The version lines, each followed (or framed) by the program's version.
inline constexpr const char* kTonvikVersionCaption = "软件版本：Tonvik Player ";
inline constexpr const char* kAboutBoxCaption = "关于 TonvikMusic";
inline constexpr const char* kAboutBoxVersionText = "TonvikMusic %1 版";
