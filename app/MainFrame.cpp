#include "app/MainFrame.h"

#include "albums/AboutTonvik.h"
#include "albums/AddTipDlg.h"
#include "albums/AlbumTexts.h"
#include "albums/ListManage.h"
#include "albums/PanelIds.h"
#include "albums/PanelPlayer.h"
#include "app/DesktopControls.h"
#include "app/MessageWindowStyle.h"
#include "app/StartupUpdate.h"
#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/TopLevelWindow.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "lyrics/LyricDlg.h"
#include "notify/NotifyIds.h"
#include "playback/PlayerIds.h"
#include "notify/TaskbarNotifier.h"
#include "notify/TrayIcon.h"
#include "notify/TrayIconSystemHost.h"
#include "platform/Shell.h"
#include "playback/DeferredEngine.h"
#include "playback/PlayMainDlg.h"
#include "playback/WMPPlayer4.h"
#include "service/ServiceHosts.h"
#include "skin/ProgramResources.h"
#include "web/MiniWebBrowserDlg.h"

#include <QCloseEvent>
#include <QTimer>
#include <QMessageBox>
#include <QPalette>

#include <exception>

namespace {

// Step 6's message when the player cannot be made, naming what plays the
// music on this system: GStreamer's player and audio output come with its
// base and good plugins (the trace says which one is missing).
constexpr const char* kEngineFailure =
    "程序创建GStreamer播放组件发生错误，请安装GStreamer插件(gstreamer1.0-plugins-base、gstreamer1.0-plugins-good)最新版本";

// The commands the frame hands to the player's command table, so that the
// tray menu and the player's buttons and menus take one path.
constexpr int kPlayerCommands[] = {
    ID_PLAY_PAUSE, ID_STOP, ID_PREVIOUS, ID_NEXT, ID_VOLUME_UP, ID_VOLUME_DOWN, ID_MUTE,
    ID_PLAYMODE_FIRST, ID_PLAYMODE_FIRST + 1, ID_PLAYMODE_FIRST + 2, ID_PLAYMODE_FIRST + 3, ID_PLAYMODE_LAST,
    ID_LIBRARY, ID_LYRIC, ID_EXIT,
};

std::unique_ptr<CMediaEngine> CreatePlaybackEngine(std::string* reason) {
    return CWMPPlayer4::Create({}, reason);
}

int ShowMessageBox(QWidget* owner, const QString& text, unsigned flags) {
    const bool withCancel = (flags & 0xF) == kMbOkCancel;
    QMessageBox box(QMessageBox::Information, QString::fromLatin1(CPlayMainDlg::kWindowTitle), text,
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, owner);
    return box.exec() == QMessageBox::Ok ? kIdOk : kIdCancel;
}

// Runs a window's construction; one that throws is traced with `failure`
// and the reason, and fails the frame's creation.
template <typename Make>
bool Built(const char* failure, Make make) {
    try {
        make();
        return true;
    } catch (const std::exception& error) {
        Trace("%s", failure);
        Trace("OnCreate===%s", error.what());
        return false;
    }
}

// The notifier's text, plain and under the mouse.
constexpr ColorRef kNotifierText = 0x000000;

}  // namespace

// Other processes may only ask for the player to be shown and for the
// orderly close; every other message comes from this program's windows.
CMainFrame::CMainFrame(EndProcess endProcess)
    : QWidget(nullptr),
      CMessageTarget(this),
      m_endProcess(std::move(endProcess)),
      m_createEngine(CreatePlaybackEngine),
      m_messageBox(ShowMessageBox),
      m_channel(this, {WM_FRAME_ACTIVATE, WM_FRAME_CLOSEAPP}) {
    setObjectName(QString::fromUtf8(kMainFrameClassName));
    setWindowTitle(QString::fromUtf8(kMainFrameTitle));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0x40, 0x40, 0x40));
    setPalette(palette);
    setAutoFillBackground(true);
    m_tip = [this](QWidget* owner, const St_Tip& tip) { PresentTip(owner, tip); };
    m_updateCheck = [] { return CStartupUpdate().Run() != CStartupUpdate::Outcome::Quit; };
    RegisterHandlers();
    RegisterCommands();
}

