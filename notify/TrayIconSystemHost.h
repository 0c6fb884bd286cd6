#pragma once
// The desktop's notification area through QSystemTrayIcon. Mouse actions
// on the icon are posted to the record's window as the callback message.

#include "notify/TrayIconHost.h"

#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>

class CTrayIconSystemHost : public QObject, public ITrayIconHost {
    Q_OBJECT
public:
    explicit CTrayIconSystemHost(QObject* parent = nullptr);
    ~CTrayIconSystemHost() override;

    bool Add(const CTrayNotifyData& data) override;
    bool Modify(const CTrayNotifyData& data) override;
    bool Delete(const CTrayNotifyData& data) override;
    void SetFocus(const CTrayNotifyData& data) override;
    void ShowMenu(const CTrayMenu& menu, QObject* commandTarget) override;

    // The mouse message a tray activation stands for; 0 for none.
    static unsigned MouseMessageOf(QSystemTrayIcon::ActivationReason reason);
    // The menu shown last, while it exists.
    QMenu* LastMenu() const { return m_menu.get(); }

private:
    void Apply(const CTrayNotifyData& data);
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon m_icon;
    QPointer<QObject> m_window;
    unsigned m_id = 0;
    unsigned m_callbackMessage = 0;
    std::unique_ptr<QMenu> m_menu;
};
