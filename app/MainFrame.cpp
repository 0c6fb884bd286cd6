#include "app/MainFrame.h"

#include "albums/AboutTonvik.h"
#include "albums/AddTipDlg.h"
#include "albums/ListManage.h"
#include "albums/PanelPlayer.h"
#include "app/DesktopControls.h"
#include "app/MessageWindowStyle.h"
#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "playback/PlayMainDlg.h"
#include "playback/WMPPlayer4.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPalette>

namespace {

// Step 6's message when the player cannot be made (the program's own text).
constexpr const char* kEngineFailure =
    "程序创建Windwos Media Player组件发生错误，请安装Windwos Media Player最新版本";

std::unique_ptr<CMediaEngine> CreatePlaybackEngine(std::string* reason) {
    return CWMPPlayer4::Create({}, reason);
}

int ShowMessageBox(QWidget* owner, const QString& text, unsigned flags) {
    const bool withCancel = (flags & 0xF) == kMbOkCancel;
    QMessageBox box(QMessageBox::Information, QString::fromLatin1(CPlayMainDlg::kWindowTitle), text,
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, owner);
    return box.exec() == QMessageBox::Ok ? kIdOk : kIdCancel;
}

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

    SetMessageHandler(WM_FRAME_ACTIVATE, [this](WPARAM w, LPARAM l) { return OnActivatePlayer(w, l); });
    SetMessageHandler(WM_FRAME_CLOSEAPP, [this](WPARAM w, LPARAM l) { return OnCloseWnd(w, l); });
    SetMessageHandler(WM_SYSCOMMAND, [this](WPARAM w, LPARAM l) { return OnSysCommand(w, l); });
}

CMainFrame::~CMainFrame() {
    TRACE_SCOPE("~CMainFrame...");
    m_channel.Close();
    m_pDesktop.reset();
    // The panel plays through the player: it goes first.
    m_pPanel.reset();
    m_pPanelPlayer.reset();
    m_pPlayDlg.reset();
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
    // The socket library needs no start here; the browser and lyric
    // windows, the update check and the network watch join in later.
    if (!CreatePlayer()) return false;
    CreatePanel();
    m_pDesktop = std::make_unique<CDesktopControls>(*m_pPlayDlg, *this, Handle(), g_strIniFile);
    // Shown once the panel exists, the player docks it as it appears.
    m_pPlayDlg->show();
    m_pPanel->ShowWindow(true);
    return true;
}

bool CMainFrame::CreatePlayer() {
    std::string reason;
    std::unique_ptr<CMediaEngine> engine = m_createEngine ? m_createEngine(&reason) : nullptr;
    if (!engine) {
        // There is no system error code here; the reason says what is missing.
        Trace("Failed to Create CPlayDlg. %d", -1);
        Trace("CreatePlayer===%s", reason.c_str());
        m_messageBox(nullptr, QString::fromUtf8(kEngineFailure), kMbOk);
        return false;
    }
    m_pPlayDlg = std::make_unique<CPlayMainDlg>(*this, std::move(engine));
    return true;
}

void CMainFrame::CreatePanel() {
    CPlayMainDlg* player = m_pPlayDlg.get();
    m_pPanelPlayer = std::make_unique<CPanelPlayer>(player->Controller(), [player] { player->OnPlayModeChanged(); });
    m_pPanel = std::make_unique<CListManage>(*this, Handle(), *m_pPanelPlayer, player->Looks().Skin());
    m_pPanel->setWindowTitle(QString::fromUtf8(CListManage::kWindowTitle));
}

IPanelWindow* CMainFrame::Panel() { return m_pPanel.get(); }

int CMainFrame::ShowMessageWindow(QWidget* owner, const std::string& text, unsigned flags) {
    TRACE_SCOPE("ShowMessageWindow...");
    const MessageWindowStyle style = StyleOfMessage(FromAnsi(text));
    int answer = kIdOk;
    EnableOwnedWindows(false);
    if (style.tip) {
        CAddTipDlg tip(owner);
        tip.SetText(ToAnsi(style.text));
        if (m_pPlayDlg) tip.SetSkinFolder(m_pPlayDlg->Looks().Skin());
        if (style.tipDelayMs > 0) tip.m_nDelay = style.tipDelayMs;
        tip.exec();
    } else {
        answer = m_messageBox(owner, style.text, flags);
    }
    EnableOwnedWindows(true);
    return answer;
}

void CMainFrame::EnableOwnedWindows(bool enable) {
    if (m_pPlayDlg) m_pPlayDlg->setEnabled(enable);
    if (m_pPanel) m_pPanel->EnableWindow(enable);
}

void CMainFrame::SetTopMost(bool topMost) {
    if (m_pPlayDlg) m_pPlayDlg->SetStaysOnTop(topMost);
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

void CMainFrame::OnSysClose() {
    Trace("OnSysCommand==Terminate my life.");
    EndProcessWith(0xFFFFFFFFu);
}

void CMainFrame::EndProcessWith(unsigned exitCode) {
    // Nobody may find the frame once it is going.
    m_channel.Close();
    if (m_endProcess) m_endProcess(exitCode);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The window system's close stands for the system menu's.
    event->ignore();
    OnSysClose();
}
