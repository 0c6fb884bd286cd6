#include "web/WebEngine.h"

#include "common/System.h"
#include "common/Trace.h"
#include "platform/PrivateFile.h"
#include "platform/Privileges.h"

#include <QCoreApplication>
#include <QDir>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QPointer>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

// Qt's own: runs the routines of the application's end (declared by the
// framework where it calls it, exported by its core library).
Q_CORE_EXPORT void qt_call_post_routines();

namespace {

// Software rendering (the machines it runs on may have no GPU), and none of
// the engine's own traffic to its maker's hosts: only the service's pages
// go out.
constexpr const char* kEngineSwitches =
    "--disable-gpu --disable-gpu-compositing --disable-background-networking --disable-component-update "
    "--disable-domain-reliability --disable-sync --disable-quic --no-first-run --no-pings";

constexpr int kCacheBytes = 32 * 1024 * 1024;

bool g_bProfileInMemory = false;
QPointer<QWebEngineProfile> g_pProfile;

void ApplyPaneSettings(QWebEngineSettings* settings) {
    using S = QWebEngineSettings;
    settings->setAttribute(S::ErrorPageEnabled, false);
    settings->setAttribute(S::JavascriptCanOpenWindows, false);
    settings->setAttribute(S::JavascriptCanAccessClipboard, false);
    settings->setAttribute(S::JavascriptCanPaste, false);
    settings->setAttribute(S::AllowWindowActivationFromJavaScript, false);
    settings->setAttribute(S::PluginsEnabled, false);
    settings->setAttribute(S::PdfViewerEnabled, false);
    settings->setAttribute(S::FullScreenSupportEnabled, false);
    settings->setAttribute(S::ScreenCaptureEnabled, false);
    settings->setAttribute(S::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(S::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(S::HyperlinkAuditingEnabled, false);
    settings->setAttribute(S::AutoLoadIconsForPage, false);
    settings->setAttribute(S::FocusOnNavigationEnabled, false);
    settings->setAttribute(S::NavigateOnDropEnabled, false);
    settings->setAttribute(S::WebGLEnabled, false);
    settings->setUnknownUrlSchemePolicy(S::DisallowUnknownUrlSchemes);
}

// The profile goes before the engine: the engine ends in a routine of the
// application's end, and routines added later run first.
void DeleteSharedProfile() { delete g_pProfile.data(); }


}  // namespace

void PrepareWebEngine() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QByteArray switches = kEngineSwitches;
    const QByteArray given = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!given.isEmpty()) switches += ' ' + given;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", switches);
    if (tonvik::platform::RunsWithAdministratorRights()) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

void KeepWebProfileInMemory() { g_bProfileInMemory = true; }

QWebEngineProfile* SharedWebProfile() {
    if (g_pProfile) return g_pProfile;
    QWebEngineProfile* profile = nullptr;
    const std::filesystem::path folder = g_bProfileInMemory ? std::filesystem::path() : GetDataFolder("TonvikMusic");
    // Cookies and the pages' storage are the user's alone.
    const bool privateFolder = !folder.empty() && tonvik::platform::MakePrivateFolder(folder / kWebProfileFolder);
    if (!privateFolder) {
        if (!g_bProfileInMemory) Trace("SharedWebProfile===No private data folder, pages are kept in memory.");
        profile = new QWebEngineProfile(QCoreApplication::instance());
    } else {
        const QString storage = QDir(QString::fromStdString((folder / kWebProfileFolder).string())).absolutePath();
        profile = new QWebEngineProfile(QStringLiteral("TonvikMusic"), QCoreApplication::instance());
        profile->setPersistentStoragePath(storage);
        profile->setCachePath(storage + QStringLiteral("/Cache"));
        profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        profile->setHttpCacheMaximumSize(kCacheBytes);
    }
    ApplyPaneSettings(profile->settings());
    g_pProfile = profile;
    qAddPostRoutine(DeleteSharedProfile);
    return profile;
}

void PrepareWebSurface(QWidget* window) {
    // Without working drawing contexts (a screen-less platform, for one) the
    // view draws as any widget and the window's surface never changes.
    const QOpenGLContext* shared = QOpenGLContext::globalShareContext();
    if (!shared || !shared->isValid()) return;
    // The page view draws into a texture; a window holding any such child is
    // made with that surface. A hidden, empty one never draws or makes a
    // context of its own.
    auto* keeper = new QOpenGLWidget(window);
    keeper->setObjectName(QStringLiteral("WebSurface"));
    keeper->setAttribute(Qt::WA_TransparentForMouseEvents);
    keeper->setFocusPolicy(Qt::NoFocus);
    keeper->setGeometry(0, 0, 0, 0);
    keeper->hide();
}

void ShutDownWebEngine() {
    // Without a profile the engine never started.
    if (!g_pProfile) return;
    // The engine writes its stores out as it shuts down, which it does in a
    // routine of the application's end (it has no call of its own for it);
    // the profile's deletion comes first among them. The process ends right
    // after this without returning through the application's end, so it runs
    // those routines itself, as the application's end would.
    qt_call_post_routines();
}
