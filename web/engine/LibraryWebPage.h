#pragma once
// A page of the service in a page view of the program (the library pane,
// the panel's strip): every navigation, of the page and of its frames,
// passes the owner first, with what the page view knows of how it came
// about (see St_Navigation); a page cannot open windows, file choosers or
// dialogs, nor get any permission. Links that ask for a new window open in
// the page itself, through the same owner.

#include "web/PageView.h"

#include <QWebEnginePage>

class CUserInputWatch;
class QWebEngineView;

class CLibraryWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    // A page for `view` (its parent), which watches the user's presses in
    // it, reporting to `owner`.
    CLibraryWebPage(QWebEngineProfile* profile, QWebEngineView* view, IPageViewOwner& owner);

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

    IPageViewOwner& m_owner;
    CUserInputWatch* m_pInput;
};
