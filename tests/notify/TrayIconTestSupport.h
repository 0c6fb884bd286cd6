#pragma once
// A notification area, an owner and an icon loader for the tray icon tests.

#include "common/MessageIds.h"
#include "common/WindowMessage.h"
#include "notify/NotifyIds.h"
#include "notify/TrayIcon.h"

#include <QColor>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPixmap>

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

// Keeps what a real notification area would show; can refuse adds and lose
// its icons the way a restarted taskbar does.
class FakeTrayHost : public ITrayIconHost {
public:
    bool acceptAdd = true;
    bool present = false;
    CTrayNotifyData shown;
    int adds = 0, modifies = 0, deletes = 0, focusCalls = 0;
    std::vector<CTrayNotifyData> balloons;
    std::optional<CTrayMenu> lastMenu;
    QObject* lastMenuTarget = nullptr;

    bool Add(const CTrayNotifyData& data) override {
        ++adds;
        if (!acceptAdd || present) return false;
        present = true;
        shown = CTrayNotifyData();
        Apply(data);
        return true;
    }
    bool Modify(const CTrayNotifyData& data) override {
        ++modifies;
        if (!present) return false;
        Apply(data);
        return true;
    }
    bool Delete(const CTrayNotifyData&) override {
        ++deletes;
        if (!present) return false;
        present = false;
        return true;
    }
    void SetFocus(const CTrayNotifyData&) override { ++focusCalls; }
    void ShowMenu(const CTrayMenu& menu, QObject* commandTarget) override {
        lastMenu = menu;
        lastMenuTarget = commandTarget;
    }
    // The notification area restarted and forgot every icon.
    void Restart() { present = false; shown = CTrayNotifyData(); }

private:
    void Apply(const CTrayNotifyData& data) {
        if (data.flags & NIF_MESSAGE_FLAG) {
            shown.window = data.window;
            shown.id = data.id;
            shown.callbackMessage = data.callbackMessage;
        }
        if (data.flags & NIF_ICON_FLAG) shown.icon = data.icon;
        if (data.flags & NIF_TIP_FLAG) shown.tip = data.tip;
        if (data.flags & NIF_INFO_FLAG) balloons.push_back(data);
    }
};

// The owner window: records every message and command that reaches it.
class FakeTrayOwner : public QObject, public CMessageTarget, public ITrayIconOwner {
public:
    FakeTrayOwner() : CMessageTarget(this) {
        SetMessageHandler(WM_TRAY_NOTIFY, [this](WPARAM wParam, LPARAM lParam) {
            notifications.emplace_back(wParam, lParam);
            return handleNotifications ? 1 : 0;
        });
    }
    QObject* MessageObject() override { return this; }
    void BringToForeground() override { ++foregroundCalls; }
    bool HasPlayer() const override { return hasPlayer; }
    CTrayMenuState MenuState() const override { return state; }

    bool hasPlayer = true;
    bool handleNotifications = false;
    CTrayMenuState state;
    int foregroundCalls = 0;
    std::vector<std::pair<WPARAM, LPARAM>> notifications;
    std::vector<unsigned> commands;

protected:
    LRESULT DefWindowProc(unsigned message, WPARAM wParam, LPARAM) override {
        if (message == WM_COMMAND) commands.push_back(static_cast<unsigned>(wParam));
        return 0;
    }
};

// Gives each resource its own icon and counts the loads.
class CountingIconLoader {
public:
    std::set<int> missing;
    std::vector<std::pair<int, int>> loads;  // resource, size
    std::map<int, qint64> keys;              // resource → key of the icon last loaded

    CXTTrayIcon::IconLoader Loader() {
        return [this](int resource, int size) -> QIcon {
            loads.emplace_back(resource, size);
            if (missing.count(resource)) return {};
            QPixmap pixmap(size, size);
            pixmap.fill(QColor::fromRgb(static_cast<QRgb>(resource * 2654435761u)));
            QIcon icon(pixmap);
            keys[resource] = icon.cacheKey();
            return icon;
        };
    }
    int LoadsOf(int resource) const {
        int count = 0;
        for (const auto& load : loads) count += load.first == resource ? 1 : 0;
        return count;
    }
};

// Runs the event loop until `done` holds or the time is up.
template <typename Predicate>
bool WaitFor(Predicate done, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
