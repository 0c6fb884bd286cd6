#include "playback/PlayController.h"

#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "platform/ProcessMemory.h"
#include "service/AnswerFiles.h"
#include "service/HttpClient.h"
#include "service/ServiceHosts.h"
#include "service/ServiceXml.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {

constexpr const char* kPlayLogPath = "/songhall/tonvik/playlog.php?";

// How far the lookup thread has got, told to a user-interface thread that
// waits for it.
class CLookupProgress {
public:
    enum Stage { kWorking, kHandingOver, kDone };

    void Set(Stage stage) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stage = stage;
        }
        m_changed.notify_all();
    }
    // Waits at most `wait` for the thread to get past its work.
    Stage WaitPastWork(std::chrono::milliseconds wait) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, wait, [this] { return m_stage != kWorking; });
        return m_stage;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Stage m_stage = kWorking;
};

// The playing mark on `index` and on no other song of the list.
void MarkPlaying(CSongList& list, int index) {
    CMFAutoLock lock(list);
    const int count = list.GetCount();
    for (int i = 0; i < count; ++i) {
        St_SongInfo song;
        list.GetAt(i, song);
        const std::string mark = i == index ? kPlayingMark : "";
        if (song.playing == mark) continue;
        song.playing = mark;
        list.SetAt(i, song);
    }
    list.AdjustPlayingItem();
}

// The row of `list` holding the song `id`: `expected` when it still does,
// else the first that does; -1 when none. The caller holds the list's lock.
int RowOfSong(const CSongList& list, int expected, const std::string& id) {
    St_SongInfo song;
    if (list.GetAt(expected, song) && song.id == id) return expected;
    return list.FindSong(id);
}

std::string StripQuotes(std::string url) {
    while (!url.empty() && url.front() == '"') url.erase(url.begin());
    while (!url.empty() && url.back() == '"') url.pop_back();
    return url;
}

}  // namespace

struct CPlayController::LookupThread {
    std::thread thread;
    std::shared_ptr<CLookupProgress> progress = std::make_shared<CLookupProgress>();
};

CPlayController::CPlayController(CMediaEngine& engine, IPlayPanel* panel, IPlayWindow& window, ILyricSink& lyric,
                                 QObject* parent)
    : QObject(parent),
      CMessageTarget(this),
      m_engine(engine),
      m_panel(panel),
      m_window(window),
      m_lyric(lyric),
      m_lookup([](CSongList& list, GenericHTTPClient& client) {
          CSongXml parser;
          return parser.GetSongInfoEx(list, &client, kAnswerPlaySong);
      }),
      m_hRequest(std::make_shared<GenericHTTPClient>()) {
    m_positionTimer.setInterval(kPositionTimerMs);
    connect(&m_positionTimer, &QTimer::timeout, this, &CPlayController::OnTimer);
    connect(&m_engine, &CMediaEngine::PlayStateChange, this, &CPlayController::OnPlayStateChange);
    // The control's error event only posts; the handler runs from the queue.
    connect(&m_engine, &CMediaEngine::Error, this, [this] { PostMessage(this, WM_PLAYER_ERROR); });
    connect(&m_engine, &CMediaEngine::AddressWanted, this, &CPlayController::RefreshAddress);

    SetMessageHandler(WM_PLAYER_SONGEND, [this](WPARAM, LPARAM) {
        SetPlayMode();
        return LRESULT{0};
    });
    SetMessageHandler(WM_PLAYER_SONGREADY, [this](WPARAM wParam, LPARAM lParam) { return PlaySong(wParam, lParam); });
    SetMessageHandler(WM_PLAYER_ERROR, [this](WPARAM, LPARAM) {
        OnError();
        return LRESULT{0};
    });
    SetMessageHandler(WM_SLIDER_DRAGSTART, [this](WPARAM wParam, LPARAM) {
        OnSliderDragStart(static_cast<int>(wParam));
        return LRESULT{0};
    });
    SetMessageHandler(WM_SLIDER_DRAGEND, [this](WPARAM wParam, LPARAM) {
        OnSliderDragEnd(static_cast<int>(wParam));
        return LRESULT{0};
    });
    SetCommandHandler(kCmdPlayPause, [this] {
        // When stopped the window lets the my-music panel start its selected song.
        if (m_nState != 2) ButtonPlay();
    });
    SetCommandHandler(kCmdStop, [this] { OnButtonStop(); });
    SetCommandHandler(kCmdPrevious, [this] { GoLast(0); });
    SetCommandHandler(kCmdNext, [this] { GoNext(0); });
}