CMainFrame::~CMainFrame() {
    TRACE_SCOPE("~CMainFrame...");
    m_channel.Close();
    if (m_pPlayDlg) m_pPlayDlg->removeEventFilter(this);
    if (m_pListManage) m_pListManage->removeEventFilter(this);
    // Nothing watches or reloads the windows any more, and songs still
    // coming from the service find nobody to take them.
    m_pNetworkWatch.reset();
    m_pDesktop.reset();
    m_pLibSongs.reset();
    // The panel plays through the player, and every window reaches the
    // others through the frame: the player goes after the windows beside
    // it, the notifier and the tray last.
    m_pListManage.reset();
    m_pPanelPlayer.reset();
    m_pMiniWeb.reset();
    m_pLyricDlg.reset();
    m_pPlayDlg.reset();
    m_pNotifier.reset();
    m_pTrayIcon.reset();
    m_pTrayHost.reset();
}

void CMainFrame::SetTrayHost(std::unique_ptr<ITrayIconHost> host) { m_pTrayHost = std::move(host); }

void CMainFrame::RegisterHandlers() {
    SetMessageHandler(WM_FRAME_ACTIVATE, [this](WPARAM w, LPARAM l) { return OnActivatePlayer(w, l); });
    SetMessageHandler(WM_FRAME_CLOSEAPP, [this](WPARAM w, LPARAM l) { return OnCloseWnd(w, l); });
    SetMessageHandler(WM_SYSCOMMAND, [this](WPARAM w, LPARAM l) { return OnSysCommand(w, l); });
    SetMessageHandler(WM_FRAME_LIBSONG, [this](WPARAM w, LPARAM l) { return OnLibSong(w, l); });
    SetMessageHandler(WM_FRAME_SONGINFO, [this](WPARAM w, LPARAM l) { return OnSongInfo(w, l); });
    SetMessageHandler(WM_FRAME_ALBUMINFO, [this](WPARAM w, LPARAM l) { return OnAlbumInfo(w, l); });
}

