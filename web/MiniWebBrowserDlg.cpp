#include "web/MiniWebBrowserDlg.h"

#include "common/Text.h"
#include "common/TopLevelWindow.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "skin/SkinChoice.h"
#include "skin/SkinDescription.h"
#include "skin/controls/HoverButton.h"
#include "skin/controls/SkinButtonEx.h"
#include "skin/controls/SkinImage.h"
#include "web/WebEngine.h"
#include "web/WebIds.h"

#include <QCloseEvent>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

namespace {

struct PageButtonKind {
    int controlId;
    const char* section;
    const char* tip;
};
constexpr PageButtonKind kBackButton{IDC_LIB_BACK, "Wnd_Lib_Btn0", "前一页"};
constexpr PageButtonKind kForwardButton{IDC_LIB_FORWARD, "Wnd_Lib_Btn1", "下一页"};
constexpr PageButtonKind kRefreshButton{IDC_LIB_REFRESH, "Wnd_Lib_Btn2", "刷新"};
constexpr const char* kCloseSection = "Wnd_Lib_Btn3";

void LoadPageButton(CHoverButton* button, const CSkinDescription& skin, const PageButtonKind& kind) {
    const SkinButtonFiles files = skin.ButtonFiles(kind.section);
    if (!button->LoadImages(files.normal, files.over, files.click, files.disable))
        Trace("CMiniWebBrowserDlg::SetSkin : %s not loaded", files.normal.c_str());
    button->SetTip(QString::fromUtf8(kind.tip));
    button->setGeometry(skin.Rect(kind.section));
}

}  // namespace

CMiniWebBrowserDlg::CMiniWebBrowserDlg(CMessageHandle frame, const std::string& skinFolder, QWidget* owner,
                                       CMiniWebBrowser::ConnectionProbe probe)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint),
      CMessageTarget(this),
      m_browser(*this, std::move(frame), std::move(probe)),
      m_pBack(new CHoverButton(this, IDC_LIB_BACK)),
      m_pForward(new CHoverButton(this, IDC_LIB_FORWARD)),
      m_pRefresh(new CHoverButton(this, IDC_LIB_REFRESH)),
      m_pClose(new CSkinButtonEx(this, IDC_LIB_CLOSE)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetCommandHandler(IDC_LIB_BACK, [this] { m_browser.Back(); });
    SetCommandHandler(IDC_LIB_FORWARD, [this] { m_browser.Forward(); });
    SetCommandHandler(IDC_LIB_REFRESH, [this] { m_browser.Refresh(); });
    SetCommandHandler(IDC_LIB_CLOSE, [this] { ShowWindow(false); });
    // F5 shows the page afresh, as the refresh button does, wherever the
    // keyboard is in the window (the page itself included).
    auto* refreshKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    refreshKey->setContext(Qt::WindowShortcut);
    connect(refreshKey, &QShortcut::activated, this, [this] {
        if (m_pRefresh->isEnabled()) m_browser.Refresh();
    });

    m_shadow.Create(this);
    SetSkin(skinFolder);
    m_pBack->setEnabled(false);
    m_pForward->setEnabled(false);
    m_browser.ShowStartPage();
}

CMiniWebBrowserDlg::~CMiniWebBrowserDlg() { ReleasePageView(); }

void CMiniWebBrowserDlg::ReleasePageView() {
    m_bReleased = true;
    m_pView.reset();
}

// ------------------------------------------------------------------ window

bool CMiniWebBrowserDlg::IsShown() const { return m_showing.IsShown(); }

void CMiniWebBrowserDlg::ShowWindow(bool show) { m_showing.ShowWindow(show); }

void CMiniWebBrowserDlg::MinimizeWindow() { m_showing.Minimize(); }

void CMiniWebBrowserDlg::RestoreWindow() { m_showing.Restore(); }

void CMiniWebBrowserDlg::BringToFront() {
    raise();
    activateWindow();
}

void CMiniWebBrowserDlg::EnableWindow(bool enable) { setEnabled(enable); }

void CMiniWebBrowserDlg::Search(const std::string& text) {
    ShowPage("search", text);
    ShowWindow(true);
    BringToFront();
}

void CMiniWebBrowserDlg::SetSkin(const std::string& skinFolder) {
    m_strSkinFolder = skinFolder;
    const CSkinDescription skin(skinFolder);
    if (!skin.Loaded()) Trace("CMiniWebBrowserDlg::SetSkin : no description in %s", skinFolder.c_str());

    const std::string backFile = skin.BitmapFile("Wnd_Lib");
    const std::optional<CDib> back = LoadBitmapFile(backFile);
    const QRect window = skin.Rect("Wnd_Lib");
    if (back) {
        m_bmpBack = ScreenPicture(LoadSkinImage(backFile, "CMiniWebBrowserDlg::SetSkin"), ScreenPictureRatio(),
                                  kSkinKeyColour);
        setMask(BitmapToRegion(*back, kSkinKeyColour));
    } else {
        Trace("CMiniWebBrowserDlg::SetSkin : %s not loaded", backFile.c_str());
        m_bmpBack = QImage();
        clearMask();
    }
    move(PlaceInsideScreen(window));
    setFixedSize(window.size());

    m_rcClient = skin.Rect("Wnd_Lib_Client");
    if (QWidget* page = Control(IDC_MINIWEB_BROWSER)) page->setGeometry(m_rcClient);
    LoadPageButton(m_pBack, skin, kBackButton);
    LoadPageButton(m_pForward, skin, kForwardButton);
    LoadPageButton(m_pRefresh, skin, kRefreshButton);
    const SkinButtonFiles close = skin.ButtonFiles(kCloseSection);
    m_pClose->SetImages(close.normal, close.over, close.click, QString::fromUtf8("关闭"));
    m_pClose->setGeometry(skin.Rect(kCloseSection));

    ApplySkinShadowLook(m_shadow, skinFolder);
    update();
}

