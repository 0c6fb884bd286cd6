#include "playback/PlayerSession.h"

#include "common/Text.h"
#include "common/Trace.h"
#include "playback/PlayerIds.h"

bool CPlayerSession::LogOut() {
    TRACE_SCOPE("OnUnreg...");
    IPanelWindow* panel = m_frame.Panel();
    if (panel == nullptr) return false;
    if (panel->IsThreadUse(0, "OnUnreg")) {
        if (panel->SaveChangedAlbums()) {
            // The changes go out first; signing out waits for the next try.
            Trace("OnUnreg==BeforeAction : %d", 1);
            return false;
        }
        if (!panel->IsLogon()) return false;
        if (!panel->IsThreadUse(0, "OnUnreg")) {
            m_frame.ShowMessageWindow(m_owner, Cp936("缓存中...请稍候！"));
            return false;
        }
        SignOut(*panel, "OnUnreg");
    } else {
        if (m_frame.ShowMessageWindow(m_owner, Cp936("正在保存中...确定要注销吗？"), kMbOkCancel) != kIdOk) return false;
        panel->TerminateAlbumWorker(kExitLogoutWorker);
    }
    panel->ForgetSession();
    return true;
}

void CPlayerSession::SignOut(IPanelWindow& panel, const char* caller) {
    if (!panel.OnLogoutAlbum()) return;
    if (panel.IsThreadUse(kLogoutWaitMs, caller)) {
        Trace("OnUnreg===Logout Ok.");
    } else {
        Trace("OnUnreg===Logout Timeout.");
        panel.TerminateAlbumWorker(kExitLogoutWorker);
    }
}

void CPlayerSession::SaveAndSignOff() {
    m_frame.RestoreDragSetting();
    IPanelWindow* panel = m_frame.Panel();
    if (panel == nullptr) return;
    panel->SetClosing();
    if (!panel->SavePlayList()) Trace("CloseApp===Play list not saved.");
    if (panel->IsThreadUse(kCloseWorkerWaitMs, "CloseApp1")) {
        if (panel->SaveChangedAlbums()) {
            Trace("★CloseApp===Beforeaction : TRUE");
            if (!panel->IsThreadUse(kCloseWorkerWaitMs, "CloseApp2")) {
                panel->TerminateAlbumWorker(kExitCloseWorker);
                Trace("CloseApp===Terminate thread2.");
            }
        }
    } else {
        panel->TerminateAlbumWorker(kExitCloseWorker);
        Trace("CloseApp===Terminate thread1.");
    }
    if (panel->IsLogon()) SignOut(*panel, "CloseApp");
}