CPlayController::~CPlayController() {
    m_positionTimer.stop();
    m_hRequest->CloseHandles();
    EndLookup(kStopWait, kExitStopTimeout);
    m_reporter.Close(kStopWait);
}

void CPlayController::SetLookup(Lookup lookup) { m_lookup = std::move(lookup); }

bool CPlayController::LookupRunning() const {
    return m_hParseThread && m_hParseThread->progress->WaitPastWork(std::chrono::milliseconds(0)) != CLookupProgress::kDone;
}

void CPlayController::SetClosing() {
    m_bClosing = 1;
    m_positionTimer.stop();
    m_hRequest->CloseHandles();
    ++m_nGeneration;
    m_reporter.Close(kStopWait);
}

// ---- starting a song ----

void CPlayController::Play(const St_SongInfo& song, int index, int listKind, int flag) {
    Trace("\xE2\x96\xA0Playing %s  %s  %d  \xE2\x98\x85%d  %d...", song.name.c_str(), song.id.c_str(), index, listKind,
          flag);
    m_curSong = song;
    m_nCurIndex = index;
    m_nListKind = listKind;
    m_nRequestedFlag = flag;
    m_nFollowIndex = -1;
    DoStop(0, "Play");
    m_hRequest->CloseHandles();
    OpenParseThread();
}

bool CPlayController::EndLookup(std::chrono::milliseconds wait, std::uint32_t exitCode) {
    if (!m_hParseThread) return true;
    std::unique_ptr<LookupThread> lookup = std::move(m_hParseThread);
    // Whatever it hands over from now on is not played.
    ++m_nGeneration;
    switch (lookup->progress->WaitPastWork(wait)) {
    case CLookupProgress::kDone:
        lookup->thread.join();
        m_dwParseExitCode = 0;
        return true;
    case CLookupProgress::kHandingOver:
        // It waits for this thread to take its song, so waiting for it here
        // could only run out; it ends as soon as the message is dropped.
        lookup->thread.detach();
        m_dwParseExitCode = 0;
        return true;
    case CLookupProgress::kWorking:
        break;
    }
    m_dwParseExitCode = exitCode;
    // Abandoned: it keeps the client it is stuck in and can no longer hand
    // over its song.
    lookup->thread.detach();
    return false;
}

void CPlayController::OpenParseThread() {
    TRACE_SCOPE("OpenParseThread...");
    if (m_hParseThread) {
        if (!EndLookup(kOpenWait, kExitOpenTimeout)) Trace("OpenParseThread===Time out.");
        else Trace("OpenParseThread===Out.");
    }
    m_window.SetTitle(Cp936("正在获取播放地址..."));
    m_window.SetTitleScrolling(true);
    m_window.SetDurationText("");
    if (m_panel && !m_panel->SelectRow(m_nListKind, m_nCurIndex) && m_nListKind == kListAlbum) return;
    StartLookup(m_curSong, false);
}

