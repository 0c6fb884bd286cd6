#include "playback/PlayerControls.h"

#include "playback/PlayerIds.h"

#include <array>

namespace {

using K = PlayerControlKind;

constexpr std::array kControls{
    PlayerControlSpec{"Btn0", IDC_PLAY_PAUSE, K::Button, "播放", "Btn00", "暂停"},
    PlayerControlSpec{"Btn1", IDC_STOP, K::Button, "停止", "", ""},
    PlayerControlSpec{"Btn2", IDC_PREVIOUS, K::Button, "上一首", "", ""},
    PlayerControlSpec{"Btn3", IDC_NEXT, K::Button, "下一首", "", ""},
    PlayerControlSpec{"Btn4", IDC_MUTE, K::Button, "非静音", "Btn40", "静音"},
    PlayerControlSpec{"Btn5", IDC_MAIN_MENU, K::Button, "主菜单", "", ""},
    PlayerControlSpec{"Btn6", IDC_MINIMIZE, K::Button, "最小化", "", ""},
    // The same pictures in both states: the mini skin has its own.
    PlayerControlSpec{"Btn7", IDC_MINI_MODE, K::Button, "迷你模式", "", "外观模式"},
    PlayerControlSpec{"Btn8", IDC_CLOSE, K::Button, "关闭", "", ""},
    PlayerControlSpec{"Btn9", IDC_SEARCH, K::Button, "搜索", "", ""},
    PlayerControlSpec{"Btn10", IDC_REPEAT_ONE, K::Button, "打开单曲循环", "Btn16", "取消单曲循环"},
    PlayerControlSpec{"Btn11", IDC_LIBRARY, K::Button, "乐库", "", ""},
    PlayerControlSpec{"Btn12", IDC_LYRIC, K::Button, "歌词", "", ""},
    PlayerControlSpec{"Btn13", IDC_LIST, K::Button, "展开列表", "Btn15", "收起列表"},
    PlayerControlSpec{"Btn14", IDC_MY_PAGE, K::Button, "我的乐库", "", ""},
    PlayerControlSpec{"Btn17", IDC_VOLUME_UP, K::Button, "增加音量", "", ""},
    PlayerControlSpec{"Btn18", IDC_VOLUME_DOWN, K::Button, "减少音量", "", ""},
    PlayerControlSpec{"Btn19", IDC_SKIN_MENU, K::Button, "换肤", "", ""},
    PlayerControlSpec{"Btn20", IDC_ROTATE, K::Button, "横竖切换", "", ""},
    PlayerControlSpec{"Static4", IDC_ANIMATION, K::Animation, "", "", ""},
    PlayerControlSpec{"Static0", IDC_TITLE, K::Title, "", "", ""},
    PlayerControlSpec{"Static1", IDC_TIME, K::Time, "", "", ""},
    PlayerControlSpec{"Static5", IDC_DURATION, K::Duration, "", "", ""},
    PlayerControlSpec{"Slider0", IDC_VOLUME_SLIDER, K::VolumeSlider, "", "", ""},
    PlayerControlSpec{"Slider1", IDC_POSITION_SLIDER, K::PositionSlider, "", "", ""},
    PlayerControlSpec{"Edit0", IDC_SEARCH_EDIT, K::SearchEdit, "", "", ""},
};

}  // namespace

std::span<const PlayerControlSpec> PlayerControls() { return kControls; }

const PlayerControlSpec* FindPlayerControl(int id) {
    for (const PlayerControlSpec& control : kControls)
        if (control.id == id) return &control;
    return nullptr;
}

PlayerKey PlayerControlKey(int id) {
    switch (id) {
    case IDC_PLAY_PAUSE: return PlayerKey::PlayPause;
    case IDC_PREVIOUS: return PlayerKey::Previous;
    case IDC_NEXT: return PlayerKey::Next;
    case IDC_MUTE: return PlayerKey::Mute;
    case IDC_VOLUME_UP: return PlayerKey::VolumeUp;
    case IDC_VOLUME_DOWN: return PlayerKey::VolumeDown;
    case IDC_LYRIC: return PlayerKey::ToggleLyric;
    default: return PlayerKey::None;
    }
}

std::span<const int> PlayerTabOrder() {
    static constexpr int kOrder[] = {
        IDC_SEARCH_EDIT, IDC_SEARCH,      IDC_PLAY_PAUSE, IDC_STOP,     IDC_PREVIOUS,  IDC_NEXT,
        IDC_POSITION_SLIDER, IDC_MUTE,    IDC_VOLUME_DOWN, IDC_VOLUME_SLIDER, IDC_VOLUME_UP, IDC_REPEAT_ONE,
        IDC_LIST,        IDC_LYRIC,       IDC_LIBRARY,    IDC_MY_PAGE,  IDC_SKIN_MENU, IDC_MAIN_MENU,
        IDC_ROTATE,      IDC_MINI_MODE,   IDC_MINIMIZE,   IDC_CLOSE,
    };
    return kOrder;
}

std::string_view PlayerControlName(int id) {
    switch (id) {
    case IDC_VOLUME_SLIDER: return "音量";
    case IDC_POSITION_SLIDER: return "播放进度";
    case IDC_TITLE: return "歌曲";
    case IDC_TIME: return "已播放";
    case IDC_DURATION: return "歌曲长度";
    case IDC_SEARCH_EDIT: return "搜索歌曲";
    case IDC_ANIMATION: return "播放动画";
    default: return {};
    }
}
