#include "web/engine/EnginePageView.h"

#include "web/engine/LibraryWebPage.h"

#include <QAction>
#include <QWebEngineLoadingInfo>
#include <QWebEngineSettings>

CEnginePageView::CEnginePageView(QWidget* parent, QWebEngineProfile* profile, IPageViewOwner& owner,
                                 const St_PageViewOptions& options)
    : m_owner(owner), m_pView(new QWebEngineView(parent)), m_pPage(new CLibraryWebPage(profile, m_pView, owner)) {
    m_pView->setContextMenuPolicy(Qt::NoContextMenu);
    if (!options.scrollBars) m_pPage->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    if (!options.takesFocus) m_pView->setFocusPolicy(Qt::NoFocus);

    QObject::connect(m_pPage, &QWebEnginePage::loadingChanged, m_pView,
                     [this, options](const QWebEngineLoadingInfo& info) {
                         const bool succeeded = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
                         if (!succeeded && info.status() != QWebEngineLoadingInfo::LoadFailedStatus) return;
                         // The engine's own input widget comes with the first page.
                         if (!options.takesFocus) {
                             if (QWidget* surface = m_pView->focusProxy()) surface->setFocusPolicy(Qt::NoFocus);
                         }
                         m_owner.OnLoadFinished(info.url(), succeeded, info.errorCode());
                     });
    QObject::connect(m_pPage, &QWebEnginePage::renderProcessTerminated, m_pView,
                     [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                         m_owner.OnRendererGone(int(status), exitCode);
                     });
    for (QWebEnginePage::WebAction action : {QWebEnginePage::Back, QWebEnginePage::Forward})
        QObject::connect(m_pPage->action(action), &QAction::changed, m_pView, [this] { TellHistory(); });
    m_pView->setPage(m_pPage);
}

CEnginePageView::~CEnginePageView() {
    // The owner hears nothing of the page's end. The view lets its page go
    // as it ends, and the page, its child, goes right after it.
    if (m_pPage) {
        for (QWebEnginePage::WebAction action : {QWebEnginePage::Back, QWebEnginePage::Forward})
            QObject::disconnect(m_pPage->action(action), nullptr, m_pView, nullptr);
        QObject::disconnect(m_pPage, nullptr, m_pView, nullptr);
    }
    delete m_pView.data();
}

QWidget* CEnginePageView::Widget() { return m_pView; }

void CEnginePageView::TellHistory() {
    m_owner.OnHistoryChanged(m_pPage->action(QWebEnginePage::Back)->isEnabled(),
                             m_pPage->action(QWebEnginePage::Forward)->isEnabled());
}

void CEnginePageView::Load(const QUrl& url) {
    if (m_pPage) m_pPage->load(url);
}

void CEnginePageView::GoBack() {
    if (m_pPage) m_pPage->triggerAction(QWebEnginePage::Back);
}

void CEnginePageView::GoForward() {
    if (m_pPage) m_pPage->triggerAction(QWebEnginePage::Forward);
}

void CEnginePageView::Reload() {
    if (m_pPage) m_pPage->triggerAction(QWebEnginePage::Reload);
}
