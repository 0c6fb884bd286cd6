#include "app/DesktopControls.h"

#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "notify/MprisService.h"
#include "notify/SongNotice.h"
#include "playback/PlayMainDlg.h"
#include "playback/PlayerIds.h"
#include "playback/PlayerRules.h"

#include <QCoreApplication>

#include <cmath>

static_assert(int{kMprisSingle} == int{kModeSingle} && int{kMprisRepeatOne} == int{kModeRepeatOne} &&
              int{kMprisSequence} == int{kModeSequence} && int{kMprisRandom} == int{kModeRandom} &&
              int{kMprisRepeatList} == int{kModeRepeatList});

namespace {

// The play controller's states.
constexpr int kStatePlaying = 0;
constexpr int kStatePaused = 1;
constexpr int kStateStopped = 2;

}  // namespace

CPlayerMediaPort::CPlayerMediaPort(CPlayMainDlg& player, IPlayerFrame& frame, CMessageHandle frameHandle)
    : m_player(player), m_frame(frame), m_frameHandle(std::move(frameHandle)) {}

namespace {

// Between a Next (or any new song) and the song's arrival the engine stands
// stopped while its address is looked up: the player is on its way to play
// that song, and says so rather than stopped without a song.
bool Fetching(const CPlayController& controller) {
    return controller.State() == kStateStopped && controller.LookupRunning();
}

}  // namespace

MprisStatus CPlayerMediaPort::Status() const {
    const CPlayController& controller = m_player.Controller();
    if (Fetching(controller)) return MprisStatus::Playing;
    switch (controller.State()) {
    case kStatePaused:
        return MprisStatus::Paused;
    case kStateStopped:
        return MprisStatus::Stopped;
    default:  // playing, or buffering on the way to it
        return MprisStatus::Playing;
    }
}

std::optional<MprisTrack> CPlayerMediaPort::Track() const {
    const CPlayController& controller = m_player.Controller();
    const int state = controller.State();
    const bool fetching = Fetching(controller);
    const St_SongInfo& song = fetching ? controller.CurSong() : controller.LastSong();
    if ((state == kStateStopped && !fetching) || song.id.empty()) return std::nullopt;
    MprisTrack track;
    track.id = song.id;
    track.title = FromAnsi(song.name);
    track.artist = FromAnsi(song.singer);
    track.album = FromAnsi(song.album);
    if (controller.SongLoaded()) {
        const double seconds = m_player.Engine().get_duration();
        if (std::isfinite(seconds) && seconds > 0) track.lengthUs = static_cast<std::int64_t>(seconds * 1e6);
    }
    return track;
}

std::int64_t CPlayerMediaPort::PositionUs() const {
    const double seconds = m_player.Engine().get_currentPosition();
    return std::isfinite(seconds) && seconds > 0 ? static_cast<std::int64_t>(seconds * 1e6) : 0;
}

double CPlayerMediaPort::Volume() const { return m_player.Engine().get_volume() / static_cast<double>(kVolumeMax); }

int CPlayerMediaPort::PlayMode() const {
    const IPanelWindow* panel = m_frame.Panel();
    return panel ? panel->PlayMode() : -1;
}

MprisListPlace CPlayerMediaPort::ListPlace() const {
    // Next and Previous step through the list the current song came from.
    const int kind = m_player.Controller().ListKind();
    IPanelWindow* panel = m_frame.Panel();
    CSongList* list = panel && kind >= 0 ? panel->ListOfKind(kind) : nullptr;
    if (list == nullptr) return {};
    CMFAutoLock lock(*list);
    // A song still being looked up has no row marked yet: its row counts.
    const int playing = list->GetPlayingIndex();
    return {list->GetCount(), playing >= 0 ? playing : m_player.Controller().CurIndex()};
}

bool CPlayerMediaPort::HasSongToStart() const {
    // The play key starts the play list when nothing is chosen.
    IPanelWindow* panel = m_frame.Panel();
    const CSongList* list = panel ? panel->ListOfKind(kListTemporary) : nullptr;
    return list != nullptr && list->GetCount() > 0;
}

