#pragma once
// The hidden main frame: the window other processes find by its title, the
// owner of the four windows (player, my-music panel, library pane, lyric
// window), the tray icon and the notifier, and the place where requests that
// concern the whole program arrive (a second start asking to be shown, the
// orderly close, the system-menu close, songs and pages chosen in the
// windows, the tray's commands). The player reaches it as IPlayerFrame.

#include "app/LibSongs.h"
#include "app/NetworkWatch.h"
#include "common/WindowChannel.h"
#include "common/WindowMessage.h"
#include "notify/TrayIconHost.h"
#include "playback/PlayerPorts.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class CDesktopControls;
class CListManage;
class CLyricDlg;
class CDeferredEngine;
class CMediaEngine;
class CMiniWebBrowserDlg;
class CPanelPlayer;
class CPlayMainDlg;
class CTaskbarNotifier;
class CXTTrayIcon;

class CMainFrame : public QWidget,
                   public CMessageTarget,
                   public IPlayerFrame,
                   public INetworkWatchHost,
                   private ITrayIconOwner,
                   private ILibSongPanel {
public:
    // Ends the process with an exit code; never returns in the program.
    using EndProcess = std::function<void(unsigned exitCode)>;
    // Makes the player's media engine; nullptr, with the reason, when it
    // cannot be made.
    using CreateEngine = std::function<std::unique_ptr<CMediaEngine>(std::string* reason)>;
    // Shows a message box captioned "Tonvik Player" over `owner` and returns
    // kIdOk or kIdCancel.
    using BoxPresenter = std::function<int(QWidget* owner, const QString& text, unsigned flags)>;
    // A notice of the self-closing tip (CAddTipDlg): a CP936 text, or the
    // two album counts; `delayMs` 0 keeps the tip's own time.
    struct St_Tip {
        std::string text;
        int delayMs = 0;
        bool counts = false;
        int added = 0;
        int dropped = 0;
    };
    using TipPresenter = std::function<void(QWidget* owner, const St_Tip& tip)>;
    // The update check at start, before any window; false ends the start.
    using UpdateCheck = std::function<bool()>;

    // The titles the frame gives its windows.
    static constexpr const char* kLibraryTitle = "Tonvik音乐--乐库";
    static constexpr const char* kLyricTitle = "Tonvik音乐--歌词";
    static constexpr const char* kTrayTip = "Tonvik Player";
    static constexpr const char* kAlbumEditPath = "/shequ/manage/edituseralbum.php?id=";

    explicit CMainFrame(EndProcess endProcess);
    ~CMainFrame() override;
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Seams for tests and tools; before Create.
    void SetEngineFactory(CreateEngine createEngine) { m_createEngine = std::move(createEngine); }
    void SetBoxPresenter(BoxPresenter presenter) { m_messageBox = std::move(presenter); }
    void SetTipPresenter(TipPresenter presenter) { m_tip = std::move(presenter); }
    void SetTrayHost(std::unique_ptr<ITrayIconHost> host);
    // Without page panes the panel needs no web engine (tests).
    void SetPanelPagePane(bool pagePane) { m_bPanelPagePane = pagePane; }
    void SetSongInfoFetch(CLibSongs::Fetch fetch) { m_songFetch = std::move(fetch); }
    void SetUpdateCheck(UpdateCheck check) { m_updateCheck = std::move(check); }
    // The network state the watch reads; empty: the system's interfaces.
    void SetNetworkState(CNetworkWatch::NetworkState state) { m_networkState = std::move(state); }

    // Creates the frame: OnCreate, then the frame becomes findable by its
    // title. False when either failed (the program then ends). The player
    // exists then; the windows beside it follow its first picture (at the
    // latest after kCompanionsLatestMs), see CompanionsReady.
    bool Create();
    static constexpr int kCompanionsLatestMs = 500;
    // The panel, the library pane and the lyric window exist.
    bool CompanionsReady() const { return m_pLyricDlg != nullptr; }

    // The windows, once created.
    CPlayMainDlg* Player() const { return m_pPlayDlg.get(); }
    CListManage* ListManage() const { return m_pListManage.get(); }
    CMiniWebBrowserDlg* MiniWeb() const { return m_pMiniWeb.get(); }
    CLyricDlg* LyricDlg() const { return m_pLyricDlg.get(); }
    CXTTrayIcon* TrayIcon() const { return m_pTrayIcon.get(); }
    CTaskbarNotifier* Notifier() const { return m_pNotifier.get(); }
    const CLibSongs* LibSongs() const { return m_pLibSongs.get(); }
    CLibSongs* LibSongs() { return m_pLibSongs.get(); }
    CNetworkWatch* NetworkWatch() const { return m_pNetworkWatch.get(); }
    bool DragFullWindows() const { return m_bDragFullWindows != 0; }

    // The system-menu close: ends the process at once with 0xFFFFFFFF.
    void OnSysClose();

    // INetworkWatchHost: what the network watch does with the windows.
    std::string PlayerSkinFolder() const override;
    void SetTrayIcon(int iconResource) override;
    void ShowTrayBalloon(const std::string& text, int seconds) override;
    void StopPlayback() override;
    // The message over the panel when it shows, else over the player.
    void ShowMessage(const std::string& text) override;
    bool TipShown() const override { return m_bTipShown != 0; }
    // Locks or unlocks the four windows.
    void EnableOwnedWindows(bool enable) override;
    void EnablePlayerControls() override;
    // Offline, the player stays usable (its menu, the tray, the close)
    // while the windows beside it stay locked.
    void ShowPlayerOffline() override;
    void NavigatePanelPage(const std::string& address) override;
    void NavigateLibraryPage(const std::string& address) override;

    // IPlayerFrame.
    IPanelWindow* Panel() override;
    IBrowserWindow* Browser() override;
    ILyricWindow* Lyric() override;
    int ShowMessageWindow(QWidget* owner, const std::string& text, unsigned flags = kMbOk) override;
    void SetTopMost(bool topMost) override;
    bool IsTopMost() const override { return m_bTopMost; }
    bool PerformPlayerKey(PlayerKey action) override;
    void RestoreDragSetting() override;
    void ShowAbout(QWidget* owner) override;
    // Ends the process through the frame's end function.
    void EndProcessWith(unsigned exitCode) override;
    // The pages of the library pane and the panel go for good.
    void ReleaseWebPages();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool OnCreate();
    void CreateCompanions();
    void CreateNotifier();
    bool CreatePlayer();
    // Makes the player's media engine; without one the user is told what is
    // missing and the program ends.
    bool AttachEngine();
    void CreatePanel();
    void CreateMiniWeb();
    void CreateLyric();
    // Gives every window the frame's always-on-top state.
    void ApplyTopMost();
    void RegisterHandlers();
    void RegisterCommands();
    void PresentTip(QWidget* owner, const St_Tip& tip);
    QWidget* MessageOwner() const;

    LRESULT OnActivatePlayer(WPARAM wParam, LPARAM lParam);
    LRESULT OnCloseWnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnLibSong(WPARAM wParam, LPARAM lParam);
    LRESULT OnSongInfo(WPARAM wParam, LPARAM lParam);
    LRESULT OnAlbumInfo(WPARAM wParam, LPARAM lParam);
    void OnShowMain();
    void OnAddLibrarySongs();

    // ITrayIconOwner
    QObject* MessageObject() override { return this; }
    void BringToForeground() override;
    bool HasPlayer() const override { return m_pPlayDlg != nullptr; }
    CTrayMenuState MenuState() const override;

    // ILibSongPanel
    int ShownListKind() const override;
    std::string SelectedAlbumId() const override;
    bool AlbumWorkerFree() override;
    int PlayListCount() const override;
    int PlayListIndexOf(const std::string& id) const override;
    int AddToPlayList(const CSongList& songs) override;
    int AddToAlbum(const CSongList& songs, const std::string& albumId) override;
    void PlayFromPlayList(int index) override;
    void ShowTip(const std::string& text) override;
    void ShowAddedTip(int added, int dropped) override;

    EndProcess m_endProcess;
    CreateEngine m_createEngine;
    BoxPresenter m_messageBox;
    TipPresenter m_tip;
    bool m_bPanelPagePane = true;
    CLibSongs::Fetch m_songFetch;
    UpdateCheck m_updateCheck;
    CNetworkWatch::NetworkState m_networkState;
    CWindowChannel m_channel;

    std::unique_ptr<CPlayMainDlg> m_pPlayDlg;
    CDeferredEngine* m_pEngine = nullptr;  // the player's, owned by it
    bool m_bEngineFailed = false;
    std::unique_ptr<CPanelPlayer> m_pPanelPlayer;
    std::unique_ptr<CListManage> m_pListManage;
    std::unique_ptr<CMiniWebBrowserDlg> m_pMiniWeb;
    std::unique_ptr<CLyricDlg> m_pLyricDlg;
    std::unique_ptr<ITrayIconHost> m_pTrayHost;
    std::unique_ptr<CXTTrayIcon> m_pTrayIcon;
    std::unique_ptr<CTaskbarNotifier> m_pNotifier;
    std::unique_ptr<CLibSongs> m_pLibSongs;
    std::unique_ptr<CNetworkWatch> m_pNetworkWatch;
    std::unique_ptr<CDesktopControls> m_pDesktop;  // media controls and song notes

    bool m_bTopMost = false;  // the frame and every window it owns stay on top
    int m_bDragFullWindows = 1;
    int m_bTipShown = 0;
};