QWidget* CMiniWebBrowserDlg::Control(int controlId) const {
    switch (controlId) {
    case IDC_LIB_BACK: return m_pBack;
    case IDC_LIB_FORWARD: return m_pForward;
    case IDC_LIB_REFRESH: return m_pRefresh;
    case IDC_LIB_CLOSE: return m_pClose;
    case IDC_MINIWEB_BROWSER: return m_pView ? m_pView->Widget() : m_pOffline;
    default: return nullptr;
    }
}

void CMiniWebBrowserDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_bmpBack.isNull()) {
        painter.fillRect(rect(), palette().window());
    } else {
        painter.drawImage(0, 0, m_bmpBack);
    }
}

void CMiniWebBrowserDlg::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The window is drawn first; the engine starts from the event loop.
    if (!m_pView && !m_pOffline) QTimer::singleShot(0, this, &CMiniWebBrowserDlg::CreatePageView);
}

void CMiniWebBrowserDlg::closeEvent(QCloseEvent* event) {
    // The system's close does nothing: the close button hides the pane.
    event->ignore();
}

// ------------------------------------------------------------------ page

void CMiniWebBrowserDlg::CreatePageView() {
    if (m_pView || m_pOffline || m_bReleased) return;
    m_pView = MakePageView(this, *this, {}, "CMiniWebBrowserDlg::CreatePageView");
    if (!m_pView) {
        ShowOfflineText();
        return;
    }
    QWidget* view = m_pView->Widget();
    view->setGeometry(m_rcClient);
    view->show();
    if (m_pendingAddress) m_pView->Load(*std::exchange(m_pendingAddress, std::nullopt));
}

void CMiniWebBrowserDlg::ShowOfflineText() {
    m_pendingAddress.reset();
    m_pOffline = new QTextBrowser(this);
    m_pOffline->setOpenLinks(false);
    m_pOffline->setContextMenuPolicy(Qt::NoContextMenu);
    m_pOffline->setGeometry(m_rcClient);
    // The page that says the pages cannot be shown now (its text only).
    const St_PageChoice offline = ChooseLibraryPage({}, ConnectionState::NoRoute, g_strAppDir);
    QFile page(QUrl(QString::fromStdString(offline.address)).toLocalFile());
    if (page.open(QIODevice::ReadOnly)) m_pOffline->setHtml(QString::fromUtf8(page.readAll()));
    m_pOffline->show();
}

void CMiniWebBrowserDlg::Navigate(const std::string& address) {
    const QUrl url(FromAnsi(address));
    if (m_pView) {
        m_pView->Load(url);
    } else if (!m_pOffline) {
        m_pendingAddress = url;
    }
}

void CMiniWebBrowserDlg::GoBack() {
    if (m_pView) m_pView->GoBack();
}

void CMiniWebBrowserDlg::GoForward() {
    if (m_pView) m_pView->GoForward();
}

void CMiniWebBrowserDlg::Reload() {
    if (m_pView) m_pView->Reload();
}

void CMiniWebBrowserDlg::OnLoadFinished(const QUrl& url, bool succeeded, int errorCode) {
    const std::string address = url.toString(QUrl::FullyEncoded).toStdString();
    if (succeeded) {
        m_browser.NavigateComplete(address);
    } else {
        // No error page of the engine's own: the pane keeps what it showed
        // (or the service's own answer, such as its page for a 404).
        Trace("CMiniWebBrowserDlg::OnNavigateError : %s %d", address.c_str(), errorCode);
    }
}

void CMiniWebBrowserDlg::OnRendererGone(int status, int exitCode) {
    if (status == 0) return;
    Trace("CMiniWebBrowserDlg::OnRenderProcessTerminated : %d %d", status, exitCode);
    // Not from within the engine's own report.
    QMetaObject::invokeMethod(this, [this] { m_browser.RendererGone(); }, Qt::QueuedConnection);
}

void CMiniWebBrowserDlg::OnHistoryChanged(bool canGoBack, bool canGoForward) {
    m_pBack->setEnabled(canGoBack);
    m_pForward->setEnabled(canGoForward);
}

void CMiniWebBrowserDlg::OnEngineRefusal(const QString& address) { TraceEngineRefusal(address); }
