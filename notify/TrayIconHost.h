#pragma once
// The notification area as the tray icon sees it: a record that is added,
// modified and deleted, a menu shown at the cursor, and the focus given
// back. The desktop's tray is one implementation; tests use their own.

#include "notify/TrayIconMenu.h"

#include <QIcon>
#include <QObject>

#include <string>

// What the tray icon hands to the notification area. Texts are CP936 bytes.
struct CTrayNotifyData {
    QObject* window = nullptr;      // receives the callback message
    unsigned id = 0;                // the menu resource
    unsigned callbackMessage = 0;   // WM_TRAY_NOTIFY
    unsigned flags = 0;             // NIF_*: which of the fields below count
    QIcon icon;
    std::string tip;
    std::string balloonText;
    std::string balloonTitle;
    unsigned balloonTimeout = 0;    // ms
    unsigned balloonFlags = 0;      // NIIF_*
};

class ITrayIconHost {
public:
    virtual ~ITrayIconHost() = default;
    // False when the notification area refuses (for instance none runs yet).
    virtual bool Add(const CTrayNotifyData& data) = 0;
    virtual bool Modify(const CTrayNotifyData& data) = 0;
    virtual bool Delete(const CTrayNotifyData& data) = 0;
    virtual void SetFocus(const CTrayNotifyData& data) = 0;
    // Shows the menu at the cursor; a chosen item is posted to
    // `commandTarget` as WM_COMMAND.
    virtual void ShowMenu(const CTrayMenu& menu, QObject* commandTarget) = 0;
};

// The window that owns the tray icon: it receives the notifications first
// and the commands, and tells the menu about its state.
class ITrayIconOwner {
public:
    virtual ~ITrayIconOwner() = default;
    // The message target of the owner (a CMessageTarget's object).
    virtual QObject* MessageObject() = 0;
    virtual void BringToForeground() = 0;
    // Whether the player window exists; no menu is shown before.
    virtual bool HasPlayer() const = 0;
    virtual CTrayMenuState MenuState() const = 0;
};