WPARAM CPlayController::StartLookup(const St_SongInfo& song, bool refresh) {
    auto lookup = std::make_unique<LookupThread>();
    const WPARAM generation = ++m_nGeneration;
    // A client of its own: closing the previous lookup's client ended that
    // lookup for good.
    m_hRequest = std::make_shared<GenericHTTPClient>();
    try {
        lookup->thread = std::thread([progress = lookup->progress, client = m_hRequest, find = m_lookup, target = Handle(),
                                      song, generation, refresh] {
            // Only what was handed over is touched here: the song copy, the
            // client this lookup owns a share of, the window's handle.
            CSongList list;
            list.Add(song);
            int result = 0;
            try {
                result = find(list, *client);
            } catch (const std::exception& error) {
                Trace("Play exception! %.512s", error.what());
            }
            St_SongInfo found;
            const bool came = result > 0 && list.GetAt(0, found);
            if (!came) Trace("Play===Get song info failed,ID:%s", song.id.c_str());
            // A song looked up again for the engine is answered either way,
            // so that the engine need not wait for nothing.
            if (came || refresh) {
                progress->Set(CLookupProgress::kHandingOver);
                SendMessage(target, WM_PLAYER_SONGREADY, generation, reinterpret_cast<LPARAM>(&found));
            }
            progress->Set(CLookupProgress::kDone);
        });
    } catch (const std::system_error& error) {
        Trace("Play exception! %.512s", error.what());
        return 0;
    }
    m_hParseThread = std::move(lookup);
    return generation;
}

void CPlayController::RefreshAddress() {
    // The engine's stream broke off and its address did not answer: the
    // song is looked up again. Nothing else of a play happens: no report,
    // no list, no title.
    if (m_bClosing || m_nState == 2 || m_lastSong.id.empty()) {
        m_engine.put_resumeURL("");
        return;
    }
    Trace("RefreshAddress===%s", m_lastSong.id.c_str());
    m_hRequest->CloseHandles();
    if (m_hParseThread && !EndLookup(kStopWait, kExitStopTimeout)) Trace("RefreshAddress===Thread out time.");
    m_nRefreshGeneration = StartLookup(m_lastSong, true);
    if (m_nRefreshGeneration == 0) m_engine.put_resumeURL("");
}

LRESULT CPlayController::PlaySong(WPARAM generation, LPARAM lParam) {
    // A lookup that was stopped or abandoned meanwhile never plays.
    if (generation != m_nGeneration || lParam == 0) return 0;
    // The lookup waits for this handler and ends right after it, touching
    // nothing of ours: let it go so that a stop from here does not wait for it.
    if (m_hParseThread) {
        m_hParseThread->thread.detach();
        m_hParseThread.reset();
    }
    if (generation == m_nRefreshGeneration) {
        m_nRefreshGeneration = 0;
        const auto& found = *reinterpret_cast<const St_SongInfo*>(lParam);
        const std::string url = StripQuotes(found.playUrl);
        if (!url.empty()) m_lastSong.playUrl = found.playUrl;
        m_engine.put_resumeURL(url);
        return 1;
    }
    m_curSong = *reinterpret_cast<const St_SongInfo*>(lParam);
    m_window.SetTitle("");
    m_window.SetTitleScrolling(false);
    // By now the song before has let its pipeline and streaming threads go:
    // what they held goes back to the system, or a long evening of songs
    // would keep it all resident.
    tonvik::platform::ReturnFreeMemory();
    PlaySongChecked(m_curSong);
    return 1;
}

void CPlayController::PlaySongChecked(const St_SongInfo& arrived) {
    TRACE_SCOPE("PlaySong...");
    try {
        St_SongInfo song = arrived;
        if (m_nCurIndex < 0 || m_panel == nullptr) return;
        if (song.playUrl.empty()) {
            Trace("Play==song info is Null,ID:%s ", song.id.c_str());
            OnButtonStop();
            return;
        }
        m_nPlayFlag = m_nRequestedFlag;
        if (m_bInitState) {
            Trace("Play==Init state.");
            m_nPlayFlag = 1;
            m_bInitState = 0;
        }
        Trace("CPlayMainDlg::Play===By Mode %d", m_nPlayFlag);
        m_nState = 2;

        song.playing = kPlayingMark;
        if (CSongList* list = m_panel->ListOfKind(m_nListKind)) {
            // Rows may have moved during the lookup: the song goes back to
            // the row that holds it now, never over another song.
            int row = -1;
            {
                CMFAutoLock lock(*list);
                row = RowOfSong(*list, m_nCurIndex, song.id);
                if (row >= 0 && list->SetAt(row, song)) MarkPlaying(*list, row);
                else row = -1;
            }
            if (row >= 0) {
                m_nCurIndex = row;
                m_panel->ShowPlayingRow(m_nListKind, row, song);
            } else {
                Trace("PlaySong===Song %s is no longer in its list.", song.id.c_str());
            }
        }
        m_lastSong = song;
        SendPlayReport(song);
        ButtonPlay();
    } catch (const std::exception& error) {
        Trace("Play exception! %.512s", error.what());
    }
}

