#include "web/LibraryWebPage.h"

#include <QWebEngineNewWindowRequest>

CLibraryWebPage::CLibraryWebPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {
    connect(this, &QWebEnginePage::featurePermissionRequested, this, [this](const QUrl& origin, Feature feature) {
        setFeaturePermission(origin, feature, PermissionDeniedByUser);
    });
    // Not accepting the request leaves it without a window; what the user
    // asked for opens here instead (a script opens nothing).
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        if (request.isUserInitiated()) load(request.requestedUrl());
    });
}

bool CLibraryWebPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
    return !m_filter || m_filter(url);
}

QStringList CLibraryWebPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) { return {}; }

void CLibraryWebPage::javaScriptAlert(const QUrl&, const QString&) {}

bool CLibraryWebPage::javaScriptConfirm(const QUrl&, const QString&) { return false; }

bool CLibraryWebPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) { return false; }

void CLibraryWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) {}
