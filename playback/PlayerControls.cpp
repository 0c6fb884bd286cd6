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
