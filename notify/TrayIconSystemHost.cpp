#include "notify/TrayIconSystemHost.h"

#include "common/Text.h"
#include "common/WindowMessage.h"
#include "notify/NotifyIds.h"

#include <QCursor>

namespace {

QSystemTrayIcon::MessageIcon BalloonIcon(unsigned flags) {
    switch (flags & 0x3) {
    case NIIF_INFO_ICON: return QSystemTrayIcon::Information;
    case NIIF_WARNING_ICON: return QSystemTrayIcon::Warning;
    case NIIF_ERROR_ICON: return QSystemTrayIcon::Critical;
    default: return QSystemTrayIcon::NoIcon;
    }
}

void FillMenu(QMenu& target, const std::vector<CTrayMenuItem>& items, QObject* commandTarget) {
    for (const CTrayMenuItem& item : items) {
        const QString text = QString::fromStdString(item.text);
        if (item.IsSubmenu()) {
            FillMenu(*target.addMenu(text), item.children, commandTarget);
            continue;
        }
        QAction* action = target.addAction(text);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        if (item.isDefault) {
            QFont font = action->font();
            font.setBold(true);
            action->setFont(font);
        }
        const int command = item.command;
        QPointer<QObject> receiver(commandTarget);
        QObject::connect(action, &QAction::triggered, action, [receiver, command] {
            if (receiver) PostCommand(receiver.data(), command);
        });
    }
}

}  // namespace

CTrayIconSystemHost::CTrayIconSystemHost(QObject* parent) : QObject(parent) {
    connect(&m_icon, &QSystemTrayIcon::activated, this, &CTrayIconSystemHost::OnActivated);
}

CTrayIconSystemHost::~CTrayIconSystemHost() { m_icon.hide(); }

unsigned CTrayIconSystemHost::MouseMessageOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger: return WM_LBUTTONDOWN_MSG;
    case QSystemTrayIcon::Context: return WM_RBUTTONUP_MSG;
    case QSystemTrayIcon::DoubleClick: return WM_LBUTTONDBLCLK_MSG;
    case QSystemTrayIcon::MiddleClick: return WM_MBUTTONUP_MSG;
    default: return 0;
    }
}

void CTrayIconSystemHost::Apply(const CTrayNotifyData& data) {
    if (data.flags & NIF_MESSAGE_FLAG) {
        m_window = data.window;
        m_id = data.id;
        m_callbackMessage = data.callbackMessage;
    }
    if (data.flags & NIF_ICON_FLAG) m_icon.setIcon(data.icon);
    if (data.flags & NIF_TIP_FLAG) m_icon.setToolTip(FromAnsi(data.tip));
}

bool CTrayIconSystemHost::Add(const CTrayNotifyData& data) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    Apply(data);
    m_icon.show();
    return true;
}

bool CTrayIconSystemHost::Modify(const CTrayNotifyData& data) {
    if (!m_icon.isVisible()) return false;
    Apply(data);
    if ((data.flags & NIF_INFO_FLAG) && !data.balloonText.empty()) {
        if (!QSystemTrayIcon::supportsMessages()) return false;
        m_icon.showMessage(FromAnsi(data.balloonTitle), FromAnsi(data.balloonText), BalloonIcon(data.balloonFlags),
                           static_cast<int>(data.balloonTimeout));
    }
    return true;
}

bool CTrayIconSystemHost::Delete(const CTrayNotifyData&) {
    if (!m_icon.isVisible()) return false;
    m_icon.hide();
    return true;
}

void CTrayIconSystemHost::SetFocus(const CTrayNotifyData&) {}

void CTrayIconSystemHost::ShowMenu(const CTrayMenu& menu, QObject* commandTarget) {
    m_menu = std::make_unique<QMenu>();
    FillMenu(*m_menu, menu.items, commandTarget);
    m_menu->popup(QCursor::pos());
}

void CTrayIconSystemHost::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    const unsigned mouseMessage = MouseMessageOf(reason);
    if (mouseMessage == 0 || !m_window) return;
    PostMessage(m_window.data(), m_callbackMessage, m_id, static_cast<LPARAM>(mouseMessage));
}
