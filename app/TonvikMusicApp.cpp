#include "app/TonvikMusicApp.h"

#include "app/MainFrame.h"
#include "app/PatchwellBinding.h"
#include "common/MessageIds.h"
#include "common/System.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "common/WindowChannel.h"
#include "platform/Paths.h"
#include "service/AnswerFiles.h"
#include "platform/Process.h"
#include "web/WebEngine.h"

#include <QApplication>

#include <chrono>

namespace {

// How long a second start waits for the running frame to take a message.
constexpr std::chrono::milliseconds kActivateTimeout(3000);

}  // namespace

std::string InstanceMutexName(int osFamily) {
    return osFamily > 3 ? std::string("Global\\") + kInstanceMutexName : std::string(kInstanceMutexName);
}

CTonvikMusicApp::CTonvikMusicApp() = default;

CTonvikMusicApp::~CTonvikMusicApp() { ReleaseInstanceObjects(); }

int CTonvikMusicApp::InitInstance() {
    // The system's requests to end are answered from the event loop, as the
    // system-menu close; one that arrives during start-up waits for it.
    m_terminationWatcher = std::make_unique<tonvik::platform::TerminationWatcher>([this](int) {
        if (m_pMainWnd) {
            m_pMainWnd->OnSysClose();
        } else {
            TerminateProcess(0xFFFFFFFFu);
        }
    });

    // 1. A running player: bring it to the front with this launch's token
    // and end. The running player raises itself, so this start ends the
    // launcher's busy cursor itself: it shows no window that would.
    if (SendTextToWindow(kMainFrameTitle, WM_FRAME_ACTIVATE, 0, m_launchToken.Encode(), kActivateTimeout) !=
        RemoteSendStatus::NoWindow) {
        if (!m_launchToken.startupId.empty() && !tonvik::platform::EndStartupNotice(m_launchToken.startupId)) {
            Trace("InitInstance===Could not end the startup notice %s.", m_launchToken.startupId.c_str());
        }
        return 0;
    }

    // 2. The data folder.
    if (IsNtPlatform()) m_strDataPath = GetDataFolder("TonvikMusic");
    Trace("InitInstance===App date path : %s", m_strDataPath.c_str());

    // 3. The framework's profile key. The program ends only by its own two
    // ways, never because its last visible window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    QCoreApplication::setOrganizationName(QString::fromUtf8(kProfileRegistryKey));
    QCoreApplication::setApplicationName(QStringLiteral("TonvikMusic"));

    // 4. One player per user.
    m_hInstanceMutex = std::make_unique<tonvik::platform::NamedLock>(InstanceMutexName(GetOsFamily()));
    if (m_hInstanceMutex->Acquire() != tonvik::platform::NamedLock::Result::Acquired) {
        m_hInstanceMutex.reset();
        Trace("Already Exist One Instance!");
        SendMessageToWindow(kFallbackWindowTitle, WM_FRAME_ACTIVATE, 0, 0, kActivateTimeout);
        return 0;
    }

    // 5. No start while a setup runs.
    m_hSetupEvent = std::make_unique<tonvik::platform::NamedLock>(kSetupEventName);
    if (m_hSetupEvent->Acquire() != tonvik::platform::NamedLock::Result::Acquired) {
        m_hSetupEvent.reset();
        Trace("Setup is running!");
        return 0;
    }

    // 6. A verified new version is installed before anything else.
    Trace("===========Call SetupNewVersionDll====");
    const int started = SetupNewVersionDll(kPatchwellProjectCode);
    if (started != 0) {
        Trace("SetupNewVersionDll===Return : %d", started);
        return 0;
    }

    // 7. The well-known paths (the options' leftovers of a killed save go
    // with it, the answer files' here, the play list's when it is read).
    SetupWellKnownPaths(tonvik::platform::ProgramFolder());
    RemoveLeftAnswerTemporaries();

    // 8. The hidden main frame.
    m_pMainWnd = std::make_unique<CMainFrame>([this](unsigned exitCode) { TerminateProcess(exitCode); });
    if (!m_pMainWnd->Create()) {
        Trace("InitInstance===Failed to create the main frame.");
        return 0;
    }

    // 9. It stays hidden.
    m_pMainWnd->hide();
    return 1;
}

int CTonvikMusicApp::ExitInstance() {
    TRACE_SCOPE("~ExitInstance...");
    ReleaseInstanceObjects();
    return 0;
}

int CTonvikMusicApp::Run() {
    if (!InitInstance()) return ExitInstance();
    QApplication::exec();
    return ExitInstance();
}

void CTonvikMusicApp::TerminateProcess(unsigned exitCode) {
    // The orderly end (the frame has let its pages go): the web engine
    // writes out the pages' cookies and storage, while this instance still
    // holds the profile.
    if (exitCode == 0) ShutDownWebEngine();
    ReleaseInstanceObjects();
    tonvik::platform::TerminateProcess(exitCode);
}

void CTonvikMusicApp::ReleaseInstanceObjects() {
    if (m_hInstanceMutex) m_hInstanceMutex->Release();
    if (m_hSetupEvent) m_hSetupEvent->Release();
}
