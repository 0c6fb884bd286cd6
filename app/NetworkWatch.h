#pragma once
// The frame's watch over the network connection. Every 3000 ms it asks
// whether the machine has a network (an address other than the loopback
// one, read from the interface list: no name is looked up, the check never
// blocks) and follows the changes:
//
// - going offline stops playback, tells the user, locks the program's
//   windows and shows the offline tray icon and balloon; while offline the
//   player stays usable with its controls in the offline state;
// - being online shows the online tray icon; coming online (the first check
//   online included, which is how the two service pages load after the
//   start) unlocks the windows if a message was shown, reloads the panel's
//   advertisement page every 3000 ms until the panel reports it loaded, and
//   the library pane's recommendation page once after 5000 ms.
//
// What the frame does:
//
//     m_watch = std::make_unique<CNetworkWatch>(hostOfTheFrame);  // after the four windows exist
//     m_watch->Start();           // the offline start, then the watch runs
//     panel page loaded  ->  m_watch->OnPanelPageLoaded();
//     destruction        ->  m_watch.reset() before the windows go
//
// The frame implements INetworkWatchHost over its tray icon and windows.
// The timers are the watch's own; tests call OnTimer to tick them.

#include <QTimer>

#include <functional>
#include <string>

// What the watch needs of the frame. Texts are CP936.
class INetworkWatchHost {
public:
    virtual ~INetworkWatchHost() = default;

    // The full skin folder the player wears now ("Skin2" or "Skin").
    virtual std::string PlayerSkinFolder() const = 0;
    virtual void SetTrayIcon(int iconResource) = 0;
    virtual void ShowTrayBalloon(const std::string& text, int seconds) = 0;
    // The player's stop button (OnButtonStop).
    virtual void StopPlayback() = 0;
    // ShowMessageWindow over the panel if it is visible, else the player.
    virtual void ShowMessage(const std::string& text) = 0;
    // Whether ShowMessageWindow has shown a message (m_bTipShown).
    virtual bool TipShown() const = 0;
    // Enables or disables the four owned windows.
    virtual void EnableOwnedWindows(bool enable) = 0;
    // The player window and its controls usable again after being offline.
    virtual void EnablePlayerControls() = 0;
    // The player window enabled with its controls in the offline state.
    virtual void ShowPlayerOffline() = 0;
    // The panel's page pane and the library pane go to these addresses.
    virtual void NavigatePanelPage(const std::string& address) = 0;
    virtual void NavigateLibraryPage(const std::string& address) = 0;
};

class CNetworkWatch {
public:
    // The frame's timer numbers and periods.
    static constexpr int kWatchTimer = 1;
    static constexpr int kAdvertTimer = 3;
    static constexpr int kLibraryTimer = 4;
    static constexpr int kWatchMs = 3000;
    static constexpr int kAdvertMs = 3000;
    static constexpr int kLibraryMs = 5000;

    // Tray icons: online and offline, for "Skin2" skins and the others.
    static constexpr int kIconOnlineSkin2 = 239;
    static constexpr int kIconOnline = 256;
    static constexpr int kIconOfflineSkin2 = 227;
    static constexpr int kIconOffline = 255;
    static constexpr int kBalloonSeconds = 10;

    static constexpr const char* kAdvertPath = "/iframe/songhall/tonvik/ad.html";
    static constexpr const char* kLibraryPath = "/songhall/tonvik/newrecommand.shtml";

    // Whether the machine is online now; never blocks.
    using NetworkState = std::function<bool()>;

    // Watches the system's interfaces.
    explicit CNetworkWatch(INetworkWatchHost& host);
    CNetworkWatch(INetworkWatchHost& host, NetworkState state);
    CNetworkWatch(const CNetworkWatch&) = delete;
    CNetworkWatch& operator=(const CNetworkWatch&) = delete;

    // The check at start: when offline, the offline icon, the message, the
    // windows locked and the balloon. Then the watch timer runs. Returns
    // whether the machine is online.
    bool Start();
    // Stops every timer.
    void Stop();

    // A tick of one of the timers (kWatchTimer, kAdvertTimer, kLibraryTimer).
    void OnTimer(int timer);
    // The panel's page has loaded: its reloading stops.
    void OnPanelPageLoaded();

    bool IsOnline() const { return m_bOnline; }
    bool WasOnline() const { return m_bWasOnline; }
    bool IsTimerActive(int timer) const;

    // The tray icon for a skin folder and a state.
    static int TrayIconFor(const std::string& skinFolder, bool online);

private:
    void OnWatch();
    void GoneOffline();
    const QTimer* TimerOf(int timer) const;

    INetworkWatchHost& m_host;
    NetworkState m_state;
    bool m_bOnline = false;
    // Offline until a check says otherwise: the first check online loads the pages.
    bool m_bWasOnline = false;
    // A tick is under way; its message runs a modal loop in which the watch
    // timer fires again.
    bool m_bInWatch = false;
    QTimer m_watchTimer;
    QTimer m_advertTimer;
    QTimer m_libraryTimer;
};
