#pragma once
// The player's icon in the notification area: its tooltip, icon, balloon
// note and animation, the commands its mouse actions give the owner, and
// putting it back when the notification area restarts or refused it.
//
// The state lives here; the notification area itself is an ITrayIconHost,
// so the icon behaves the same where the desktop has no tray.

#include "common/WindowMessage.h"
#include "notify/NotifyIds.h"
#include "notify/TrayIconHost.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One frame of the icon animation.
struct XT_TRAYICON {
    std::string tip;  // CP936; empty keeps the current tooltip
    QIcon icon;
};

class CXTTrayIcon : public QObject, public CMessageTarget {
    Q_OBJECT
public:
    // Loads the icon of a resource at the given size; a null icon when it
    // cannot be loaded.
    using IconLoader = std::function<QIcon(int resource, int size)>;

    // The default loader reads the program's pictures ("res/<id>.ico").
    explicit CXTTrayIcon(ITrayIconHost& host, IconLoader loader = {}, QObject* parent = nullptr);
    ~CXTTrayIcon() override;

    // `tip` is CP936. Result: whether the icon was added; a refused add is
    // retried every 2000 ms.
    bool CreateIcon(const std::string& tip, ITrayIconOwner* owner, int iconResource);
    bool CreateIcon(const std::string& tip, ITrayIconOwner* owner, int iconResource, int menuResource,
                    int defaultCommand, bool singleClickMenu);

    bool SetIconResource(int resource);
    bool SetIcon(const QIcon& icon);
    bool SetTipText(const std::string& tip);
    // Balloon note shown for `timeoutMs`; texts CP936, cut to 255 and 63 bytes.
    bool ShowBalloonTip(const std::string& text, const std::string& title, unsigned iconFlags,
                        unsigned timeoutMs = kTrayBalloonTimeout);

    bool HideIcon();
    bool RestoreIcon();
    // Puts the notification area's icon back after the area restarted.
    void OnTaskbarCreated();

    // Animation frames: the resources with their tooltips (none: the
    // current tooltip). A resource that fails to load stops with false.
    bool SetFrameIcons(const std::vector<int>& resources, const std::vector<std::string>& tips = {});
    void ClearFrameIcons();
    void StartIconAnimation(int elapse);
    void StartIconAnimation(int timerId, int elapse);
    void StopIconAnimation();

    // Parents a window to the hidden window so it has no taskbar entry.
    void ParentToHiddenWindow(QWidget* window);

    // A notification from the notification area (message WM_TRAY_NOTIFY).
    LRESULT HandleNotification(unsigned id, unsigned mouseMessage);

    // State, for the owner and for tests.
    const CTrayNotifyData& NotifyData() const { return m_nid; }
    const std::string& TipText() const { return m_nid.tip; }
    int TipLimit() const { return m_nTipLimit; }
    int IconResource() const { return m_nIconResource; }
    bool IsHidden() const { return m_bHidden; }
    bool IsRemoved() const { return m_bRemoved; }
    bool IsRetryPending() const { return m_retryTimer.isActive(); }
    bool IsAnimating() const { return m_animationTimer.isActive(); }
    int AnimationTimerId() const { return m_nIDEvent; }
    int AnimationFrame() const { return m_nCurrentFrame; }
    size_t FrameCount() const { return m_frames.size(); }
    QWidget* HiddenWindow() const { return m_hiddenWindow.get(); }

    // One animation tick, as the animation timer gives it.
    void OnAnimationTick();
    // The retry timer firing.
    void OnRetryTimer();

private:
    bool AddIcon();
    bool ModifyIcon();
    void CreateHiddenWindow();
    void OnLeftButton();
    void ShowContextMenu();

    ITrayIconHost& m_host;
    IconLoader m_loader;
    CTrayNotifyData m_nid;
    std::string m_strInitialTip;
    int m_nTipLimit;
    QIcon m_loadedIcon;
    int m_nIconResource = 0;
    unsigned m_nSavedFlags = 0;
    int m_nIDEvent;
    int m_nCurrentFrame = 0;
    int m_nDefaultCommand = 0;
    ITrayIconOwner* m_pOwner = nullptr;
    bool m_bSingleClickMenu = false;
    bool m_bHidden = false;
    bool m_bRemoved = true;
    std::vector<XT_TRAYICON> m_frames;
    std::unique_ptr<QWidget> m_hiddenWindow;
    QTimer m_animationTimer;
    QTimer m_retryTimer;
};

// The default icon loader: "res/<id>.ico" in the program's folder.
QIcon LoadProgramIcon(int resource, int size);
