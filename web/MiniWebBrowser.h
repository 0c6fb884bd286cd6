#pragma once
// What the library pane does, apart from any web engine: which page to ask
// for (the service's pages, or the offline pages while there is no
// connection), which link to follow and which to hand to the main frame as
// songs, and what back, forward and refresh mean. CMiniWebBrowserDlg puts a
// page view behind IBrowserPane and passes the view's events on to it.
// User-interface thread only. Addresses are CP936 text, as the service's.

#include "common/WindowMessage.h"
#include "web/LibraryPages.h"
#include "web/SongLink.h"

#include <functional>
#include <string>
#include <string_view>

// The page view, as the pane's logic drives it.
class IBrowserPane {
public:
    virtual ~IBrowserPane() = default;
    virtual void Navigate(const std::string& address) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Reload() = 0;
};

class CMiniWebBrowser {
public:
    using ConnectionProbe = std::function<ConnectionState()>;

    // `frame` receives the songs chosen on a page (WM_FRAME_LIBSONG);
    // `probe` tells the connection state (the platform's check by default).
    CMiniWebBrowser(IBrowserPane& pane, CMessageHandle frame, ConnectionProbe probe = CurrentConnectionState);

    // Goes to the recommendation page, whatever the connection. The pane
    // counts as showing a local page until that page has loaded, so that
    // refresh asks for it again after a failure.
    void ShowStartPage();
    // Shows the page of `kind` for `argument` (see LibraryPageAddress), or
    // the offline page while there is no connection. Asking for the page the
    // pane already went to does nothing.
    void ShowPage(std::string_view kind, std::string_view argument);

    // The page view is about to open an address in the page or one of its
    // frames: false cancels it. Song links are never followed; those the
    // user clicked on the service's page are posted to the frame (see
    // HandleNavigation).
    bool BeforeNavigate(const St_Navigation& navigation);
    // The page view finished loading `address` in its page. When it
    // refused an address and shows a blank page instead, it goes back.
    void NavigateComplete(const std::string& address);

    void Back();
    void Forward();
    // Reloads the page; on a local page it goes to the recommendation page.
    void Refresh();

    // The process that drew the page crashed or was killed: the page is
    // loaded again once; when it dies again before a page is asked for
    // anew, the offline page shows instead (and refresh goes on to the
    // recommendation page).
    void RendererGone();

    const std::string& CurrentUrl() const { return m_strCurrentUrl; }
    bool IsLocalPage() const { return m_bLocalPage; }
    const std::string& LastRequestedUrl() const { return m_strLastRequestedUrl; }

private:
    std::string RecommendationAddress() const;
    // A page is asked for anew: the page view starts with a clean record.
    void Asked() { m_nRendererDeaths = 0; }

    IBrowserPane& m_pane;
    CMessageHandle m_frame;
    ConnectionProbe m_probe;
    std::string m_strCurrentUrl;
    bool m_bLocalPage = false;
    std::string m_strLastRequestedUrl;
    int m_nRendererDeaths = 0;
};