void CPlayController::SendPlayReport(const St_SongInfo& song) {
    Trace("Set Play log enter.");
    const std::string url = ServiceAddress(kPlayLogPath) + "id=" + song.id + "&name=" + UrlEncode(AnsiToUtf8(song.name));
    m_reporter.Send(url);  // goes out on the reporter's worker; the answer does not matter
    Trace("Set Play log Leave %s.", url.c_str());
}

// ---- buttons ----

void CPlayController::ButtonPlay() {
    TRACE_SCOPE("ButtonPlay...");
    m_bForceStop = 0;
    if (m_nState == 0) {
        m_engine.pause();
        m_lyric.PostLyric(ILyricSink::kPause, 0);
        m_window.ShowPauseImage(false);
        return;
    }
    if (m_nState == 2) {
        const std::string url = StripQuotes(m_lastSong.playUrl);
        if (url.empty()) {
            Trace("URL is Null.");
            return;
        }
        Trace("URL:%s", url.c_str());
        m_engine.put_URL(url);
        m_lyric.LoadLyric(m_lastSong.id, m_lastSong.name, m_lastSong.lyric);
    }
    if (m_nState == 1) m_lyric.PostLyric(ILyricSink::kResume, 0);
    else m_bSyncLyric = 1;
    m_bInitState = 1;
    m_engine.play();
    m_engine.put_mute(m_bMute != 0);
    m_positionTimer.start(kPositionTimerMs);
}

void CPlayController::DoStop(int flag, const char* caller) {
    try {
        m_hRequest->CloseHandles();
        // Whatever lookup is under way is no longer wanted.
        ++m_nGeneration;
        if (m_hParseThread && !EndLookup(kStopWait, kExitStopTimeout)) Trace("Dostop===Thread out time.");
        Trace("DoStop : %d Caller:%s", flag, caller);
        m_nPlayFlag = flag;
        m_lyric.PostLyric(ILyricSink::kStop, 0);
        if (!m_bClosing) m_engine.stop();
        if (flag == 0) {
            m_bInitState = 1;
            m_window.SetAnimation(IPlayWindow::Animation::Stopped);
        }
        m_nState = 2;
        m_lastSong.playUrl.clear();
        m_lastSong.spare.clear();
        Trace("DoStop Leave");
    } catch (...) {
        Trace("Dostop ====exceptional.");
    }
}

void CPlayController::OnButtonStop() {
    TRACE_SCOPE("OnButtonStop...");
    m_bForceStop = 1;
    m_window.SetTimeText("00:00");
    DoStop(0, "OnButtonStop");
    m_window.ShowPauseImage(false);
    if (m_panel) m_panel->RedrawList(m_nListKind);
    m_window.SetTitle("");
    m_window.SetTitleScrolling(false);
    m_window.SetTimeText("00:00");
}

// ---- moving in the list ----

void CPlayController::GoLast(int flag) {
    Trace("GoLast  %d...", flag);
    if (CSongList* list = m_panel ? m_panel->ListOfKind(m_nListKind) : nullptr) Step(*list, true, flag);
}

void CPlayController::GoNext(int flag) {
    Trace("GoNext  %d...", flag);
    if (CSongList* list = m_panel ? m_panel->ListOfKind(m_nListKind) : nullptr) Step(*list, false, flag);
}

