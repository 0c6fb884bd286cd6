// libTonvikWebEngine.so: the program's one web engine, with its one profile
// shared by every page view (cookies, cache, settings), in a library of its
// own. The program loads it when it makes its first page view, after the
// player is on screen: linked into the program, the engine's start-up
// routine would run inside the QApplication constructor and make an OpenGL
// context (GLX, the software renderer) before any window. Loaded this way
// the engine warns that it "seems to be initialized from a plugin"; that is
// what is meant here, and harmless: the views draw through the scene
// graph's software back end, so no OpenGL context is ever needed, and the
// machine need not offer any.
//
// Nothing of the program is linked in: only Qt, and the plain types of
// web/PageView.h.

#include "web/PageView.h"
#include "web/engine/EnginePageView.h"

#include <QCoreApplication>
#include <QDir>
#include <QOpenGLContext>
#include <QPointer>
#include <QQuickWindow>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

// Qt's own: the application's shared drawing context (exported by its GUI
// library, declared where it uses them), and the routines of the
// application's end (exported by its core library).
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
QT_END_NAMESPACE
Q_CORE_EXPORT void qt_call_post_routines();

namespace {

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

QPointer<QWebEngineProfile> g_pProfile;

// The engine sets a profile with a name up in the application's data
// location (<data home>/<organisation>/<application>) before it can be told
// where the profile lives, and leaves its first preferences there. For that
// moment the location is the folder that holds the profile's (the
// program's data folder), so nothing lands beside it.
class ProfileSetUpLocation {
public:
    explicit ProfileSetUpLocation(const QString& storage)
        : m_organisation(QCoreApplication::organizationName()), m_application(QCoreApplication::applicationName()) {
        QDir folder(storage);
        if (!folder.cdUp()) return;
        const QString application = folder.dirName();
        if (!folder.cdUp()) return;
        QCoreApplication::setOrganizationName(folder.dirName());
        QCoreApplication::setApplicationName(application);
    }
    ~ProfileSetUpLocation() {
        QCoreApplication::setOrganizationName(m_organisation);
        QCoreApplication::setApplicationName(m_application);
    }
    ProfileSetUpLocation(const ProfileSetUpLocation&) = delete;
    ProfileSetUpLocation& operator=(const ProfileSetUpLocation&) = delete;

private:
    QString m_organisation;
    QString m_application;
};

// The profile goes before the engine: the engine ends in a routine of the
// application's end, and routines added later run first.
void DeleteProfile() { delete g_pProfile.data(); }

class CWebEngine final : public IWebEngine {
public:
    explicit CWebEngine(St_WebEngineSetup setup) : m_setup(std::move(setup)) {
        // The views draw in software (QQuickWidget without OpenGL), so that
        // a window keeps its native window when a view comes into it, and
        // no drawing context is made. The engine still asks the
        // application's shared context for its format when it starts: it
        // gets one that is never created.
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        if (!qt_gl_global_share_context()) qt_gl_set_global_share_context(new QOpenGLContext(QCoreApplication::instance()));
    }

    std::unique_ptr<IPageView> CreatePageView(QWidget* parent, IPageViewOwner& owner,
                                              const St_PageViewOptions& options) override {
        return std::make_unique<CEnginePageView>(parent, Profile(), owner, options);
    }

    void ShutDown() override {
        // Without a profile the engine never started.
        if (!g_pProfile) return;
        // The engine writes its stores out as it shuts down, which it does in
        // a routine of the application's end (it has no call of its own for
        // it); the profile's deletion comes first among them. The process
        // ends right after this without returning through the application's
        // end, so the routines run here, as the application's end would.
        qt_call_post_routines();
    }

private:
    QWebEngineProfile* Profile() {
        if (g_pProfile) return g_pProfile;
        QWebEngineProfile* profile = nullptr;
        if (m_setup.storageFolder.empty()) {
            profile = new QWebEngineProfile(QCoreApplication::instance());
        } else {
            const QString storage = QDir(QString::fromStdString(m_setup.storageFolder)).absolutePath();
            {
                const ProfileSetUpLocation setUpLocation(storage);
                profile = new QWebEngineProfile(QStringLiteral("TonvikMusic"), QCoreApplication::instance());
            }
            profile->setPersistentStoragePath(storage);
            profile->setCachePath(m_setup.cacheFolder.empty()
                                      ? storage + QStringLiteral("/Cache")
                                      : QDir(QString::fromStdString(m_setup.cacheFolder)).absolutePath());
            profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
            profile->setHttpCacheMaximumSize(int(m_setup.cacheBytes));
        }
        ApplyPaneSettings(profile->settings());
        g_pProfile = profile;
        qAddPostRoutine(DeleteProfile);
        return profile;
    }

    St_WebEngineSetup m_setup;
};

}  // namespace

extern "C" Q_DECL_EXPORT IWebEngine* TonvikWebEngineOpen(const St_WebEngineSetup* setup) {
    if (!setup || setup->version != St_WebEngineSetup::kVersion || !QCoreApplication::instance()) return nullptr;
    // Lives as long as the process: the library is never unloaded.
    static CWebEngine* engine = new CWebEngine(*setup);
    return engine;
}