void CMainFrame::RegisterCommands() {
    for (int command : kPlayerCommands) {
        SetCommandHandler(command, [this, command] {
            if (m_pPlayDlg) m_pPlayDlg->OnCommand(command);
        });
    }
    SetCommandHandler(ID_SHOW_MAIN, [this] { OnShowMain(); });
    SetCommandHandler(ID_MINIMIZE, [this] {
        if (m_pPlayDlg) SendMessage(m_pPlayDlg.get(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    });
    SetCommandHandler(ID_TRAY_ADD_LIBRARY_SONGS, [this] { OnAddLibrarySongs(); });
    SetCommandHandler(ID_SONG_NOTICE, [this] {
        if (m_pDesktop) m_pDesktop->ToggleSongNotice();
    });
}

bool CMainFrame::Create() {
    if (!OnCreate()) return false;
    // From here on a second start finds this frame by its title. A frame
    // nobody can find could never be activated nor closed by the close tool.
    if (!m_channel.Listen(kMainFrameTitle)) {
        Trace("OnCreate===Can not listen as %s", kMainFrameTitle);
        return false;
    }
    return true;
}

bool CMainFrame::OnCreate() {
    TRACE_SCOPE("OnCreate MainFrame...");
    // The socket library needs no start here. The update check comes before
    // any window, within its bound; when it ends the start, nothing is made.
    if (m_updateCheck && !m_updateCheck()) return false;

    CreateNotifier();
    // The desktops this build runs on always show window contents while
    // dragging; there is no setting to read or give back.
    Trace("OnCreate===Full window mode :%d", m_bDragFullWindows);

    if (!CreatePlayer()) return false;
    // The player comes first on the screen; the windows beside it, the
    // watch and its first check follow right after its first picture.
    m_pPlayDlg->installEventFilter(this);
    m_pPlayDlg->show();
    QTimer::singleShot(kCompanionsLatestMs, this, [this] {
        if (!m_pListManage) Trace("OnCreate===No picture of the player yet; its windows come now.");
        CreateCompanions();
    });
    return true;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pPlayDlg.get() && event->type() == QEvent::Paint) {
        m_pPlayDlg->removeEventFilter(this);
        QMetaObject::invokeMethod(this, [this] { CreateCompanions(); }, Qt::QueuedConnection);
    }
    // The panel shown or hidden by itself (its own close button, the
    // desktop): the player's list button follows once it has happened.
    if (watched == m_pListManage.get() && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        QMetaObject::invokeMethod(this, [this] {
            if (m_pPlayDlg) m_pPlayDlg->FollowPanel();
        }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void CMainFrame::CreateCompanions() {
    if (m_pListManage || !m_pPlayDlg || m_bEngineFailed) return;
    m_pPlayDlg->removeEventFilter(this);
    if (!AttachEngine()) {
        m_bEngineFailed = true;
        return;
    }
    if (!Built("Failed to Create CListManageDlg.", [this] { CreatePanel(); }) ||
        !Built("Failed to Create CMusicLibDlg.", [this] { CreateMiniWeb(); }) ||
        !Built("Failed to Create CLyricDlg.", [this] { CreateLyric(); })) {
        // As a failed creation of the frame: the program ends.
        EndProcessWith(0);
        return;
    }
    m_pLibSongs = std::make_unique<CLibSongs>(static_cast<ILibSongPanel&>(*this), m_songFetch);
    m_pDesktop = std::make_unique<CDesktopControls>(*m_pPlayDlg, *this, Handle(), g_strIniFile);

    // The player shows its list: the panel appears docked under it.
    m_pPlayDlg->OnCommand(IDC_LIST);
    if (m_bTopMost) ApplyTopMost();

    // The offline start, then the watch every 3000 ms; its first check
    // online loads the two service pages.
    m_pNetworkWatch = m_networkState ? std::make_unique<CNetworkWatch>(*this, m_networkState)
                                     : std::make_unique<CNetworkWatch>(*this);
    connect(m_pListManage.get(), &CListManage::pagePaneLoaded, this, [this] { m_pNetworkWatch->OnPanelPageLoaded(); });
    m_pNetworkWatch->Start();
}

void CMainFrame::CreateNotifier() {
    m_pNotifier = std::make_unique<CTaskbarNotifier>();
    m_pNotifier->Create(this);
    m_pNotifier->SetSkin(IDB_NOTIFIER_SKIN, 0, 128, 128);
    m_pNotifier->SetTextFont("SYSTEM", 90, 0, 4);
    m_pNotifier->SetTextColor(kNotifierText, kNotifierText);

    if (!m_pTrayHost) m_pTrayHost = std::make_unique<CTrayIconSystemHost>();
    m_pTrayIcon = std::make_unique<CXTTrayIcon>(*m_pTrayHost);
    // A tray that refuses the icon now gets it again later (the icon retries).
    if (!m_pTrayIcon->CreateIcon(kTrayTip, this, kResTrayOnlineClassic, IDR_TRAY_MENU, ID_SHOW_MAIN, false))
        Trace("OnCreate===The tray icon waits for the notification area.");
}

bool CMainFrame::CreatePlayer() {
    // The engine itself is made once the player has its first picture: on
    // a first start the media framework is still building its registry.
    auto engine = std::make_unique<CDeferredEngine>(m_createEngine);
    m_pEngine = engine.get();
    m_pPlayDlg = std::make_unique<CPlayMainDlg>(*this, std::move(engine));
    return true;
}

bool CMainFrame::AttachEngine() {
    std::string reason;
    if (m_pEngine->Attach(&reason)) return true;
    // There is no system error code here; the reason says what is missing.
    Trace("Failed to Create CPlayDlg. %d", -1);
    Trace("CreatePlayer===%s", reason.c_str());
    m_messageBox(nullptr, QString::fromUtf8(kEngineFailure), kMbOk);
    // As a failed creation of the frame: the program ends.
    EndProcessWith(0);
    return false;
}

void CMainFrame::CreatePanel() {
    CPlayMainDlg* player = m_pPlayDlg.get();
    m_pPanelPlayer = std::make_unique<CPanelPlayer>(player->Controller(), [player] { player->OnPlayModeChanged(); });
    m_pListManage =
        std::make_unique<CListManage>(*this, Handle(), *m_pPanelPlayer, PlayerSkinFolder(), nullptr,
                                                  St_PanelOptions{m_bPanelPagePane});
    m_pListManage->setWindowTitle(QString::fromUtf8(CListManage::kWindowTitle));
    m_pListManage->installEventFilter(this);
}

void CMainFrame::CreateMiniWeb() {
    // Its page view, and with it the web engine, is made when it is first
    // shown; pages asked for before wait for it.
    m_pMiniWeb = std::make_unique<CMiniWebBrowserDlg>(Handle(), PlayerSkinFolder());
    m_pMiniWeb->setWindowTitle(QString::fromUtf8(kLibraryTitle));
}

void CMainFrame::CreateLyric() {
    LyricWindowSetup setup;
    setup.skinFolder = PlayerSkinFolder();
    setup.messages = this;
    setup.seek = [this](uint32_t positionMs) {
        if (m_pPlayDlg) m_pPlayDlg->Controller().SeekTo(positionMs);
    };
    m_pLyricDlg = std::make_unique<CLyricDlg>(std::move(setup));
    m_pLyricDlg->setWindowTitle(QString::fromUtf8(kLyricTitle));
}

std::string CMainFrame::PlayerSkinFolder() const { return m_pPlayDlg ? m_pPlayDlg->Looks().Skin() : std::string(); }

IPanelWindow* CMainFrame::Panel() { return m_pListManage.get(); }

IBrowserWindow* CMainFrame::Browser() { return m_pMiniWeb.get(); }

bool CMainFrame::PerformPlayerKey(PlayerKey action) { return m_pPlayDlg && m_pPlayDlg->PerformKey(action); }

ILyricWindow* CMainFrame::Lyric() { return m_pLyricDlg.get(); }

// ------------------------------------------------------------------ messages to the user

int CMainFrame::ShowMessageWindow(QWidget* owner, const std::string& text, unsigned flags) {
    TRACE_SCOPE("ShowMessageWindow...");
    const MessageWindowStyle style = StyleOfMessage(FromAnsi(text));
    int answer = kIdOk;
    EnableOwnedWindows(false);
    if (style.tip) {
        St_Tip tip;
        tip.text = ToAnsi(style.text);
        tip.delayMs = style.tipDelayMs;
        m_tip(owner, tip);
    } else {
        answer = m_messageBox(owner, style.text, flags);
    }
    EnableOwnedWindows(true);
    m_bTipShown = 1;
    return answer;
}

void CMainFrame::PresentTip(QWidget* owner, const St_Tip& tip) {
    CAddTipDlg dialog(owner);
    dialog.SetSkinFolder(PlayerSkinFolder());
    dialog.SetText(tip.text);
    if (tip.delayMs > 0) dialog.m_nDelay = tip.delayMs;
    if (tip.counts) {
        dialog.m_bCounts = 1;
        dialog.m_nAdded = tip.added;
        dialog.m_nDropped = tip.dropped;
    }
    dialog.exec();
}

QWidget* CMainFrame::MessageOwner() const {
    if (m_pListManage && m_pListManage->IsShown()) return m_pListManage.get();
    return m_pPlayDlg.get();
}

void CMainFrame::EnableOwnedWindows(bool enable) {
    if (m_pPlayDlg) m_pPlayDlg->setEnabled(enable);
    for (ICompanionWindow* window : {static_cast<ICompanionWindow*>(m_pListManage.get()),
                                     static_cast<ICompanionWindow*>(m_pMiniWeb.get()),
                                     static_cast<ICompanionWindow*>(m_pLyricDlg.get())}) {
        if (window) window->EnableWindow(enable);
    }
}

void CMainFrame::ShowMessage(const std::string& text) { ShowMessageWindow(MessageOwner(), text); }

// ------------------------------------------------------------------ what the network watch uses

void CMainFrame::SetTrayIcon(int iconResource) {
    if (m_pTrayIcon) m_pTrayIcon->SetIconResource(iconResource);
}

void CMainFrame::ShowTrayBalloon(const std::string& text, int seconds) {
    if (m_pTrayIcon) m_pTrayIcon->ShowBalloonTip(text, kTrayTip, NIIF_INFO_ICON, static_cast<unsigned>(seconds) * 1000u);
}

void CMainFrame::StopPlayback() {
    if (m_pPlayDlg) m_pPlayDlg->OnCommand(ID_STOP);
}

void CMainFrame::EnablePlayerControls() {
    if (m_pPlayDlg) m_pPlayDlg->setEnabled(true);
}

void CMainFrame::ShowPlayerOffline() {
    // The player has no controls of its own that need the network: it is
    // only made usable again.
    if (m_pPlayDlg) m_pPlayDlg->setEnabled(true);
}

void CMainFrame::NavigatePanelPage(const std::string& address) {
    if (m_pListManage) m_pListManage->NavigatePane(address);
}

void CMainFrame::NavigateLibraryPage(const std::string& address) {
    if (m_pMiniWeb) m_pMiniWeb->ShowAddress(address);
}

// ------------------------------------------------------------------ the windows' requests

void CMainFrame::SetTopMost(bool topMost) {
    m_bTopMost = topMost;
    ApplyTopMost();
}

void CMainFrame::ApplyTopMost() {
    // The windows beside the player first, the player in front of them.
    if (m_pListManage) SetStaysOnTop(*m_pListManage, m_bTopMost);
    if (m_pMiniWeb) SetStaysOnTop(*m_pMiniWeb, m_bTopMost);
    if (m_pLyricDlg) m_pLyricDlg->SetFrameTopMost(m_bTopMost);
    if (m_pPlayDlg) SetStaysOnTop(*m_pPlayDlg, m_bTopMost);
}

void CMainFrame::RestoreDragSetting() {
    // The desktops this build runs on have no program-wide "show window
    // contents while dragging" setting to give back.
}

void CMainFrame::ShowAbout(QWidget* owner) {
    CAboutTonvik about(owner);
    about.exec();
}

LRESULT CMainFrame::OnActivatePlayer(WPARAM, LPARAM) {
    Trace("OnActivatePlayer===Show the player.");
    if (m_pPlayDlg) m_pPlayDlg->ShowAndRestore();
    activateWindow();
    return 0;
}

LRESULT CMainFrame::OnCloseWnd(WPARAM, LPARAM) {
    Trace("====OnCloseWnd===");
    if (m_pPlayDlg) {
        m_pPlayDlg->CloseApp();
    } else {
        EndProcessWith(0);
    }
    return 0;
}

LRESULT CMainFrame::OnSysCommand(WPARAM wParam, LPARAM lParam) {
    if ((wParam & 0xFFF0) != SC_CLOSE) return DefWindowProc(WM_SYSCOMMAND, wParam, lParam);
    OnSysClose();
    return 0;
}

LRESULT CMainFrame::OnLibSong(WPARAM wParam, LPARAM lParam) {
    // Only a text this program posted is read; anything else is no list.
    const std::u16string* ids = MessageText(lParam);
    if (ids == nullptr || !m_pLibSongs) {
        Trace("OnLibSong===No song text.");
        return 0;
    }
    m_pLibSongs->OnLibSong(wParam, *ids);
    return 0;
}

LRESULT CMainFrame::OnSongInfo(WPARAM wParam, LPARAM) {
    if (!m_pMiniWeb) return 0;
    m_pMiniWeb->ShowPage("songinfo", std::to_string(wParam));
    if (!m_pMiniWeb->IsShown()) m_pMiniWeb->ShowWindow(true);
    m_pMiniWeb->BringToFront();
    return 0;
}

LRESULT CMainFrame::OnAlbumInfo(WPARAM wParam, LPARAM) {
    TRACE_SCOPE("OnAlbumInfo...");
    const std::string user = m_pListManage ? m_pListManage->UserName() : std::string();
    const std::string password = m_pListManage ? m_pListManage->Password() : std::string();
    const std::string address =
        SignInRedirectAddress(ReadServiceHosts(), user, password, kAlbumEditPath) + std::to_string(wParam);
    if (m_pPlayDlg) SetTopMost(true);
    Trace("URl:%s", address.c_str());
    // The address holds the password: no program's arguments may.
    if (!tonvik::platform::OpenUrlPrivately(address)) Trace("OnAlbumInfo===The browser could not be started.");
    return 0;
}

void CMainFrame::OnShowMain() {
    if (m_pPlayDlg) m_pPlayDlg->ShowAndRestore();
}

void CMainFrame::OnAddLibrarySongs() {
    // Disabled while the panel shows its recommendations.
    if (m_pListManage && !m_pListManage->ShowsRecommendations()) m_pListManage->AddLibrarySongs();
}

void CMainFrame::OnSysClose() {
    Trace("OnSysCommand==Terminate my life.");
    EndProcessWith(0xFFFFFFFFu);
}

void CMainFrame::EndProcessWith(unsigned exitCode) {
    // Nobody may find the frame once it is going.
    m_channel.Close();
    // An orderly end lets the pages go, so that the end function can write
    // out what they stored (the service's cookies among it); the system
    // menu's close ends at once.
    if (exitCode == 0) ReleaseWebPages();
    if (m_endProcess) m_endProcess(exitCode);
}

void CMainFrame::ReleaseWebPages() {
    if (m_pMiniWeb) m_pMiniWeb->ReleasePageView();
    if (m_pListManage) m_pListManage->ReleasePagePane();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The window system's close stands for the system menu's.
    event->ignore();
    OnSysClose();
}

void CMainFrame::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // The frame is never seen: the focus belongs to the player.
    if (m_pPlayDlg && m_pPlayDlg->isVisible()) m_pPlayDlg->activateWindow();
}

// ------------------------------------------------------------------ the tray

void CMainFrame::BringToForeground() { activateWindow(); }

CTrayMenuState CMainFrame::MenuState() const {
    CTrayMenuState state;
    state.networkAvailable = !m_pNetworkWatch || m_pNetworkWatch->IsOnline();
    state.lyricVisible = m_pLyricDlg && m_pLyricDlg->IsShown();
    state.libraryVisible = m_pMiniWeb && m_pMiniWeb->IsShown();
    state.playMode = m_pListManage ? m_pListManage->PlayMode() : -1;
    state.muted = m_pPlayDlg && m_pPlayDlg->Engine().get_mute();
    state.songNotice = m_pDesktop && m_pDesktop->SongNoticeOn();
    return state;
}

// ------------------------------------------------------------------ songs chosen on pages

int CMainFrame::ShownListKind() const {
    return m_pListManage && m_pListManage->CurrentPage() == kPageAlbumTree ? kListAlbum : kListTemporary;
}

std::string CMainFrame::SelectedAlbumId() const {
    if (!m_pListManage) return {};
    CAlbumManager& albums = m_pListManage->Logic().Manager();
    const int index = albums.AlbumIndexOf(m_pListManage->AlbumSelection().album);
    return index >= 0 ? albums.Albums().GetAt(index).albumId : std::string();
}

bool CMainFrame::AlbumWorkerFree() { return m_pListManage && m_pListManage->IsThreadUse(0, "OnLibSong"); }

int CMainFrame::PlayListCount() const {
    return m_pListManage ? m_pListManage->Logic().PlayList().List().GetCount() : 0;
}

int CMainFrame::PlayListIndexOf(const std::string& id) const {
    return m_pListManage ? m_pListManage->Logic().PlayList().List().FindSong(id) : -1;
}

int CMainFrame::AddToPlayList(const CSongList& songs) {
    return m_pListManage ? m_pListManage->Logic().AddToPlayList(songs) : 0;
}

int CMainFrame::AddToAlbum(const CSongList& songs, const std::string& albumId) {
    if (!m_pListManage) return -1;
    if (albumId.empty()) {
        ShowMessage(Cp936(kNoAlbumSelectedText));
        return -1;
    }
    // The album chosen may have gone meanwhile (deleted, signed out).
    const int index = m_pListManage->Logic().Manager().Albums().FindById(albumId);
    if (index < 0) {
        Trace("OnLibSong===Album %s is gone.", albumId.c_str());
        ShowTip(Cp936(CLibSongs::kAddFailedText));
        return -1;
    }
    return m_pListManage->Logic().Editor().AddSong(songs, m_pListManage->AlbumItemAt(index), false);
}

void CMainFrame::PlayFromPlayList(int index) {
    if (!m_pListManage || !m_pPanelPlayer) return;
    St_SongInfo song;
    if (!m_pListManage->Logic().PlayList().List().GetAt(index, song)) return;
    m_pPanelPlayer->Play(song, index, kListTemporary);
}

void CMainFrame::ShowTip(const std::string& text) {
    St_Tip tip;
    tip.text = text;
    m_tip(MessageOwner(), tip);
}

void CMainFrame::ShowAddedTip(int added, int dropped) {
    St_Tip tip;
    tip.counts = true;
    tip.added = added;
    tip.dropped = dropped;
    m_tip(MessageOwner(), tip);
}
