#include "web/engine/LibraryWebPage.h"

#include "web/UserInputWatch.h"

#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>

#include <cstring>

namespace {

// How the engine begins the console message of an address it refused.
constexpr const char* kEngineRefusal = "Not allowed to load local resource: ";

NavigationKind KindOf(QWebEnginePage::NavigationType type) {
    switch (type) {
    case QWebEnginePage::NavigationTypeLinkClicked: return NavigationKind::LinkClicked;
    case QWebEnginePage::NavigationTypeTyped: return NavigationKind::Typed;
    case QWebEnginePage::NavigationTypeFormSubmitted: return NavigationKind::FormSubmitted;
    case QWebEnginePage::NavigationTypeBackForward: return NavigationKind::BackForward;
    case QWebEnginePage::NavigationTypeReload: return NavigationKind::Reload;
    case QWebEnginePage::NavigationTypeRedirect: return NavigationKind::Redirect;
    default: return NavigationKind::Other;
    }
}

}  // namespace

CLibraryWebPage::CLibraryWebPage(QWebEngineProfile* profile, QWebEngineView* view, IPageViewOwner& owner)
    : QWebEnginePage(profile, view), m_owner(owner), m_pInput(new CUserInputWatch(view)) {
    connect(this, &QWebEnginePage::featurePermissionRequested, this, [this](const QUrl& origin, Feature feature) {
        setFeaturePermission(origin, feature, PermissionDeniedByUser);
    });
    // Not accepting the request leaves it without a window; what the user
    // asked for opens here instead (a script opens nothing).
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        St_Navigation navigation = Describe(request.requestedUrl(), NavigationKind::NewWindow, true);
        navigation.userStarted = request.isUserInitiated() && m_pInput->TakeRecentPress();
        if (m_owner.OnNavigation(navigation)) load(request.requestedUrl());
    });
}

St_Navigation CLibraryWebPage::Describe(const QUrl& url, NavigationKind kind, bool mainFrame) const {
    St_Navigation navigation;
    navigation.address = url.toString(QUrl::FullyEncoded).toStdU16String();
    navigation.page = this->url().toString(QUrl::FullyEncoded).toStdU16String();
    navigation.kind = kind;
    navigation.mainFrame = mainFrame;
    return navigation;
}

bool CLibraryWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    St_Navigation navigation = Describe(url, KindOf(type), isMainFrame);
    // The user's press is spent on the first navigation of the page that
    // comes after it, whatever it is: the page it leads to cannot use it.
    if (isMainFrame) navigation.userStarted = m_pInput->TakeRecentPress();
    return m_owner.OnNavigation(navigation);
}

QStringList CLibraryWebPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) { return {}; }

void CLibraryWebPage::javaScriptAlert(const QUrl&, const QString&) {}

bool CLibraryWebPage::javaScriptConfirm(const QUrl&, const QString&) { return false; }

bool CLibraryWebPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) { return false; }

void CLibraryWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int,
                                               const QString&) {
    // The engine refuses a page's links to local files and to its own
    // pages by itself, before any navigation; it says so only here.
    if (level != ErrorMessageLevel || !message.startsWith(QLatin1String(kEngineRefusal))) return;
    m_owner.OnEngineRefusal(message.mid(int(std::strlen(kEngineRefusal))));
}
