#pragma once
// Stand-ins for what surrounds the player window: the frame and the
// windows beside the player. The panel's album worker is a busy flag that
// the bounded waits really wait on.

#include "playback/PlayerPorts.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// The part every window beside the player has.
template <class Window>
class CFakeCompanion : public Window {
public:
    bool IsShown() const override { return shown; }
    void ShowWindow(bool show) override { shown = show; }
    void MinimizeWindow() override { ++minimized; }
    void RestoreWindow() override { ++restored; }
    void BringToFront() override { ++raised; }
    void SetSkin(const std::string& skin) override { skins.push_back(skin); }
    void EnableWindow(bool enable) override { enabled = enable; }

    bool shown = true;
    bool enabled = true;
    int minimized = 0;
    int restored = 0;
    int raised = 0;
    std::vector<std::string> skins;
};

class CFakeBrowserWindow final : public CFakeCompanion<IBrowserWindow> {
public:
    void Search(const std::string& text) override { searches.push_back(text); }
    std::vector<std::string> searches;
};

class CFakeLyricWindow final : public CFakeCompanion<ILyricWindow> {
public:
    void PostLyric(WPARAM wParam, LPARAM) override { posts.push_back(wParam); }
    void LoadLyric(const std::string& id, const std::string&, const std::string&) override { loaded.push_back(id); }
    std::vector<WPARAM> posts;
    std::vector<std::string> loaded;
};

class CFakePanelWindow final : public CFakeCompanion<IPanelWindow> {
public:
    // IPlayPanel
    CSongList* ListOfKind(int kind) override {
        const auto found = lists.find(kind);
        return found == lists.end() ? nullptr : &found->second;
    }
    bool SelectRow(int, int) override { return true; }
    void ShowPlayingRow(int, int, const St_SongInfo&) override {}
    void RedrawList(int) override {}
    int PlayMode() const override { return mode; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    // IPanelWindow
    void DockAt(const QRect& geometry) override { docked = geometry; }
    void PlaySelectedSong() override { ++selectedPlays; }
    void AddLibrarySongs() override { ++libraryAdds; }
    void RefreshShownPage() override { ++pageRefreshes; }
    bool ShowsRecommendations() const override { return false; }
    void SetPlayMode(int value) override { mode = value; }
    bool IsThreadUse(int timeoutMs, const char* caller) override {
        waits.emplace_back(timeoutMs, caller);
        if (onWait) onWait(caller);
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_busy; });
    }
    bool SaveChangedAlbums() override { return changedAlbums; }
    void SetClosing() override { closing = true; }
    bool IsLogon() const override { return logon; }
    bool OnLogoutAlbum() override {
        std::lock_guard lock(m_mutex);
        if (m_busy) return false;
        ++logouts;
        m_busy = logoutHangs;
        return true;
    }
    void TerminateAlbumWorker(std::uint32_t exitCode) override {
        terminated.push_back(exitCode);
        SetBusy(false);
    }
    void ForgetSession() override {
        ++forgotten;
        logon = false;
    }
    void ClearPlayingAlbum() override { ++albumsCleared; }
    bool SavePlayList() override {
        ++saves;
        return true;
    }
    std::string UserName() const override { return user; }
    std::string Password() const override { return password; }

    // The album worker is busy until it is set free.
    void SetBusy(bool busy) {
        {
            std::lock_guard lock(m_mutex);
            m_busy = busy;
        }
        m_changed.notify_all();
    }

    std::map<int, CSongList> lists;
    int mode = kModeRepeatList;
    QRect docked;
    int selectedPlays = 0;
    int libraryAdds = 0;
    int pageRefreshes = 0;
    std::vector<std::pair<int, std::string>> waits;
    std::function<void(const char* caller)> onWait;  // as each wait begins
    bool changedAlbums = false;
    bool closing = false;  // the orderly close has told the panel
    bool logon = false;
    bool logoutHangs = false;
    int logouts = 0;
    std::vector<std::uint32_t> terminated;
    int forgotten = 0;
    int albumsCleared = 0;
    int saves = 0;
    std::string user;
    std::string password;
    std::vector<std::string> messages;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_busy = false;
};

class CFakePlayerFrame final : public IPlayerFrame {
public:
    IPanelWindow* Panel() override { return panel; }
    IBrowserWindow* Browser() override { return browser; }
    ILyricWindow* Lyric() override { return lyric; }
    int ShowMessageWindow(QWidget*, const std::string& text, unsigned flags) override {
        messages.push_back(text);
        messageFlags.push_back(flags);
        return answer;
    }
    void SetTopMost(bool value) override { topMost.push_back(value); }
    bool IsTopMost() const override { return !topMost.empty() && topMost.back(); }
    void RestoreDragSetting() override { ++dragRestores; }
    void ShowAbout(QWidget*) override { ++abouts; }
    void EndProcessWith(unsigned exitCode) override { exitCodes.push_back(exitCode); }

    IPanelWindow* panel = nullptr;
    IBrowserWindow* browser = nullptr;
    ILyricWindow* lyric = nullptr;
    std::vector<std::string> messages;
    std::vector<unsigned> messageFlags;
    int answer = kIdOk;
    std::vector<bool> topMost;
    int dragRestores = 0;
    int abouts = 0;
    std::vector<unsigned> exitCodes;
};
