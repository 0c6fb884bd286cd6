#include "app/MainFrame.h"

#include "common/MessageIds.h"
#include "common/Trace.h"

#include <QCloseEvent>
#include <QPalette>

// Other processes may only ask for the player to be shown and for the
// orderly close; every other message comes from this program's windows.
CMainFrame::CMainFrame(EndProcess endProcess)
    : QWidget(nullptr), CMessageTarget(this), m_endProcess(std::move(endProcess)),
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
    // The socket library needs no start here; the frame's owned windows,
    // the update check and the network watch join in later.
    return true;
}

LRESULT CMainFrame::OnActivatePlayer(WPARAM, LPARAM) {
    Trace("OnActivatePlayer===Show the player.");
    if (m_showPlayer) m_showPlayer();
    activateWindow();
    return 0;
}

LRESULT CMainFrame::OnCloseWnd(WPARAM, LPARAM) {
    Trace("====OnCloseWnd===");
    if (m_closeApp) {
        m_closeApp();
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
