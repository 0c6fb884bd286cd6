#pragma once
// The player as the my-music panel uses it: the play controller behind
// IPanelPlayer, and the player window told when the play mode changed.

#include "albums/PanelPorts.h"

#include <functional>

class CPlayController;

class CPanelPlayer final : public IPanelPlayer {
public:
    // `modeChanged` runs after each change of the panel's play mode.
    CPanelPlayer(CPlayController& controller, std::function<void()> modeChanged);

    int PlayingListKind() const override;
    void Stop(const char* caller) override;
    void Play(const St_SongInfo& song, int index, int listKind) override;
    St_SongInfo CurrentSong() const override;
    bool IsStopped() const override;
    void SongRemoved(int listKind, int nextIndex) override;
    void PlayModeChanged() override;

private:
    CPlayController& m_controller;
    std::function<void()> m_modeChanged;
};