void CPlayController::Step(CSongList& list, bool backwards, int flag) {
    const int count = list.GetCount();
    if (count <= 0) return;
    int index = list.GetPlayingIndex();
    // The playing song left the list: its successor counts as the next one.
    if (index < 0 && m_nFollowIndex >= 0) index = backwards ? m_nFollowIndex : m_nFollowIndex - 1;
    if (backwards) {
        --index;
        if (index < 0) index = count - 1;
    } else {
        ++index;
        if (index >= count) index = 0;
    }
    St_SongInfo song;
    if (!list.GetAt(index, song)) return;
    Play(song, index, m_nListKind, flag);
}

void CPlayController::OnSongRemoved(int listKind, int nextIndex) {
    if (listKind != m_nListKind) return;
    Trace("OnSongRemoved  %d  %d...", listKind, nextIndex);
    m_nFollowIndex = nextIndex;
    // A song still being looked up is no longer wanted.
    if (LookupRunning()) OnButtonStop();
}

void CPlayController::SetPlayMode() {
    TRACE_SCOPE("SetPlayMode...");
    if (m_panel == nullptr || m_nPlayFlag == 0) return;
    if (m_bForceStop) {
        Trace("Force to stop.");
        m_bForceStop = 0;
        return;
    }
    Trace("SetPlayMode..Continue...");
    CSongList* list = m_panel->ListOfKind(m_nListKind);
    if (list == nullptr) return;
    ModeCommon(*list, m_panel->PlayMode());
}

void CPlayController::ModeCommon(CSongList& list, int mode) {
    TRACE_SCOPE("ModeCommon...");
    const int count = list.GetCount();
    if (count <= 0) return;
    switch (mode) {
    case kModeSingle:
        m_bInitState = 1;
        break;
    case kModeRepeatOne:
        Play(m_lastSong, list.GetPlayingIndex(), m_nListKind, 1);
        break;
    case kModeSequence:
        if (list.GetPlayingIndex() >= count - 1) m_bInitState = 1;
        else GoNext(1);
        break;
    case kModeRandom: {
        const int index = std::rand() % count;  // never seeded: the same order each run
        St_SongInfo song;
        if (list.GetAt(index, song)) Play(song, index, m_nListKind, 1);
        break;
    }
    case kModeRepeatList:
        GoNext(1);
        break;
    default:
        Trace("ModeCommon:default handle.");
        break;
    }
}

// ---- events of the control ----

void CPlayController::OnPlayStateChange(int newState) {
    Trace("New State:%d  %s", newState, m_lastSong.name.c_str());
    const int previous = m_nState;
    m_bRefilling = newState == wmppsBuffering && !m_bInitState;
    switch (newState) {
    case wmppsStopped:
        m_nState = 2;
        m_window.SetAnimation(IPlayWindow::Animation::Stopped);
        m_window.SetTitle("");
        m_window.SetTitleScrolling(false);
        m_window.SetTimeText("00:00");
        // The thumb goes back with the time: left where the song ended, it
        // stood at the end of the next song until its first tick.
        m_window.SetPositionValue(0);
        m_window.EnablePositionSlider(false);
        PostMessage(this, WM_PLAYER_SONGEND);
        m_positionTimer.stop();
        m_bTimerBeforeDrag = false;  // nothing to show after a drag either
        if (m_panel) m_panel->RedrawList(m_nListKind);
        break;
    case wmppsPaused:
        m_nState = 1;
        m_window.SetAnimation(IPlayWindow::Animation::Paused);
        break;
    case wmppsPlaying: {
        m_nState = 0;
        m_bInitState = 0;
        m_window.ShowPauseImage(true);
        if (previous == 3) {
            m_window.SetAnimation(IPlayWindow::Animation::Playing);
            m_window.SetTitleScrolling(true);
        }
        if (m_bSyncLyric) {
            m_bSyncLyric = 0;
            m_lyric.PostLyric(ILyricSink::kJump, static_cast<LPARAM>(m_engine.get_currentPosition() * 1000));
        } else {
            Trace("===Lyric Coninue to play...");
            m_lyric.PostLyric(ILyricSink::kResume, 0);
            Trace("===Lyric Coninue to play...over");
        }
        m_window.EnablePositionSlider(true);
        m_window.SetDurationText(m_engine.get_durationString());
        m_window.SetTitle(m_lastSong.name + "--" + m_lastSong.singer);
        m_window.SetPositionRange(static_cast<int>(m_engine.get_duration()));
        break;
    }
    case wmppsBuffering:
        m_nState = 3;
        m_window.SetTitle(Cp936("    正在缓冲..."));
        Trace("===Stop lyric.");
        m_lyric.PostLyric(ILyricSink::kPause, 0);
        Trace("===Stop lyric. over");
        m_window.SetAnimation(IPlayWindow::Animation::Stopped);
        break;
    case wmppsTransitioning:
        m_nState = 3;
        m_window.SetTitle(Cp936("    正在缓冲..."));
        break;
    case wmppsReconnecting:
        m_nState = 3;
        m_window.SetTitle(Cp936("    正在连接..."));
        // The stream broke off: the lyric waits with the time and picks up
        // the exact position when the song plays again.
        m_lyric.PostLyric(ILyricSink::kPause, 0);
        m_bSyncLyric = 1;
        m_window.SetAnimation(IPlayWindow::Animation::Stopped);
        break;
    default:
        break;
    }
    if (newState != wmppsPlaying && newState != wmppsReady) m_window.ShowPauseImage(false);
}

