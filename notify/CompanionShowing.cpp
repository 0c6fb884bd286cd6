#include "notify/CompanionShowing.h"

#include "skin/SkinChoice.h"

CCompanionShowing::CCompanionShowing(QWidget& window, CWndShadow& shadow, const std::string& skinFolder,
                                     int restoreDelayMs)
    : m_window(window), m_shadow(shadow), m_strSkinFolder(skinFolder) {
    m_restoreTimer.setSingleShot(true);
    m_restoreTimer.setInterval(restoreDelayMs);
    // The timer is this object's own: it never fires after it is gone.
    QObject::connect(&m_restoreTimer, &QTimer::timeout,
                     [this] { m_shadow.SetShadowSize(IsClassicFamily(m_strSkinFolder) ? kClassicShadowSize : 0); });
}

bool CCompanionShowing::IsShown() const { return m_window.isVisible() && !m_bMinimized; }

void CCompanionShowing::ShowWindow(bool show) {
    // Shown or hidden by the player, the window is no longer minimised.
    m_bMinimized = false;
    m_window.setVisible(show);
}

void CCompanionShowing::Minimize() {
    if (!m_window.isVisible()) return;
    m_bMinimized = true;
    m_restoreTimer.stop();
    m_shadow.SetShadowSize(0);
    m_window.hide();
}

void CCompanionShowing::Restore() {
    if (!m_bMinimized) return;
    m_bMinimized = false;
    m_window.show();
    m_restoreTimer.start();
}
