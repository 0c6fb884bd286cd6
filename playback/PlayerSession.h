#pragma once
// The player's part in the user's session: signing out from the main menu
// and, when the program closes in order, saving what the my-music panel
// holds and signing out, each wait on the panel's album worker bounded.
// Without a panel there is nothing to save or sign out.

#include "playback/PlayerPorts.h"

class QWidget;

class CPlayerSession {
public:
    // How long the orderly close waits for the album worker, each time.
    static constexpr int kCloseWorkerWaitMs = 3000;
    // How long a sign-out may take.
    static constexpr int kLogoutWaitMs = 500;

    // Messages go through the frame, over `owner`.
    CPlayerSession(IPlayerFrame& frame, QWidget* owner) : m_frame(frame), m_owner(owner) {}

    // "注销" (32836). True when the session was forgotten; the caller then
    // stops a song played from an album.
    bool LogOut();

    // The orderly close's steps before playback stops: the drag setting,
    // the play list, changed albums and the sign-out.
    void SaveAndSignOff();

private:
    // Starts the sign-out on the worker and gives it kLogoutWaitMs.
    void SignOut(IPanelWindow& panel, const char* caller);

    IPlayerFrame& m_frame;
    QWidget* m_owner;
};
