#pragma once
// What surrounds the play controller in the benchmark and tool programs that
// play songs without the player's windows: a my-music panel holding one play
// list, and a player window and a lyric window that show nothing; and a
// frame without windows beside the player that answers every message with OK.

#include "playback/PlayControllerPorts.h"
#include "playback/PlayerPorts.h"

#include <string>

class CNoPanel final : public IPlayPanel {
public:
    CSongList* ListOfKind(int kind) override { return kind == kListTemporary ? &list : nullptr; }
    bool SelectRow(int, int) override { return true; }
    void ShowPlayingRow(int, int, const St_SongInfo&) override {}
    void RedrawList(int) override {}
    int PlayMode() const override { return kModeSingle; }
    void ShowMessage(const std::string&) override {}
    CSongList list;
};

class CNoWindow final : public IPlayWindow {
public:
    void SetTitle(const std::string&) override {}
    void SetTitleScrolling(bool) override {}
    void SetTimeText(const std::string&) override {}
    void SetDurationText(const std::string&) override {}
    void ShowPauseImage(bool) override {}
    void SetAnimation(Animation) override {}
    void EnablePositionSlider(bool) override {}
    void SetPositionRange(int) override {}
    void SetPositionValue(int) override {}
    int SliderValue(int) const override { return 0; }
};

class CNoLyric final : public ILyricSink {
public:
    void PostLyric(WPARAM, LPARAM) override {}
    void LoadLyric(const std::string&, const std::string&, const std::string&) override {}
};

class CQuietFrame : public IPlayerFrame {
public:
    int ShowMessageWindow(QWidget*, const std::string&, unsigned) override { return kIdOk; }
    IPanelWindow* Panel() override { return nullptr; }
    IBrowserWindow* Browser() override { return nullptr; }
    ILyricWindow* Lyric() override { return nullptr; }
    void SetTopMost(bool) override {}
    bool IsTopMost() const override { return false; }
    void RestoreDragSetting() override {}
    void ShowAbout(QWidget*) override {}
    void EndProcessWith(unsigned) override {}
};
