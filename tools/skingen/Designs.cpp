// The layouts of the two shipped skins and their mini skins.

#include "Windows.h"

#include "skin/SkinChoice.h"

namespace {

using L = ButtonLook;
using G = Glyph;

QRgb KeyRgb(ColorRef key) { return qRgb(int(RedOf(key)), int(GreenOf(key)), int(BlueOf(key))); }

// Buttons every full player has, at the given places.
struct PlayerButtons {
    QRect skin, menu, minimize, mini, close, search;
    QRect play, stop, previous, next;
    QRect mute, volumeDown, volumeUp;
    QRect repeat, lyric, library, myMusic, list;
};

std::vector<ButtonSpec> FullPlayerButtons(const PlayerButtons& b) {
    return {
        {"Btn19", b.skin, "ChangeSkin", L::Flat, G::Skin},
        {"Btn5", b.menu, "Menu", L::Flat, G::Menu},
        {"Btn6", b.minimize, "Minimize", L::Flat, G::Minimize},
        {"Btn7", b.mini, "Mini", L::Flat, G::Mini},
        {"Btn8", b.close, "Close", L::Flat, G::Close},
        {"Btn9", b.search, "Search", L::Flat, G::Search},
        {"Btn0", b.play, "Play", L::Round, G::Play, "Btn00", "Pause", G::Pause},
        {"Btn1", b.stop, "Stop", L::Flat, G::Stop},
        {"Btn2", b.previous, "Previous", L::Flat, G::Previous},
        {"Btn3", b.next, "Next", L::Flat, G::Next},
        {"Btn4", b.mute, "Sound", L::Flat, G::Volume, "Btn40", "Muted", G::Mute},
        {"Btn18", b.volumeDown, "VolumeDown", L::Flat, G::VolumeDown},
        {"Btn17", b.volumeUp, "VolumeUp", L::Flat, G::VolumeUp},
        {"Btn10", b.repeat, "RepeatOff", L::Flat, G::RepeatOff, "Btn16", "RepeatOne", G::RepeatOne},
        {"Btn12", b.lyric, "Lyric", L::Flat, G::Lyric},
        {"Btn11", b.library, "Library", L::Flat, G::Library},
        {"Btn14", b.myMusic, "MyMusic", L::Flat, G::MyMusic},
        {"Btn13", b.list, "ListOpen", L::Flat, G::ListOpen, "Btn15", "ListClose", G::ListClose},
    };
}

PlayerLayout ClassicPlayer() {
    PlayerLayout l;
    l.position = QPoint(240, 110);
    l.size = QSize(433, 166);
    l.radius = 14;
    l.display = QRect(14, 32, 405, 62);
    l.animation = QRect(22, 38, 50, 50);
    l.title = QRect(84, 40, 326, 20);
    l.elapsed = QRect(84, 66, 44, 20);
    l.duration = QRect(128, 66, 56, 20);
    l.searchField = QRect(150, 6, 150, 20);
    l.search = QRect(160, 8, 116, 16);
    l.position2 = QRect(14, 98, 405, 24);
    l.volume = QRect(52, 130, 54, 24);
    PlayerButtons b;
    b.skin = QRect(319, 6, 18, 18);
    b.menu = QRect(341, 6, 18, 18);
    b.minimize = QRect(363, 6, 18, 18);
    b.mini = QRect(385, 6, 18, 18);
    b.close = QRect(407, 6, 18, 18);
    b.search = QRect(278, 7, 18, 18);
    b.play = QRect(194, 120, 44, 44);
    b.stop = QRect(126, 131, 22, 22);
    b.previous = QRect(154, 125, 34, 34);
    b.next = QRect(244, 125, 34, 34);
    b.mute = QRect(14, 132, 20, 20);
    b.volumeDown = QRect(36, 134, 16, 16);
    b.volumeUp = QRect(106, 134, 16, 16);
    b.repeat = QRect(296, 132, 22, 20);
    b.lyric = QRect(320, 132, 22, 20);
    b.library = QRect(344, 132, 22, 20);
    b.myMusic = QRect(368, 132, 22, 20);
    b.list = QRect(392, 132, 24, 20);
    l.buttons = FullPlayerButtons(b);
    return l;
}

PlayerLayout OrangePlayer() {
    PlayerLayout l;
    l.position = QPoint(240, 110);
    l.size = QSize(342, 174);
    l.radius = 14;
    l.roundBottom = false;
    l.display = QRect(12, 32, 318, 64);
    l.animation = QRect(20, 40, 48, 48);
    l.title = QRect(76, 40, 156, 20);
    l.elapsed = QRect(76, 68, 48, 20);
    l.duration = QRect(128, 68, 54, 20);
    l.searchField = QRect(190, 68, 134, 20);
    l.search = QRect(200, 70, 100, 16);
    l.position2 = QRect(12, 100, 318, 24);
    l.volume = QRect(226, 136, 56, 24);
    PlayerButtons b;
    b.skin = QRect(228, 6, 18, 18);
    b.menu = QRect(250, 6, 18, 18);
    b.minimize = QRect(272, 6, 18, 18);
    b.mini = QRect(294, 6, 18, 18);
    b.close = QRect(316, 6, 18, 18);
    b.search = QRect(302, 69, 18, 18);
    b.stop = QRect(16, 137, 22, 22);
    b.previous = QRect(44, 131, 34, 34);
    b.play = QRect(82, 126, 44, 44);
    b.next = QRect(130, 131, 34, 34);
    b.mute = QRect(188, 138, 20, 20);
    b.volumeDown = QRect(210, 140, 16, 16);
    b.volumeUp = QRect(282, 140, 16, 16);
    b.list = QRect(304, 137, 26, 22);
    b.repeat = QRect(238, 40, 20, 18);
    b.lyric = QRect(260, 40, 20, 18);
    b.library = QRect(282, 40, 20, 18);
    b.myMusic = QRect(304, 40, 20, 18);
    l.buttons = FullPlayerButtons(b);
    return l;
}

// A horizontal mini bar; `rotate` adds the horizontal / vertical switch.
PlayerLayout MiniBar(int width, bool rotate) {
    PlayerLayout l;
    l.position = QPoint(240, 110);
    l.size = QSize(width, 46);
    l.radius = 12;
    l.showBrand = false;
    l.display = QRect(104, 7, width - 104 - (rotate ? 96 : 76), 32);
    l.title = QRect(110, 9, l.display.width() - 12, 16);
    l.elapsed = QRect(128, 25, 50, 13);
    l.timeFontHeight = 11;
    const int r = width - 12;
    l.buttons = {
        {"Btn2", QRect(8, 10, 26, 26), "Previous", L::Flat, G::Previous},
        {"Btn0", QRect(36, 5, 36, 36), "Play", L::Round, G::Play, "Btn00", "Pause", G::Pause},
        {"Btn3", QRect(74, 10, 26, 26), "Next", L::Flat, G::Next},
        {"Btn4", QRect(108, 24, 16, 15), "Sound", L::Flat, G::Volume, "Btn40", "Muted", G::Mute},
        {"Btn8", QRect(r - 18, 14, 18, 18), "Close", L::Flat, G::Close},
        {"Btn7", QRect(r - 38, 14, 18, 18), "Full", L::Flat, G::Restore},
        {"Btn6", QRect(r - 58, 14, 18, 18), "Minimize", L::Flat, G::Minimize},
    };
    if (rotate) l.buttons.push_back({"Btn20", QRect(r - 78, 14, 18, 18), "Rotate", L::Flat, G::Rotate});
    return l;
}

PlayerLayout MiniTower() {
    PlayerLayout l;
    l.position = QPoint(240, 110);
    l.size = QSize(100, 150);
    l.radius = 14;
    l.showBrand = false;
    l.display = QRect(8, 30, 84, 40);
    l.title = QRect(12, 34, 76, 16);
    l.elapsed = QRect(30, 51, 44, 16);
    l.timeFontHeight = 11;
    l.buttons = {
        {"Btn20", QRect(8, 7, 18, 18), "Rotate", L::Flat, G::Rotate},
        {"Btn6", QRect(29, 7, 18, 18), "Minimize", L::Flat, G::Minimize},
        {"Btn7", QRect(51, 7, 18, 18), "Full", L::Flat, G::Restore},
        {"Btn8", QRect(73, 7, 18, 18), "Close", L::Flat, G::Close},
        {"Btn2", QRect(6, 84, 26, 26), "Previous", L::Flat, G::Previous},
        {"Btn0", QRect(32, 78, 38, 38), "Play", L::Round, G::Play, "Btn00", "Pause", G::Pause},
        {"Btn3", QRect(70, 84, 26, 26), "Next", L::Flat, G::Next},
        {"Btn4", QRect(40, 122, 20, 20), "Sound", L::Flat, G::Volume, "Btn40", "Muted", G::Mute},
    };
    return l;
}

}  // namespace