void CPlayController::OnError() {
    TRACE_SCOPE("OnError...");
    Trace("OnPlayError===%s", m_engine.get_errorDescription().c_str());
    m_engine.clearErrorQueue();
    if (m_panel) m_panel->ShowMessage(Cp936("  该歌曲无法正常播放！"));
    OnButtonStop();
}

void CPlayController::OnTimer() {
    if (m_bClosing) {
        Trace("OnTimer:有这种事？！");
        return;
    }
    m_window.SetPositionValue(static_cast<int>(m_engine.get_currentPosition()));
    m_window.SetTimeText(m_engine.get_currentPositionString());
}

// ---- sliders ----

void CPlayController::OnSliderDragStart(int control) {
    if (control == kCtrlPositionSlider) {
        // The thumb is the user's while dragged; the timer comes back on release.
        m_bTimerBeforeDrag = m_bTimerBeforeDrag || m_positionTimer.isActive();
        m_positionTimer.stop();
    } else if (control == kCtrlVolumeSlider) {
        m_nVolume = m_window.SliderValue(kCtrlVolumeSlider);
        m_engine.put_volume(m_nVolume);
    }
}

void CPlayController::JumpTo(uint32_t positionMs) {
    m_engine.put_currentPosition(positionMs / 1000.0);
    m_lyric.PostLyric(ILyricSink::kJump, static_cast<LPARAM>(positionMs));
    m_positionTimer.start(kPositionTimerMs);
}

void CPlayController::SeekTo(uint32_t positionMs) {
    if (m_bClosing || !SongLoaded()) return;
    JumpTo(positionMs);
}

void CPlayController::OnSliderDragEnd(int control) {
    if (control == kCtrlPositionSlider) {
        const bool timerRan = std::exchange(m_bTimerBeforeDrag, false);
        // Only loaded media can be moved in; while it is still loading the
        // time display just goes on.
        if (SongLoaded()) {
            const int seconds = std::max(0, m_window.SliderValue(kCtrlPositionSlider));
            JumpTo(static_cast<uint32_t>(seconds) * 1000u);
            emit PositionMoved(seconds);
        } else if (timerRan && !m_bClosing) {
            m_positionTimer.start(kPositionTimerMs);
        }
    } else if (control == kCtrlVolumeSlider) {
        m_nVolume = m_window.SliderValue(kCtrlVolumeSlider);
        m_engine.put_volume(m_nVolume);
    }
}
