#pragma once
// A page of the service in a page view of the program (the library pane,
// the panel's strip): every navigation, of the page and of its frames,
// passes the owner's filter first, with what the page view knows of how it
// came about (see St_Navigation); a page cannot open windows, file choosers
// or dialogs, nor get any permission. Links that ask for a new window open
// in the page itself, through the same filter.

#include "web/SongLink.h"

#include <QWebEnginePage>

#include <functional>

class CUserInputWatch;
class QWebEngineView;

class CLibraryWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    // False cancels the navigation (or the new window).
    using NavigationFilter = std::function<bool(const St_Navigation& navigation)>;

    // A page for `view` (its parent), which watches the user's presses in it.
    CLibraryWebPage(QWebEngineProfile* profile, QWebEngineView* view);
    void SetNavigationFilter(NavigationFilter filter) { m_filter = std::move(filter); }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles, const QStringList& acceptedMimeTypes) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& message, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceId) override;

private:
    St_Navigation Describe(const QUrl& url, NavigationKind kind, bool mainFrame) const;
    bool Filter(const St_Navigation& navigation) const { return !m_filter || m_filter(navigation); }

    NavigationFilter m_filter;
    CUserInputWatch* m_pInput;
};