SkinDesign ClassicDesign() {
    SkinDesign d;
    d.folder = kSkinClassic;
    d.caption = QStringLiteral("乐库经典");
    d.theme = ClassicTheme();
    d.playerKey = KeyRgb(kClassicPlayerKeyColour);
    d.player = ClassicPlayer();
    d.minis = {{QStringLiteral("MiniSkin"), MiniBar(320, true)}, {QStringLiteral("MiniSkin2"), MiniTower()}};
    // The panel docks 39 pixels in and 164 down from the player.
    d.panel = QRect(279, 274, 355, 353);
    d.lyric = QRect(690, 110, 300, 340);
    d.library = QRect(690, 460, 560, 420);
    d.scrollFade = true;
    return d;
}

SkinDesign OrangeDesign() {
    SkinDesign d;
    d.folder = kSkinOrange;
    d.caption = QStringLiteral("橙色梦幻");
    d.theme = OrangeTheme();
    d.playerKey = KeyRgb(kSkinKeyColour);
    d.player = OrangePlayer();
    d.minis = {{QStringLiteral("MiniSkin"), MiniBar(300, false)}};
    // The panel docks right under the player.
    d.panel = QRect(240, 284, 342, 360);
    d.panelSquareTop = true;
    d.lyric = QRect(600, 110, 300, 340);
    d.library = QRect(600, 460, 560, 420);
    d.scrollFade = false;
    return d;
}
