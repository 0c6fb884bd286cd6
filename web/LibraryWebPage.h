#pragma once
// The page in the library pane: every navigation, of the page and of its
// frames, passes the pane's filter first; a page cannot open windows, file
// choosers or dialogs, nor get any permission. Links that ask for a new
// window open in the pane itself, through the same filter.

#include <QWebEnginePage>

#include <functional>

class CLibraryWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    // False cancels the navigation to the address.
    using NavigationFilter = std::function<bool(const QUrl& address)>;

    CLibraryWebPage(QWebEngineProfile* profile, QObject* parent);
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
    NavigationFilter m_filter;
};
