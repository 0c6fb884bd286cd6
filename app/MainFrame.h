#pragma once
// The hidden main frame: the window other processes find by its title, and
// the place where requests that concern the whole program arrive (a second
// start asking to be shown, the orderly close, the system-menu close).

#include "common/WindowChannel.h"
#include "common/WindowMessage.h"

#include <QWidget>

#include <functional>

class CMainFrame : public QWidget, public CMessageTarget {
public:
    // Ends the process with an exit code; never returns in the program.
    using EndProcess = std::function<void(unsigned exitCode)>;

    explicit CMainFrame(EndProcess endProcess);
    ~CMainFrame() override;
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Creates the frame: OnCreate, then the frame becomes findable by its
    // title. False when either failed (the program then ends).
    bool Create();

    // Runs on 0x046B. Later the player window is shown and restored here.
    void SetShowPlayer(std::function<void()> showPlayer) { m_showPlayer = std::move(showPlayer); }
    // The player's orderly close (0x0455, menu "退出"); without one the
    // process simply ends with exit code 0.
    void SetCloseApp(std::function<void()> closeApp) { m_closeApp = std::move(closeApp); }

    // The system-menu close: ends the process at once with 0xFFFFFFFF.
    void OnSysClose();
    // Ends the process through the frame's end function.
    void EndProcessWith(unsigned exitCode);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool OnCreate();
    LRESULT OnActivatePlayer(WPARAM wParam, LPARAM lParam);
    LRESULT OnCloseWnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);

    EndProcess m_endProcess;
    std::function<void()> m_showPlayer;
    std::function<void()> m_closeApp;
    CWindowChannel m_channel;
};
