#include "albums/PanelPlayer.h"

#include "playback/PlayController.h"

namespace {

constexpr int kStateStopped = 2;

}  // namespace

CPanelPlayer::CPanelPlayer(CPlayController& controller, std::function<void()> modeChanged)
    : m_controller(controller), m_modeChanged(std::move(modeChanged)) {}

int CPanelPlayer::PlayingListKind() const { return m_controller.ListKind(); }

void CPanelPlayer::Stop(const char* caller) { m_controller.DoStop(0, caller); }

void CPanelPlayer::Play(const St_SongInfo& song, int index, int listKind) {
    m_controller.Play(song, index, listKind, 0);
}

St_SongInfo CPanelPlayer::CurrentSong() const { return m_controller.CurSong(); }

bool CPanelPlayer::IsStopped() const { return m_controller.State() == kStateStopped; }

void CPanelPlayer::SongRemoved(int listKind, int nextIndex) { m_controller.OnSongRemoved(listKind, nextIndex); }

void CPanelPlayer::PlayModeChanged() {
    if (m_modeChanged) m_modeChanged();
}