bool CPlayerMediaPort::Command(int command) {
    if (!m_player.isEnabled()) {
        Trace("MPRIS===The player takes no command now: %d", command);
        return false;
    }
    return m_player.OnCommand(command);
}

void CPlayerMediaPort::PlayPause() {
    CPlayController& controller = m_player.Controller();
    const bool wasIdle = controller.State() == kStateStopped && !controller.LookupRunning();
    if (!Command(IDC_PLAY_PAUSE) || !wasIdle) return;
    // The play button starts the song chosen in the panel. With none chosen
    // it does nothing; a play key of the desktop starts the play list.
    if (controller.State() != kStateStopped || controller.LookupRunning()) return;
    IPanelWindow* panel = m_frame.Panel();
    CSongList* list = panel ? panel->ListOfKind(kListTemporary) : nullptr;
    St_SongInfo first;
    if (list == nullptr || !list->GetAt(0, first)) return;
    Trace("MPRIS===Nothing chosen: the play list from its start.");
    panel->SelectRow(kListTemporary, 0);
    controller.Play(first, 0, kListTemporary, 0);
}
void CPlayerMediaPort::Stop() { Command(IDC_STOP); }
void CPlayerMediaPort::Next() { Command(IDC_NEXT); }
void CPlayerMediaPort::Previous() { Command(IDC_PREVIOUS); }
void CPlayerMediaPort::SetPlayMode(int mode) { Command(kCmdModeFirst + mode); }

void CPlayerMediaPort::SetVolume(double volume) {
    if (m_player.isEnabled()) m_player.SetVolume(static_cast<int>(std::lround(volume * kVolumeMax)));
}

std::int64_t CPlayerMediaPort::SeekTo(std::int64_t positionUs) {
    if (!m_player.isEnabled()) return PositionUs();
    // The position slider moves by whole seconds.
    const int seconds = static_cast<int>(positionUs / 1000000);
    m_player.SeekTo(seconds);
    return std::int64_t{seconds} * 1000000;
}

void CPlayerMediaPort::Raise() { SendMessage(m_frameHandle, WM_FRAME_ACTIVATE); }

// Posted: the caller has its answer before the close begins.
void CPlayerMediaPort::Quit() { PostMessage(m_frameHandle, WM_FRAME_CLOSEAPP); }

CDesktopControls::CDesktopControls(CPlayMainDlg& player, IPlayerFrame& frame, CMessageHandle frameHandle,
                                   const std::filesystem::path& settingsFile, NoteFallback noteFallback)
    : m_port(player, frame, std::move(frameHandle)),
      m_service(std::make_unique<CMprisService>(m_port)),
      m_notes(std::make_unique<CDesktopNotes>(std::move(noteFallback))) {
    m_notice = std::make_unique<CSongNotice>(settingsFile, [notes = m_notes.get()](const QString& title, const QString& text) {
        return notes->Show(title, text);
    });
    CMprisPlayer& media = m_service->Player();
    media.SetTrackStarted([notice = m_notice.get()](const MprisTrack& track) { notice->OnTrackStarted(track); });
    // What the desktop is told follows the player's own events.
    CPlayController& controller = player.Controller();
    QObject::connect(&controller, &CPlayController::PositionMoved, m_service.get(),
                     [&media](int seconds) { media.OnSeeked(std::int64_t{seconds} * 1000000); });
    QObject::connect(&player.Engine(), &CMediaEngine::PlayStateChange, m_service.get(),
                     [service = m_service.get()](int) { service->Poke(); });
    m_service->WatchUserInput(QCoreApplication::instance());
    m_service->Start();
}

CDesktopControls::~CDesktopControls() = default;

bool CDesktopControls::SongNoticeOn() const { return m_notice->IsOn(); }

void CDesktopControls::ToggleSongNotice() { m_notice->SetOn(!m_notice->IsOn()); }
