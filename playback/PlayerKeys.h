#pragma once
// The player's keys: which key, with which modifiers, does what, given where
// the keyboard focus is in the player or in the my-music panel. The windows
// ask the map and carry the action out with the commands their buttons and
// menus use, so a key does exactly what the click does.

#include <Qt>
#include <QString>

#include <span>

enum class PlayerKey {
    None,
    PlayPause,    // Space
    Next,         // Ctrl+Right
    Previous,     // Ctrl+Left
    SeekForward,  // Right: kSeekStepSeconds on
    SeekBack,     // Left: kSeekStepSeconds back
    VolumeUp,     // Up: as the volume-up button
    VolumeDown,   // Down: as the volume-down button
    Mute,         // M
    FocusSearch,  // Ctrl+F
    ToggleLyric,  // Ctrl+L
    RefreshPage,  // F5: the page the panel shows
    LeaveSearch,  // Escape: out of a text box
};

// Where the keyboard focus is when a key comes.
enum class KeyFocus {
    Window,    // the window itself, a button or a label
    ItemView,  // a song list or the album tree: the arrows, Home, End and Enter are its own
    Slider,    // a slider: it moves with the arrows, Home, End and the page keys
    TextEntry, // a text box: only Escape is the player's, every other key is typing
};

class QWidget;
// Where the focus is, by the kind of the focused control (null: the window).
KeyFocus KeyFocusOf(const QWidget* focused);

struct St_PlayerKeyBinding {
    PlayerKey action;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* text;  // as the README and the tooltips name it
};

class CPlayerKeyMap {
public:
    static constexpr int kSeekStepSeconds = 5;

    // The action of `key` with `modifiers` where the focus is; None when the
    // key is not the player's there (it is then the focused control's own).
    static PlayerKey Map(int key, Qt::KeyboardModifiers modifiers, KeyFocus focus);
    // How the key of `action` is written ("Ctrl+Right"); empty for None.
    static QString KeyText(PlayerKey action);
    static std::span<const St_PlayerKeyBinding> Bindings();
};
