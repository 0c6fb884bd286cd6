#pragma once
// What the play controller needs from the windows around it. The my-music
// panel, the player window and the lyric window implement these; tests use
// fakes. Every call comes on the user-interface thread. Texts are CP936.

#include "common/WindowMessage.h"
#include "model/SongInfo.h"
#include "model/SongList.h"

#include <string>

// Play modes, as the my-music panel keeps them.
enum PlayMode {
    kModeSingle = 0,      // "单曲播放": stop at the end
    kModeRepeatOne = 1,   // "单曲循环": the same song again
    kModeSequence = 2,    // "顺序播放": on to the next, stop after the last
    kModeRandom = 3,      // "随机播放": any song of the list
    kModeRepeatList = 4,  // "列表循环": on to the next, the first after the last
};

// The menu commands that choose the modes (mode = command - kCmdModeFirst),
// and their menu texts (UTF-8), by mode.
inline constexpr int kCmdModeFirst = 32788;
inline constexpr const char* kPlayModeTexts[] = {"单曲播放", "单曲循环", "顺序播放", "随机播放", "列表循环"};

// Controls and commands of the player window the controller answers.
inline constexpr int kCtrlPositionSlider = 1014;
inline constexpr int kCtrlVolumeSlider = 1016;
inline constexpr int kCmdPlayPause = 1017;
inline constexpr int kCmdStop = 1018;
inline constexpr int kCmdPrevious = 1020;
inline constexpr int kCmdNext = 1022;

// The my-music panel: its song lists by kind and their views.
class IPlayPanel {
public:
    virtual ~IPlayPanel() = default;

    // The list of a kind (kListTemporary, kListRecommend, kListAlbum), or
    // nullptr for any other kind. For the album kind the panel builds a fresh
    // copy of the selected album's songs at each call and keeps it until the
    // next call.
    virtual CSongList* ListOfKind(int kind) = 0;
    // Selects the row in the kind's view; false when the row does not exist
    // there (the album tree may lack the item).
    virtual bool SelectRow(int kind, int index) = 0;
    // The list's playing mark moved to `index`: show it (the play-list view
    // scrolls it into sight; the album kind remembers `song` as playing).
    virtual void ShowPlayingRow(int kind, int index, const St_SongInfo& song) = 0;
    virtual void RedrawList(int kind) = 0;
    virtual int PlayMode() const = 0;
    // The panel's message area.
    virtual void ShowMessage(const std::string& text) = 0;
};

// The player window's displays.
class IPlayWindow {
public:
    enum class Animation { Stopped, Playing, Paused };

    virtual ~IPlayWindow() = default;

    virtual void SetTitle(const std::string& text) = 0;
    virtual void SetTitleScrolling(bool scrolling) = 0;
    virtual void SetTimeText(const std::string& text) = 0;
    virtual void SetDurationText(const std::string& text) = 0;
    // true: the Pause image on the Play/Pause button; false: the Play image.
    virtual void ShowPauseImage(bool pause) = 0;
    virtual void SetAnimation(Animation animation) = 0;
    virtual void EnablePositionSlider(bool enable) = 0;
    virtual void SetPositionRange(int seconds) = 0;
    virtual void SetPositionValue(int seconds) = 0;
    // The logical value of a slider (kCtrlPositionSlider, kCtrlVolumeSlider).
    virtual int SliderValue(int control) const = 0;
};

// The lyric window.
class ILyricSink {
public:
    enum : WPARAM { kJump = 0, kPause = 1, kResume = 2, kStop = 3 };

    virtual ~ILyricSink() = default;

    // Posts WM_LYRIC_SYNC with wParam kJump (lParam: milliseconds), kPause,
    // kResume or kStop.
    virtual void PostLyric(WPARAM wParam, LPARAM lParam) = 0;
    virtual void LoadLyric(const std::string& id, const std::string& name, const std::string& lyric) = 0;
};
