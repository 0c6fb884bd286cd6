#include "notify/BodyDrag.h"

#include "platform/DesktopSession.h"

#include <QMouseEvent>
#include <QWindow>

CBodyDrag::CBodyDrag(QWidget& window, CWndShadow& shadow) : m_window(window), m_shadow(shadow) {
    m_window.installEventFilter(this);
}

bool CBodyDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_window) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        // Where the desktop places the windows, it moves this one too.
        if (!tonvik::platform::WindowsPlaceThemselves()) {
            if (QWindow* handle = m_window.windowHandle()) handle->startSystemMove();
            return true;
        }
        m_dragOffset = mouse->globalPosition().toPoint() - m_window.pos();
        return true;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_dragOffset || !(mouse->buttons() & Qt::LeftButton)) return false;
        m_window.move(mouse->globalPosition().toPoint() - *m_dragOffset);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton || !m_dragOffset) return false;
        m_dragOffset.reset();
        m_shadow.OnExitSizeMove();
        return true;
    default: return false;
    }
}
