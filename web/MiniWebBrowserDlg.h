#pragma once
// The library pane ("乐库"): a borderless skinned tool window with the
// service's pages, back, forward, refresh and close buttons, and a shadow in
// the "Skin2" skins. Song links in its pages go to the main frame as songs
// (WM_FRAME_LIBSONG) instead of being followed.
//
// The web engine is the heaviest part of the program, so the page view is
// made only when the pane is first shown or when the frame asks for it
// (CreatePageView, queued after the player window is on screen). Pages asked
// for before then are shown once the view exists. Without a web engine the
// pane shows its offline page as plain text.

#include "common/WindowMessage.h"
#include "notify/BodyDrag.h"
#include "notify/CompanionShowing.h"
#include "notify/WndShadow.h"
#include "web/WebIds.h"
#include "playback/PlayerPorts.h"
#include "web/MiniWebBrowser.h"
#include "web/PageView.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class CHoverButton;
class CSkinButtonEx;
class QTextBrowser;

class CMiniWebBrowserDlg : public QWidget,
                           public CMessageTarget,
                           public IBrowserWindow,
                           private IBrowserPane,
                           private IPageViewOwner {
    Q_OBJECT
public:
    // Made hidden, wearing `skinFolder` (the player's full skin). `frame`
    // receives the songs chosen on pages; `probe` tells the connection state
    // (the platform's check by default).
    CMiniWebBrowserDlg(CMessageHandle frame, const std::string& skinFolder, QWidget* owner = nullptr,
                       CMiniWebBrowser::ConnectionProbe probe = {});
    ~CMiniWebBrowserDlg() override;
    CMiniWebBrowserDlg(const CMiniWebBrowserDlg&) = delete;
    CMiniWebBrowserDlg& operator=(const CMiniWebBrowserDlg&) = delete;

    // ICompanionWindow
    bool IsShown() const override;
    void ShowWindow(bool show) override;
    void MinimizeWindow() override;
    void RestoreWindow() override;
    void BringToFront() override;
    void SetSkin(const std::string& skinFolder) override;
    void EnableWindow(bool enable) override;
    // IBrowserWindow: the search page for `text` (CP936), brought to the front.
    void Search(const std::string& text) override;

    // See CMiniWebBrowser; "songinfo" with a decimal identifier shows a song.
    void ShowPage(std::string_view kind, std::string_view argument) { m_browser.ShowPage(kind, argument); }
    // The recommendation page, as after a reconnection.
    void ShowStartPage() { m_browser.ShowStartPage(); }
    // Any address, shown once the page view exists.
    void ShowAddress(const std::string& address) { Navigate(address); }

    // Makes the page view now if it does not exist yet.
    void CreatePageView();
    // Lets the page and its view go for good (the program is ending), so
    // that the web profile can be released.
    void ReleasePageView();
    IPageView* PageView() const { return m_pView.get(); }
    const CMiniWebBrowser& Browser() const { return m_browser; }
    const std::string& SkinFolder() const { return m_strSkinFolder; }
    // The buttons by control number (IDC_LIB_*), the page view by
    // IDC_MINIWEB_BROWSER once it exists (the offline text without a web
    // engine); nullptr for any other number.
    QWidget* Control(int controlId) const;
    const CWndShadow& Shadow() const { return m_shadow; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // IBrowserPane
    void Navigate(const std::string& address) override;
    void GoBack() override;
    void GoForward() override;
    void Reload() override;
    // IPageViewOwner
    bool OnNavigation(const St_Navigation& navigation) override { return m_browser.BeforeNavigate(navigation); }
    void OnLoadFinished(const QUrl& url, bool succeeded, int errorCode) override;
    void OnRendererGone(int status, int exitCode) override;
    void OnHistoryChanged(bool canGoBack, bool canGoForward) override;
    void OnEngineRefusal(const QString& address) override;

    // The pane without a web engine: its offline page, as plain text.
    void ShowOfflineText();

    CMiniWebBrowser m_browser;
    std::string m_strSkinFolder;
    QImage m_bmpBack;
    QRect m_rcClient;
    CHoverButton* m_pBack;
    CHoverButton* m_pForward;
    CHoverButton* m_pRefresh;
    CSkinButtonEx* m_pClose;
    std::unique_ptr<IPageView> m_pView;
    QTextBrowser* m_pOffline = nullptr;
    std::optional<QUrl> m_pendingAddress;
    bool m_bReleased = false;
    CWndShadow m_shadow;
    CCompanionShowing m_showing{*this, m_shadow, m_strSkinFolder, kShadowRestoreDelayMs};  // timer 3
    CBodyDrag m_drag{*this, m_shadow};
};
