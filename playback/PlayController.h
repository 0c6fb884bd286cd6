#pragma once
// The player's logic: takes a song from one of the my-music panel's lists,
// looks up its stream address on a worker thread, reports the play, drives
// the media engine, follows its state events, keeps the lyric window in step
// and picks the next song by the play mode. Lives on the user-interface
// thread; only the address lookup and the play reports run elsewhere.

#include "common/WindowMessage.h"
#include "model/SongInfo.h"
#include "model/SongList.h"
#include "playback/MediaEngine.h"
#include "playback/PlayControllerPorts.h"
#include "playback/PlayReporter.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class GenericHTTPClient;

class CPlayController : public QObject, public CMessageTarget {
    Q_OBJECT
public:
    // The position timer's identifier and period.
    static constexpr int kPositionTimerId = 1;
    static constexpr int kPositionTimerMs = 500;
    // How long a lookup may take to end when it is aborted, and how long a
    // new lookup waits for the previous one.
    static constexpr std::chrono::milliseconds kStopWait{500};
    static constexpr std::chrono::milliseconds kOpenWait{10000};
    // Exit codes recorded for a lookup ended by force: by a new lookup, by a stop.
    static constexpr std::uint32_t kExitOpenTimeout = 0xFFFFFFFD;
    static constexpr std::uint32_t kExitStopTimeout = 0xFFFFFFFC;

    // The address lookup: fills the one-song list through the client and
    // returns the service's result (> 0 when the song came). Runs on the
    // lookup thread. Replaceable for tests.
    using Lookup = std::function<int(CSongList& list, GenericHTTPClient& client)>;

    CPlayController(CMediaEngine& engine, IPlayPanel* panel, IPlayWindow& window, ILyricSink& lyric,
                    QObject* parent = nullptr);
    ~CPlayController() override;

    void SetLookup(Lookup lookup);

    // The operations of the player.
    void Play(const St_SongInfo& song, int index, int listKind, int flag);
    void GoLast(int flag);
    void GoNext(int flag);
    void Step(CSongList& list, bool backwards, int flag);
    void DoStop(int flag, const char* caller);
    void ButtonPlay();
    void OnButtonStop();
    void SetPlayMode();
    void OnError();
    // The current song was removed from its list `listKind`; the song that
    // followed it is at `nextIndex` now (-1: none). A lookup still under way
    // for it is stopped; a song that plays plays on, and Previous, Next and
    // the play mode go on from where it was.
    void OnSongRemoved(int listKind, int nextIndex);
    void OnTimer();
    // Moves the loaded song to `positionMs` (the lyric's lines); nothing
    // while a song is not loaded.
    void SeekTo(uint32_t positionMs);

    // The orderly close: the engine is no longer told to stop, lookups and
    // play reports end.
    void SetClosing();
    void SetMute(bool mute) { m_bMute = mute ? 1 : 0; }

    // State for the window and for tests.
    int State() const { return m_nState; }
    // The song's media is loaded (playing, paused, or filling up again after
    // it played): it can be moved in and knows its length.
    bool SongLoaded() const { return m_nState == 0 || m_nState == 1 || m_bRefilling; }
    const St_SongInfo& CurSong() const { return m_curSong; }
    const St_SongInfo& LastSong() const { return m_lastSong; }
    int CurIndex() const { return m_nCurIndex; }
    int ListKind() const { return m_nListKind; }
    int PlayFlag() const { return m_nPlayFlag; }
    bool InitState() const { return m_bInitState != 0; }
    bool ForceStop() const { return m_bForceStop != 0; }
    int Volume() const { return m_nVolume; }
    bool PositionTimerActive() const { return m_positionTimer.isActive(); }
    // The exit code of the last lookup thread: 0, or one of the codes above
    // when it had to be abandoned.
    std::uint32_t LookupExitCode() const { return m_dwParseExitCode; }
    // True while the current lookup thread has not finished.
    bool LookupRunning() const;

signals:
    // The song was moved to `seconds` through the position slider (the
    // user's drag or key, or a move asked for on the slider's behalf).
    void PositionMoved(int seconds);

private:
    // Moves the engine and the lyric to `positionMs`; the time display follows.
    void JumpTo(uint32_t positionMs);
    struct LookupThread;

    void OpenParseThread();
    // Starts the lookup of `song` on a thread of its own; its generation
    // (0 when no thread could be started). `refresh`: for the engine, which
    // gets the song's new address (or none) instead of a new play.
    WPARAM StartLookup(const St_SongInfo& song, bool refresh);
    void RefreshAddress();
    // Waits for the running lookup at most `wait`; abandons it on time-out
    // and records `exitCode`. True when there was none or it ended in time.
    bool EndLookup(std::chrono::milliseconds wait, std::uint32_t exitCode);
    LRESULT PlaySong(WPARAM generation, LPARAM song);
    void PlaySongChecked(const St_SongInfo& song);
    void SendPlayReport(const St_SongInfo& song);
    void OnPlayStateChange(int newState);
    void OnSliderDragStart(int control);
    void OnSliderDragEnd(int control);
    void ModeCommon(CSongList& list, int mode);

    CMediaEngine& m_engine;
    IPlayPanel* m_panel;
    IPlayWindow& m_window;
    ILyricSink& m_lyric;
    Lookup m_lookup;

    St_SongInfo m_curSong;
    St_SongInfo m_lastSong;
    int m_nCurIndex = -1;
    int m_nListKind = -1;
    int m_nPlayFlag = 1;
    int m_nRequestedFlag = 0;  // the flag given to Play, applied when the song arrives
    int m_nFollowIndex = -1;   // where the removed current song's successor is now
    int m_bInitState = 1;
    int m_bForceStop = 0;
    int m_nState = 2;
    bool m_bRefilling = false;  // state 3 because a song that played fills up again
    int m_bSyncLyric = 0;
    int m_bClosing = 0;
    int m_bMute = 0;
    int m_nVolume = 100;
    bool m_bTimerBeforeDrag = false;  // the position timer ran when the thumb was taken

    // The lookup: its thread, and the client whose close aborts it. Each
    // lookup gets a client of its own and shares it with its thread.
    std::unique_ptr<LookupThread> m_hParseThread;
    std::shared_ptr<GenericHTTPClient> m_hRequest;
    // Counts the lookups started and abandoned; a song handed over under an
    // older number is not played.
    WPARAM m_nGeneration = 0;
    WPARAM m_nRefreshGeneration = 0;  // the lookup under way is one for the engine
    std::uint32_t m_dwParseExitCode = 0;

    CPlayReporter m_reporter;

    QTimer m_positionTimer;
};
