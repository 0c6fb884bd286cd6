#pragma once
// What the player window needs of the windows beside it and of the frame
// that owns them all. The main frame implements IPlayerFrame; the my-music
// panel, the mini web browser and the lyric window implement the window
// interfaces below. A window that does not exist (yet) is nullptr, and every
// path of the player that needs it then does nothing. Every call comes on
// the user-interface thread. Texts are CP936.

#include "common/MessageWindow.h"
#include "playback/PlayControllerPorts.h"
#include "playback/PlayerKeys.h"

#include <QRect>

#include <cstdint>
#include <string>

// A window the frame owns beside the player.
class ICompanionWindow {
public:
    virtual ~ICompanionWindow() = default;

    // Shown on the screen (not hidden, not minimised).
    virtual bool IsShown() const = 0;
    virtual void ShowWindow(bool show) = 0;
    // The player's minimise and restore pass on to the windows beside it.
    virtual void MinimizeWindow() = 0;
    virtual void RestoreWindow() = 0;
    virtual void BringToFront() = 0;
    // The full skin folder the player wears now ("Skin2" or "Skin").
    virtual void SetSkin(const std::string& skinFolder) = 0;
    // Locked while the program is offline or a message shows.
    virtual void EnableWindow(bool enable) = 0;
};

// The my-music panel, as the player window and the play controller use it.
class IPanelWindow : public ICompanionWindow, public IPlayPanel {
public:
    // Docking under the player: move and size without taking the focus.
    virtual void DockAt(const QRect& geometry) = 0;
    // The play button while nothing plays: play the selected song.
    virtual void PlaySelectedSong() = 0;
    // "添加乐库歌曲" (32866 from the player's menu, 32782 from the tray).
    virtual void AddLibrarySongs() = 0;
    // F5: the page shown is fetched or drawn afresh.
    virtual void RefreshShownPage() = 0;
    // The recommendation view is shown (32782 is disabled then).
    virtual bool ShowsRecommendations() const = 0;
    // The play mode the panel keeps (PlayMode, read through IPlayPanel),
    // chosen from the player's menu or its repeat-one switch.
    virtual void SetPlayMode(int mode) = 0;

    // The album worker and the session, for log out and the orderly close.
    // True when the worker is free, waiting at most `timeoutMs` for it.
    virtual bool IsThreadUse(int timeoutMs, const char* caller) = 0;
    // The check-and-save step: sends changed albums (song order kept) on
    // the worker; true when a save was started.
    virtual bool SaveChangedAlbums() = 0;
    // The orderly close has begun: from now on the panel shows nobody a
    // message that waits for a click (it traces them).
    virtual void SetClosing() = 0;
    virtual bool IsLogon() const = 0;
    // Starts the sign-out on the worker; false (and "缓存中...请稍候！"
    // shown) when the worker is busy.
    virtual bool OnLogoutAlbum() = 0;
    // Ends the worker by force: its exchange is cancelled and whatever it
    // does afterwards is ignored; `exitCode` is recorded.
    virtual void TerminateAlbumWorker(std::uint32_t exitCode) = 0;
    // Forgets the session: signed out, no albums, the password kept only
    // when the remember-password box is checked.
    virtual void ForgetSession() = 0;
    // The player stopped playing from an album: no album is the current one.
    virtual void ClearPlayingAlbum() = 0;
    // Saves the play list ("Playlist.xls"); false when it could not be written.
    virtual bool SavePlayList() = 0;
    // The signed-in user's name and password as entered.
    virtual std::string UserName() const = 0;
    virtual std::string Password() const = 0;
};

// The mini web browser.
class IBrowserWindow : public ICompanionWindow {
public:
    // Shows the service's search page for `text`.
    virtual void Search(const std::string& text) = 0;
};

// The lyric window; it is also the play controller's lyric sink.
class ILyricWindow : public ICompanionWindow, public ILyricSink {};

// The hidden main frame, as the player window sees it.
class IPlayerFrame : public IMessageWindow {
public:
    virtual IPanelWindow* Panel() = 0;
    virtual IBrowserWindow* Browser() = 0;
    virtual ILyricWindow* Lyric() = 0;

    // Makes the frame, and with it every window it owns, topmost or not;
    // the one always-on-top state of the program, read back by IsTopMost.
    virtual void SetTopMost(bool topMost) = 0;
    virtual bool IsTopMost() const = 0;
    // Writes back the system's drag setting saved at creation.
    virtual void RestoreDragSetting() = 0;
    // The about box ("关于"), owned by `owner`.
    virtual void ShowAbout(QWidget* owner) = 0;
    // A player key pressed in another window (the panel): the player does
    // it as if pressed on itself; false when there is no player.
    virtual bool PerformPlayerKey(PlayerKey) { return false; }
    // Ends the process with `exitCode` (the orderly close's last step);
    // does not return in the program.
    virtual void EndProcessWith(unsigned exitCode) = 0;
};
