#pragma once
// The hidden main frame: the window other processes find by its title, the
// owner of the player window, and the place where requests that concern the
// whole program arrive (a second start asking to be shown, the orderly
// close, the system-menu close). The player reaches it as IPlayerFrame.

#include "common/WindowChannel.h"
#include "common/WindowMessage.h"
#include "playback/PlayerPorts.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class CDesktopControls;
class CListManage;
class CMediaEngine;
class CPanelPlayer;
class CPlayMainDlg;

class CMainFrame : public QWidget, public CMessageTarget, public IPlayerFrame {
public:
    // Ends the process with an exit code; never returns in the program.
    using EndProcess = std::function<void(unsigned exitCode)>;
    // Makes the player's media engine; nullptr, with the reason, when it
    // cannot be made.
    using CreateEngine = std::function<std::unique_ptr<CMediaEngine>(std::string* reason)>;
    // Shows a message box captioned "Tonvik Player" over `owner` and returns
    // kIdOk or kIdCancel.
    using BoxPresenter = std::function<int(QWidget* owner, const QString& text, unsigned flags)>;

    explicit CMainFrame(EndProcess endProcess);
    ~CMainFrame() override;
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Replace the media engine and the message box (tests); before Create.
    void SetEngineFactory(CreateEngine createEngine) { m_createEngine = std::move(createEngine); }
    void SetBoxPresenter(BoxPresenter presenter) { m_messageBox = std::move(presenter); }

    // Creates the frame: OnCreate, then the frame becomes findable by its
    // title. False when either failed (the program then ends).
    bool Create();

    // The player window and the my-music panel, once created.
    CPlayMainDlg* Player() const { return m_pPlayDlg.get(); }
    CListManage* ListManage() const { return m_pPanel.get(); }

    // The system-menu close: ends the process at once with 0xFFFFFFFF.
    void OnSysClose();

    // IPlayerFrame. The browser and the lyric window join later.
    IPanelWindow* Panel() override;
    IBrowserWindow* Browser() override { return nullptr; }
    ILyricWindow* Lyric() override { return nullptr; }
    int ShowMessageWindow(QWidget* owner, const std::string& text, unsigned flags = kMbOk) override;
    void SetTopMost(bool topMost) override;
    void RestoreDragSetting() override;
    void ShowAbout(QWidget* owner) override;
    // Ends the process through the frame's end function.
    void EndProcessWith(unsigned exitCode) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool OnCreate();
    bool CreatePlayer();
    void CreatePanel();
    void EnableOwnedWindows(bool enable);
    LRESULT OnActivatePlayer(WPARAM wParam, LPARAM lParam);
    LRESULT OnCloseWnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);

    EndProcess m_endProcess;
    CreateEngine m_createEngine;
    BoxPresenter m_messageBox;
    CWindowChannel m_channel;
    std::unique_ptr<CPlayMainDlg> m_pPlayDlg;
    std::unique_ptr<CPanelPlayer> m_pPanelPlayer;
    std::unique_ptr<CListManage> m_pPanel;
    std::unique_ptr<CDesktopControls> m_pDesktop;  // media controls and song notes
};
