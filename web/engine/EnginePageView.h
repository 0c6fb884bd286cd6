#pragma once
// The engine's page view behind IPageView: a QWebEngineView showing one
// CLibraryWebPage on the program's profile, passing what the page does on
// to the window's IPageViewOwner. The view is a child of the window, the
// page a child of the view.

#include "web/PageView.h"

#include <QPointer>
#include <QWebEngineView>

class CLibraryWebPage;
class QWebEngineProfile;

class CEnginePageView final : public IPageView {
public:
    CEnginePageView(QWidget* parent, QWebEngineProfile* profile, IPageViewOwner& owner, const St_PageViewOptions& options);
    ~CEnginePageView() override;
    CEnginePageView(const CEnginePageView&) = delete;
    CEnginePageView& operator=(const CEnginePageView&) = delete;

    QWidget* Widget() override;
    void Load(const QUrl& url) override;
    void GoBack() override;
    void GoForward() override;
    void Reload() override;

private:
    void TellHistory();

    IPageViewOwner& m_owner;
    // Both children of the window: gone with it should it go first.
    QPointer<QWebEngineView> m_pView;
    QPointer<CLibraryWebPage> m_pPage;
};
