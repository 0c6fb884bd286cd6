#include "notify/TrayIcon.h"

#include "common/MessageIds.h"
#include "common/System.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "notify/NotifyIds.h"
#include "notify/TrayIconText.h"
#include "skin/ProgramResources.h"

#include <QFile>
#include <QPixmap>

QIcon LoadProgramIcon(int resource, int size) {
    std::string root = g_strAppDir;
    while (!root.empty() && (root.back() == '/' || root.back() == '\\')) root.pop_back();
    const QString path = QString::fromStdString(ResourceIconFile(root, resource));
    if (!QFile::exists(path)) return {};
    const QPixmap pixmap = QIcon(path).pixmap(size, size);
    if (pixmap.isNull()) return {};
    return QIcon(pixmap);
}

CXTTrayIcon::CXTTrayIcon(ITrayIconHost& host, IconLoader loader, QObject* parent)
    : QObject(parent),
      CMessageTarget(this),
      m_host(host),
      m_loader(loader ? std::move(loader) : IconLoader(&LoadProgramIcon)),
      m_nTipLimit(kTrayTipLimitBefore),
      m_nIDEvent(kTrayAnimationTimer) {
    m_animationTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_animationTimer, &QTimer::timeout, this, &CXTTrayIcon::OnAnimationTick);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &CXTTrayIcon::OnRetryTimer);
    SetMessageHandler(WM_TRAY_NOTIFY, [this](WPARAM wParam, LPARAM lParam) {
        return HandleNotification(static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
    });
}

CXTTrayIcon::~CXTTrayIcon() {
    m_animationTimer.stop();
    m_retryTimer.stop();
    if (!m_bRemoved) m_host.Delete(m_nid);
    if (m_hiddenWindow) {
        // The windows parented here belong to their owners, not to us.
        const auto children = m_hiddenWindow->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        for (QWidget* child : children) child->setParent(nullptr, child->windowFlags());
    }
}

bool CXTTrayIcon::CreateIcon(const std::string& tip, ITrayIconOwner* owner, int iconResource) {
    return CreateIcon(tip, owner, iconResource, 0, 0, false);
}

bool CXTTrayIcon::CreateIcon(const std::string& tip, ITrayIconOwner* owner, int iconResource, int menuResource,
                             int defaultCommand, bool singleClickMenu) {
    m_nTipLimit = kTrayTipLimitAfter;
    m_strInitialTip = CutAnsiText(tip, m_nTipLimit - 1);
    m_pOwner = owner;
    SetIconResource(iconResource);
    SetTipText(tip);
    CreateHiddenWindow();
    m_nid.window = this;
    m_nid.id = static_cast<unsigned>(menuResource);
    m_nid.callbackMessage = WM_TRAY_NOTIFY;
    m_nDefaultCommand = defaultCommand;
    m_bSingleClickMenu = singleClickMenu;
    m_nSavedFlags = NIF_MESSAGE_FLAG | NIF_ICON_FLAG | NIF_TIP_FLAG;
    return AddIcon();
}

void CXTTrayIcon::CreateHiddenWindow() {
    if (m_hiddenWindow) return;
    m_hiddenWindow = std::make_unique<QWidget>(nullptr, Qt::Popup);
    m_hiddenWindow->setWindowTitle(QString());
}

bool CXTTrayIcon::AddIcon() {
    if (!m_bRemoved) {
        m_host.Delete(m_nid);
        m_bRemoved = true;
    }
    m_nid.flags = m_nSavedFlags;
    if (!m_host.Add(m_nid)) {
        Trace("CXTTrayIcon::AddIcon : refused, retry in %d ms", kTrayRetryElapse);
        m_retryTimer.start(kTrayRetryElapse);
        return false;
    }
    m_retryTimer.stop();
    m_bHidden = false;
    m_bRemoved = false;
    return true;
}

bool CXTTrayIcon::ModifyIcon() {
    // A hidden or not yet added icon keeps the change for the next add.
    if (m_bHidden || m_bRemoved) return false;
    return m_host.Modify(m_nid);
}

void CXTTrayIcon::OnRetryTimer() {
    m_retryTimer.stop();
    if (m_bHidden) return;  // hidden meanwhile: stays hidden
    AddIcon();
}

bool CXTTrayIcon::SetIconResource(int resource) {
    if (resource == m_nIconResource && !m_loadedIcon.isNull()) return true;
    QIcon icon = m_loader(resource, kTrayIconSize);
    if (icon.isNull()) {
        Trace("CXTTrayIcon::SetIconResource : icon %d not loaded", resource);
        return false;
    }
    m_loadedIcon = icon;
    m_nIconResource = resource;
    return SetIcon(m_loadedIcon);
}

bool CXTTrayIcon::SetIcon(const QIcon& icon) {
    if (icon.cacheKey() == m_nid.icon.cacheKey()) return true;
    m_nid.icon = icon;
    m_nid.flags = NIF_ICON_FLAG;
    return ModifyIcon();
}

bool CXTTrayIcon::SetTipText(const std::string& tip) {
    m_nid.flags = NIF_TIP_FLAG;
    m_nid.tip = CutAnsiText(tip, m_nTipLimit - 1);
    return ModifyIcon();
}

