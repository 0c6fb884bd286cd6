#include "notify/WndShadow.h"

#include "common/Trace.h"
#include "platform/Composition.h"
#include "platform/DesktopSession.h"
#include "skin/SkinChoice.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPaintEvent>

#include <exception>
#include <utility>

CShadowWindow::CShadowWindow(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                         Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void CShadowWindow::SetImage(QImage image) {
    m_image = std::move(image);
    update();
}

void CShadowWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(event->rect(), Qt::transparent);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_image.isNull()) painter.drawImage(0, 0, m_image);
}

// Carries out the state's orders on the shadow window.
class CWndShadow::CSurface : public IShadowSurface {
public:
    explicit CSurface(CWndShadow& owner) : m_owner(owner) {}
    void ShowShadow() override {
        if (m_owner.m_pShadow) m_owner.m_pShadow->show();
    }
    void HideShadow() override {
        if (m_owner.m_pShadow) m_owner.m_pShadow->hide();
    }
    void RedrawShadow() override { m_owner.Redraw(); }
    void MoveShadow() override { m_owner.Place(false); }

private:
    CWndShadow& m_owner;
};

CWndShadow::CWndShadow() : m_pSurface(std::make_unique<CSurface>(*this)), m_state(*m_pSurface) {}

CWndShadow::~CWndShadow() {
    if (m_pParent) m_pParent->removeEventFilter(this);
    delete m_pShadow.data();
}

bool CWndShadow::ShadowsAvailable() {
    // Where see-through pixels come out black the shadow would be a dark
    // band around the window: better none at all. The shadow is a window of
    // its own around its owner: where the desktop places the windows it
    // would stand anywhere, so none there either.
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr &&
           tonvik::platform::TranslucentWindowsShown() && tonvik::platform::WindowsPlaceThemselves();
}

bool CWndShadow::Create(QWidget* parent) {
    if (!ShadowsAvailable() || parent == nullptr || m_pShadow) return false;
    m_pParent = parent;
    m_pShadow = new CShadowWindow(parent);
    m_state.Start(tonvik::platform::IsCompositionEnabled(), ParentState());
    parent->installEventFilter(this);
    return true;
}

bool CWndShadow::SetShadowSize(int size) { return m_state.SetShadowSize(size); }
bool CWndShadow::SetShadowSoftness(int sharpness) { return m_state.SetShadowSoftness(sharpness); }
bool CWndShadow::SetShadowDarkness(int darkness) { return m_state.SetShadowDarkness(darkness); }
bool CWndShadow::SetShadowOffset(int x, int y) { return m_state.SetShadowOffset(x, y); }
bool CWndShadow::SetShadowColor(ColorRef color) { return m_state.SetShadowColor(color); }

void CWndShadow::OnCompositionChanged() {
    if (!m_pParent) return;
    m_state.OnCompositionChanged(tonvik::platform::IsCompositionEnabled(), ParentState());
}

void CWndShadow::OnExitSizeMove() {
    if (m_pParent) m_state.OnExitSizeMove();
}

ShadowParentState CWndShadow::ParentState() const {
    ShadowParentState state;
    if (!m_pParent) return state;
    const Qt::WindowStates window = m_pParent->windowState();
    state.visible = m_pParent->isVisible();
    state.maximised = window.testFlag(Qt::WindowMaximized) || window.testFlag(Qt::WindowFullScreen);
    state.minimised = window.testFlag(Qt::WindowMinimized);
    state.clientSize = m_pParent->size();
    return state;
}

void CWndShadow::Place(bool resize) {
    if (!m_pParent || !m_pShadow) return;
    const ShadowParams& params = m_state.Params();
    const QRect frame = m_pParent->frameGeometry();
    const QPoint at(frame.left() + params.xOffset - params.size, frame.top() + params.yOffset - params.size);
    if (resize) {
        const QSize size(frame.width() + 2 * params.size, frame.height() + 2 * params.size);
        // A window cannot be smaller than a pixel; an empty bitmap shows nothing.
        m_pShadow->setGeometry(QRect(at, size.expandedTo(QSize(1, 1))));
    } else {
        m_pShadow->move(at);
    }
}

void CWndShadow::Redraw() {
    if (!m_pParent || !m_pShadow) return;
    ++m_nRedraws;
    try {
        const QRect frame = m_pParent->frameGeometry();
        // The mask is in client coordinates; the shadow follows the frame.
        QRegion shape = m_pParent->mask();
        if (!shape.isEmpty()) shape.translate(m_pParent->geometry().topLeft() - frame.topLeft());
        m_pShadow->SetImage(ComputeShadowField(shape, frame.size(), m_state.Params()));
        Place(true);
    } catch (const std::exception& error) {
        Trace("CWndShadow::Redraw : %s", error.what());
        // Not from inside the parent's event: the box runs an event loop.
        QPointer<QWidget> parent = m_pParent;
        QMetaObject::invokeMethod(
            this,
            [parent] {
                QMessageBox::critical(parent, QStringLiteral("错误"), QStringLiteral("绘制阴影错误..."));
            },
            Qt::QueuedConnection);
    }
}

bool CWndShadow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_pParent || !m_pShadow) return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Move:
        m_state.OnMove();
        break;
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        m_state.OnSize(ParentState());
        break;
    case QEvent::Paint:
        m_state.OnPaint();
        break;
    case QEvent::Show:
        m_state.OnShown(ParentState());
        break;
    case QEvent::Hide:
        m_state.OnHidden();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void ApplySkinShadowLook(CWndShadow& shadow, std::string_view skinFolder) {
    const bool classic = IsClassicFamily(skinFolder);
    shadow.SetShadowSize(classic ? kClassicShadowSize : 0);
    shadow.SetShadowSoftness(classic ? kClassicShadowSharpness : 0);
    shadow.SetShadowDarkness(classic ? kClassicShadowDarkness : 0);
    shadow.SetShadowOffset(0, 0);
}
