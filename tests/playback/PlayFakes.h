#pragma once
// Stand-ins for what surrounds the play controller: an engine driven by the
// test, the my-music panel, the player window and the lyric window.

#include "playback/MediaEngine.h"
#include "playback/PlayControllerPorts.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// Emits only what the test scripts, except that stop() reports the stopped
// state at once as the real engine does.
class CScriptedEngine final : public CMediaEngine {
public:
    void put_URL(const std::string& url) override { urls.push_back(url); }
    void play() override { ++plays; }
    void stop() override {
        ++stops;
        Report(wmppsStopped);
    }
    void pause() override { ++pauses; }
    double get_currentPosition() const override { return position; }
    void put_currentPosition(double seconds) override { position = seconds; }
    bool get_mute() const override { return mute; }
    void put_mute(bool value) override { mute = value; }
    int get_volume() const override { return volume; }
    void put_volume(int value) override { volume = value; }
    double get_duration() const override { return duration; }
    std::string get_errorDescription() const override { return error; }
    std::int32_t get_errorCode() const override { return error.empty() ? 0 : 1; }
    void clearErrorQueue() override { error.clear(); }

    // Reports a state change unless the state is already that one.
    void Report(int state) {
        if (state == m_state) return;
        m_state = state;
        emit PlayStateChange(state);
    }
    void Fail(std::string description) {
        error = std::move(description);
        emit Error();
    }

    std::vector<std::string> urls;
    int plays = 0;
    int stops = 0;
    int pauses = 0;
    double position = 0;
    double duration = 0;
    bool mute = false;
    int volume = 100;
    std::string error;

private:
    int m_state = 0;
};

class CFakePanel final : public IPlayPanel {
public:
    CSongList* ListOfKind(int kind) override {
        auto found = lists.find(kind);
        return found == lists.end() ? nullptr : &found->second;
    }
    bool SelectRow(int kind, int index) override {
        selected.emplace_back(kind, index);
        return rowExists;
    }
    void ShowPlayingRow(int kind, int index, const St_SongInfo&) override { shown.emplace_back(kind, index); }
    void RedrawList(int) override { ++redraws; }
    int PlayMode() const override { return mode; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::map<int, CSongList> lists;
    int mode = kModeRepeatList;
    bool rowExists = true;
    std::vector<std::pair<int, int>> selected;
    std::vector<std::pair<int, int>> shown;
    std::vector<std::string> messages;
    int redraws = 0;
};

class CFakeWindow final : public IPlayWindow {
public:
    void SetTitle(const std::string& text) override { title = text; }
    void SetTitleScrolling(bool value) override { scrolling = value; }
    void SetTimeText(const std::string& text) override { time = text; }
    void SetDurationText(const std::string& text) override { durationText = text; }
    void ShowPauseImage(bool value) override { pauseImage = value; }
    void SetAnimation(Animation value) override { animation = value; }
    void EnablePositionSlider(bool value) override { sliderEnabled = value; }
    void SetPositionRange(int seconds) override { range = seconds; }
    void SetPositionValue(int seconds) override { position = seconds; }
    int SliderValue(int control) const override { return control == kCtrlVolumeSlider ? volumeValue : positionValue; }

    std::string title;
    bool scrolling = false;
    std::string time;
    std::string durationText;
    bool pauseImage = false;
    Animation animation = Animation::Stopped;
    bool sliderEnabled = false;
    int range = 0;
    int position = 0;
    int positionValue = 0;
    int volumeValue = 0;
};

class CFakeLyric final : public ILyricSink {
public:
    void PostLyric(WPARAM wParam, LPARAM lParam) override { posts.emplace_back(wParam, lParam); }
    void LoadLyric(const std::string& id, const std::string&, const std::string&) override { loaded.push_back(id); }

    std::vector<std::pair<WPARAM, LPARAM>> posts;
    std::vector<std::string> loaded;
};