bool CXTTrayIcon::ShowBalloonTip(const std::string& text, const std::string& title, unsigned iconFlags,
                                 unsigned timeoutMs) {
    // Balloons need a system of the NT family; this one counts as such.
    if (!IsNtPlatform()) return false;
    m_nid.flags = NIF_INFO_FLAG;
    m_nid.balloonText = CutAnsiText(text, kTrayBalloonTextLimit);
    m_nid.balloonTitle = CutAnsiText(title, kTrayBalloonTitleLimit);
    m_nid.balloonTimeout = timeoutMs;
    m_nid.balloonFlags = iconFlags;
    const bool shown = ModifyIcon();
    // Later modifications must not repeat the note.
    m_nid.balloonText.clear();
    m_nid.flags &= ~NIF_INFO_FLAG;
    return shown;
}

bool CXTTrayIcon::HideIcon() {
    if (m_bRemoved) {
        // Not in the notification area (a refused add waiting for its
        // retry): hidden all the same, and the retry is dropped.
        m_retryTimer.stop();
        m_bHidden = true;
        return true;
    }
    if (!m_host.Delete(m_nid)) return false;
    m_bHidden = true;
    m_bRemoved = true;
    return true;
}

bool CXTTrayIcon::RestoreIcon() {
    m_nid.flags = m_nSavedFlags;
    const bool added = AddIcon();
    m_bHidden = !added;
    return added;
}

void CXTTrayIcon::OnTaskbarCreated() {
    // The restarted notification area has lost every icon.
    m_bRemoved = true;
    if (!m_bHidden) RestoreIcon();
}

bool CXTTrayIcon::SetFrameIcons(const std::vector<int>& resources, const std::vector<std::string>& tips) {
    ClearFrameIcons();
    for (size_t i = 0; i < resources.size(); ++i) {
        QIcon icon = m_loader(resources[i], kTrayFrameIconSize);
        if (icon.isNull()) {
            Trace("CXTTrayIcon::SetFrameIcons : icon %d not loaded", resources[i]);
            return false;
        }
        XT_TRAYICON frame;
        frame.icon = icon;
        frame.tip = tips.empty() ? m_nid.tip : (i < tips.size() ? tips[i] : std::string());
        m_frames.push_back(std::move(frame));
    }
    return true;
}

void CXTTrayIcon::ClearFrameIcons() {
    m_frames.clear();
    m_nCurrentFrame = 0;
}

void CXTTrayIcon::StartIconAnimation(int elapse) { StartIconAnimation(m_nIDEvent, elapse); }

void CXTTrayIcon::StartIconAnimation(int timerId, int elapse) {
    m_nIDEvent = timerId;
    m_animationTimer.start(elapse > 0 ? elapse : 1);
}

void CXTTrayIcon::StopIconAnimation() {
    m_animationTimer.stop();
    SetTipText(m_strInitialTip);
    SetIcon(m_loadedIcon);
}

void CXTTrayIcon::OnAnimationTick() {
    if (m_frames.empty()) return;
    if (m_nCurrentFrame < 0 || static_cast<size_t>(m_nCurrentFrame) >= m_frames.size()) m_nCurrentFrame = 0;
    const XT_TRAYICON& frame = m_frames[static_cast<size_t>(m_nCurrentFrame)];
    SetIcon(frame.icon);
    if (!frame.tip.empty()) SetTipText(frame.tip);
    m_nCurrentFrame = static_cast<int>((static_cast<size_t>(m_nCurrentFrame) + 1) % m_frames.size());
}

void CXTTrayIcon::ParentToHiddenWindow(QWidget* window) {
    if (!window) return;
    CreateHiddenWindow();
    window->setParent(m_hiddenWindow.get(), window->windowFlags() | Qt::Window);
}

LRESULT CXTTrayIcon::HandleNotification(unsigned id, unsigned mouseMessage) {
    if (id != m_nid.id || !m_pOwner) return 0;
    QObject* owner = m_pOwner->MessageObject();
    if (!owner) return 0;
    if (SendMessage(owner, WM_TRAY_NOTIFY, id, static_cast<LPARAM>(mouseMessage)) != 0) return 0;
    switch (mouseMessage) {
    case WM_LBUTTONDOWN_MSG:
        OnLeftButton();
        return 1;
    case WM_RBUTTONUP_MSG:
    case WM_CONTEXTMENU_MSG:
    case NIN_SELECT_MSG:
    case NIN_KEYSELECT_MSG:
        ShowContextMenu();
        return 1;
    default:
        return 0;
    }
}

void CXTTrayIcon::OnLeftButton() {
    m_pOwner->BringToForeground();
    int command = m_nDefaultCommand;
    if (m_bSingleClickMenu) {
        const CTrayMenu menu = LoadTrayMenu(static_cast<int>(m_nid.id));
        command = menu.DefaultCommand();
        if (command == 0) return;
    }
    SendMessage(m_pOwner->MessageObject(), WM_COMMAND, static_cast<WPARAM>(command), 0);
}

void CXTTrayIcon::ShowContextMenu() {
    if (!m_pOwner->HasPlayer()) return;
    CTrayMenu menu = LoadTrayMenu(static_cast<int>(m_nid.id));
    if (menu.items.empty()) return;
    AdjustTrayMenu(menu, m_pOwner->MenuState());
    m_pOwner->BringToForeground();
    m_host.ShowMenu(menu, m_pOwner->MessageObject());
    // Lets the owner's queue move on once the menu has closed.
    PostMessage(m_pOwner->MessageObject(), WM_NULL_MESSAGE);
    m_host.SetFocus(m_nid);
}
