#include "web/WebEngine.h"

#include "common/System.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "platform/Paths.h"
#include "platform/PrivateFile.h"
#include "platform/Privileges.h"
#include "platform/Shell.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QString>

#include <exception>
#include <optional>
#include <utility>

namespace {

// Software rendering (the machines it runs on may have no GPU), none of the
// engine's own traffic to its maker's hosts (only the service's pages go
// out), and the pages of one site drawn by one process: both page views
// show the service's pages.
constexpr const char* kEngineSwitches =
    "--disable-gpu --disable-gpu-compositing --disable-background-networking --disable-component-update "
    "--disable-domain-reliability --disable-sync --disable-quic --no-first-run --no-pings "
    "--process-per-site --renderer-process-limit=1";

bool g_bProfileInMemory = false;
std::optional<std::filesystem::path> g_library;
bool g_bOpened = false;
IWebEngine* g_pEngine = nullptr;

// The profile's folder, private to the user; empty to keep the pages'
// stores in memory.
std::string ProfileFolder() {
    if (g_bProfileInMemory) return {};
    const std::filesystem::path data = GetDataFolder("TonvikMusic");
    // Cookies and the pages' storage are the user's alone.
    if (data.empty() || !tonvik::platform::MakePrivateFolder(data / kWebProfileFolder)) {
        Trace("SharedWebProfile===No private data folder, pages are kept in memory.");
        return {};
    }
    return (data / kWebProfileFolder).string();
}

// The pages' cache in the user's cache folder, private to the user; empty
// (the cache stays in the profile's folder) when it cannot be made there.
std::string CacheFolder() {
    const std::filesystem::path base = tonvik::platform::UserCacheFolder();
    const std::filesystem::path folder = base / "Velora" / "TonvikMusic" / kWebProfileFolder;
    if (base.empty() || !tonvik::platform::MakePrivateFolder(folder)) {
        Trace("SharedWebProfile===No private cache folder, the pages' cache stays in the profile.");
        return {};
    }
    return folder.string();
}

}  // namespace

void PrepareWebEngine() {
    QByteArray switches = kEngineSwitches;
    const QByteArray given = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!given.isEmpty()) switches += ' ' + given;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", switches);
    if (tonvik::platform::RunsWithAdministratorRights()) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Nothing of the program draws through OpenGL (the pages neither, see
    // above): without the X11 GL integration neither the program nor the
    // engine loads a GL driver (some 30 MB of a software one). The platform
    // reads the switch when something first asks for OpenGL, which the
    // engine does as it starts, so it stays for the process's life; the
    // programs the user opens from ours do not get it. A value the user
    // gave stands.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION")) {
        qputenv("QT_XCB_GL_INTEGRATION", "none");
        tonvik::platform::KeepFromChildren("QT_XCB_GL_INTEGRATION");
    }
}

void KeepWebProfileInMemory() { g_bProfileInMemory = true; }

void SetWebEngineLibrary(const std::filesystem::path& library) { g_library = library; }

IWebEngine* OpenWebEngine() {
    if (g_bOpened) return g_pEngine;
    g_bOpened = true;
    const std::filesystem::path file = g_library ? *g_library : tonvik::platform::ProgramFolder() / kWebEngineLibraryFile;
    // Never unloaded: the engine lives as long as the process.
    QLibrary library(QString::fromStdString(file.string()));
    if (!library.load()) {
        Trace("OpenWebEngine===Can not load %s : %s", file.string().c_str(), ToAnsi(library.errorString()).c_str());
        return nullptr;
    }
    const auto entry = reinterpret_cast<WebEngineEntry>(library.resolve(kWebEngineEntryName));
    if (!entry) {
        Trace("OpenWebEngine===No %s in %s", kWebEngineEntryName, file.string().c_str());
        return nullptr;
    }
    St_WebEngineSetup setup;
    setup.storageFolder = ProfileFolder();
    if (!setup.storageFolder.empty()) setup.cacheFolder = CacheFolder();
    g_pEngine = entry(&setup);
    if (!g_pEngine) Trace("OpenWebEngine===%s refused to start (version %d).", file.string().c_str(), setup.version);
    return g_pEngine;
}

std::unique_ptr<IPageView> MakePageView(QWidget* parent, IPageViewOwner& owner, const St_PageViewOptions& options,
                                        const char* caller) {
    IWebEngine* engine = OpenWebEngine();
    if (!engine) {
        Trace("%s===No web engine, no page view.", caller);
        return nullptr;
    }
    try {
        std::unique_ptr<IPageView> view = engine->CreatePageView(parent, owner, options);
        if (!view) Trace("%s===The web engine made no page view.", caller);
        return view;
    } catch (const std::exception& error) {
        Trace("%s===No page view : %s", caller, error.what());
        return nullptr;
    }
}

void TraceEngineRefusal(const QString& address) {
    Trace("OnBeforeNavigate===Refused address (by the engine) : %s", ToAnsi(address.left(kTracedAddressLimit)).c_str());
}

void ShutDownWebEngine() {
    if (g_pEngine) g_pEngine->ShutDown();
}
