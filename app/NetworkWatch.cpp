#include "app/NetworkWatch.h"

#include "common/System.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "service/ServiceHosts.h"
#include "skin/SkinChoice.h"

namespace {

// Texts shown to the user.
const std::string& OfflineMessage() {
    static const std::string text = Cp936("网络连接异常，请联网后使用本软件");
    return text;
}
const std::string& OfflineBalloon() {
    static const std::string text = Cp936("软件处于断网状态！");
    return text;
}

bool SystemIsOnline() { return IsNetworkAvailable() != 0; }

}  // namespace

CNetworkWatch::CNetworkWatch(INetworkWatchHost& host) : CNetworkWatch(host, SystemIsOnline) {}

CNetworkWatch::CNetworkWatch(INetworkWatchHost& host, NetworkState state)
    : m_host(host), m_state(std::move(state)) {
    m_watchTimer.setInterval(kWatchMs);
    m_advertTimer.setInterval(kAdvertMs);
    m_libraryTimer.setInterval(kLibraryMs);
    m_libraryTimer.setSingleShot(true);
    QObject::connect(&m_watchTimer, &QTimer::timeout, [this] { OnTimer(kWatchTimer); });
    QObject::connect(&m_advertTimer, &QTimer::timeout, [this] { OnTimer(kAdvertTimer); });
    QObject::connect(&m_libraryTimer, &QTimer::timeout, [this] { OnTimer(kLibraryTimer); });
}

bool CNetworkWatch::Start() {
    m_bOnline = m_state();
    if (!m_bOnline) {
        m_host.SetTrayIcon(TrayIconFor(m_host.PlayerSkinFolder(), false));
        m_host.ShowMessage(OfflineMessage());
        m_host.EnableOwnedWindows(false);
        m_host.ShowTrayBalloon(OfflineBalloon(), kBalloonSeconds);
        m_bWasOnline = m_bOnline;
    }
    m_watchTimer.start();
    return m_bOnline;
}

void CNetworkWatch::Stop() {
    m_watchTimer.stop();
    m_advertTimer.stop();
    m_libraryTimer.stop();
}

void CNetworkWatch::OnTimer(int timer) {
    switch (timer) {
    case kWatchTimer:
        OnWatch();
        break;
    case kAdvertTimer:
        Trace("Navigate Advertisement.");
        m_host.NavigatePanelPage(ServiceAddress(kAdvertPath));
        break;
    case kLibraryTimer:
        m_libraryTimer.stop();
        Trace("Navigate miniweb.");
        m_host.NavigateLibraryPage(ServiceAddress(kLibraryPath));
        break;
    default:
        break;
    }
}

void CNetworkWatch::OnPanelPageLoaded() { m_advertTimer.stop(); }

bool CNetworkWatch::IsTimerActive(int timer) const {
    const QTimer* running = TimerOf(timer);
    return running && running->isActive();
}

int CNetworkWatch::TrayIconFor(const std::string& skinFolder, bool online) {
    const bool skin2 = IsClassicFamily(skinFolder);
    if (online) return skin2 ? kIconOnlineSkin2 : kIconOnline;
    return skin2 ? kIconOfflineSkin2 : kIconOffline;
}

void CNetworkWatch::OnWatch() {
    // The offline message waits for the user in a loop of its own, where
    // this timer fires again: those ticks are skipped, the state is taken
    // up by the next one after it.
    if (m_bInWatch) return;
    m_bInWatch = true;
    m_bOnline = m_state();
    if (m_bOnline) {
        m_host.SetTrayIcon(TrayIconFor(m_host.PlayerSkinFolder(), true));
        if (!m_bWasOnline) {
            if (m_host.TipShown()) {
                m_host.EnableOwnedWindows(true);
                m_host.EnablePlayerControls();
            }
            m_advertTimer.start();
            m_libraryTimer.start();
        }
    } else {
        if (m_bWasOnline) GoneOffline();
        m_host.ShowPlayerOffline();
    }
    m_bWasOnline = m_bOnline;
    m_bInWatch = false;
}

void CNetworkWatch::GoneOffline() {
    m_host.SetTrayIcon(TrayIconFor(m_host.PlayerSkinFolder(), false));
    m_host.StopPlayback();
    m_host.ShowMessage(OfflineMessage());
    m_host.EnableOwnedWindows(false);
    m_host.ShowTrayBalloon(OfflineBalloon(), kBalloonSeconds);
}

const QTimer* CNetworkWatch::TimerOf(int timer) const {
    switch (timer) {
    case kWatchTimer: return &m_watchTimer;
    case kAdvertTimer: return &m_advertTimer;
    case kLibraryTimer: return &m_libraryTimer;
    default: return nullptr;
    }
}
