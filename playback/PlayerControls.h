#pragma once
// The player window's controls: which section of "Skin.ini" places each
// one, its control number, and its tooltips. Buttons whose pictures follow
// a state take the second section's pictures (and second tooltip) in that
// state: pause while playing, muted, repeat-one on, list open.

#include "playback/PlayerKeys.h"

#include <span>
#include <string_view>

enum class PlayerControlKind {
    Button,
    Animation,       // the playing animation
    Title,           // the rolling title
    Time,            // elapsed time
    Duration,        // the song's length
    VolumeSlider,
    PositionSlider,
    SearchEdit,
};

struct PlayerControlSpec {
    std::string_view section;       // geometry and pictures
    int id;
    PlayerControlKind kind;
    std::string_view tooltip;       // UTF-8, empty for none
    std::string_view stateSection;  // pictures in the other state; empty when the same
    std::string_view stateTooltip;  // tooltip in the other state; empty when the same
};

std::span<const PlayerControlSpec> PlayerControls();
// The control of a number, or nullptr.
const PlayerControlSpec* FindPlayerControl(int id);

// The key that does what a control does (PlayerKey::None for none); its
// tooltip names it.
PlayerKey PlayerControlKey(int id);
// The order Tab walks the controls in: search, the song's controls, the
// sound, the windows beside the player, then the window's own buttons.
std::span<const int> PlayerTabOrder();
// What screen readers call the controls without a tooltip (UTF-8; empty for
// a button, which is called by its tooltip).
std::string_view PlayerControlName(int id);
