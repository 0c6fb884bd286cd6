#pragma once
// The windows of one full skin and its mini skins, drawn from a theme and a
// layout, written with CSkinWriter.

#include "Art.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

struct ButtonSpec {
    const char* section;
    QRect rect;
    const char* name;
    ButtonLook look;
    Glyph glyph;
    // The same button in its other state (section with "Name" only).
    const char* otherSection = nullptr;
    const char* otherName = nullptr;
    Glyph otherGlyph = Glyph::Play;
};

struct PlayerLayout {
    QPoint position;
    QSize size;
    bool roundBottom = true;
    double radius = 12;
    QRect display;            // the dark inset; empty for none
    QRect animation;          // "Static4"; empty for none
    QRect title;              // "Static0"
    QRect elapsed, duration;  // "Static1", "Static5"; empty for none
    QRect searchField;        // frame drawn in the background; empty for none
    QRect search;             // "Edit0"
    QRect volume, position2;  // "Slider0", "Slider1"; empty for none
    int timeFontHeight = 14;
    bool showBrand = true;
    std::vector<ButtonSpec> buttons;
};

struct SkinDesign {
    QString folder;   // "Skin2" or "Skin"
    QString caption;  // "乐库经典" / "橙色梦幻"
    Theme theme;
    QRgb playerKey;
    PlayerLayout player;
    std::vector<std::pair<QString, PlayerLayout>> minis;  // folder under the skin, layout
    QRect panel;        // "Wnd1" rectangle
    bool panelSquareTop = false;
    QRect lyric;        // "Wnd_Lyric"
    QRect library;      // "Wnd_Lib"
    bool scrollFade = true;
};

SkinDesign ClassicDesign();
SkinDesign OrangeDesign();

// Writes the skin folder and its mini skins under `dataDir`; false on a
// write failure.
bool WriteSkin(const QString& dataDir, const SkinDesign& design);
// The program's own pictures (icons, selection bar, tip backgrounds, the
// update prompt picture) under `dataDir`/res.
bool WriteProgramResources(const QString& dataDir);
