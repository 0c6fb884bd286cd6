#include "web/MiniWebBrowser.h"

#include "common/Text.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "service/ServiceHosts.h"
#include "web/SongLink.h"

#include <QString>
#include <QUrl>

namespace {

// What the page view shows in place of an address it refuses to open (one
// it holds for malformed, such as a link with an encoded 0 in it).
constexpr std::string_view kRefusedAddress = "about:blank#blocked";

bool IsServicePage(std::string_view address) {
    return address.find("http://") != std::string_view::npos || address.find("https://") != std::string_view::npos;
}

}  // namespace

CMiniWebBrowser::CMiniWebBrowser(IBrowserPane& pane, CMessageHandle frame, ConnectionProbe probe)
    : m_pane(pane), m_frame(std::move(frame)), m_probe(probe ? std::move(probe) : CurrentConnectionState) {}

std::string CMiniWebBrowser::RecommendationAddress() const { return ServiceAddress(kRecommendationPagePath); }

void CMiniWebBrowser::ShowStartPage() {
    Asked();
    m_pane.Navigate(RecommendationAddress());
    m_bLocalPage = true;
}

void CMiniWebBrowser::ShowPage(std::string_view kind, std::string_view argument) {
    const std::string address = LibraryPageAddress(ReadServiceHosts().service, kind, argument);
    St_PageChoice page = ChooseLibraryPage(address, m_probe(), g_strAppDir);
    Asked();
    m_bLocalPage = page.isLocalPage;
    if (page.address == m_strLastRequestedUrl) return;
    m_strLastRequestedUrl = std::move(page.address);
    m_pane.Navigate(m_strLastRequestedUrl);
}

bool CMiniWebBrowser::BeforeNavigate(const St_Navigation& navigation) { return HandleNavigation(navigation, m_frame); }

void CMiniWebBrowser::NavigateComplete(const std::string& address) {
    if (address == kRefusedAddress) {
        // The pane keeps the page it had instead of a blank one.
        Trace("OnNavigateComplete===Refused address.");
        m_pane.GoBack();
        return;
    }
    m_strCurrentUrl = address;
    m_bLocalPage = !IsServicePage(address);
    // Once the pane has moved on, asking for the last page again shows it again.
    if (address != m_strLastRequestedUrl) m_strLastRequestedUrl.clear();
}

void CMiniWebBrowser::Back() {
    Asked();
    m_pane.GoBack();
}

void CMiniWebBrowser::Forward() {
    Asked();
    m_pane.GoForward();
}

void CMiniWebBrowser::Refresh() {
    Asked();
    if (m_bLocalPage) {
        m_pane.Navigate(RecommendationAddress());
    } else {
        m_pane.Reload();
    }
}

void CMiniWebBrowser::RendererGone() {
    if (++m_nRendererDeaths == 1) {
        Trace("OnRendererGone===The page's process ended, loading the page again.");
        m_pane.Reload();
        return;
    }
    Trace("OnRendererGone===The page's process ended again, the offline page shows.");
    const ConnectionState state = m_probe() == ConnectionState::None ? ConnectionState::None : ConnectionState::NoRoute;
    St_PageChoice page = ChooseLibraryPage(std::string(), state, g_strAppDir);
    m_bLocalPage = true;
    m_pane.Navigate(page.address);
}
