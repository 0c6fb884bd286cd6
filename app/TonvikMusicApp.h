#pragma once
// The application object: decides whether this process may run at all,
// prepares the data folder and the well-known paths, lets the update library
// install a pending new version first, and creates the hidden main frame.

#include "platform/DesktopSession.h"
#include "platform/NamedLock.h"

#include <filesystem>
#include <memory>
#include <string>

class CMainFrame;

namespace tonvik::platform {
class TerminationWatcher;
}

// The cross-process names of the player.
inline constexpr const char* kInstanceMutexName = "Tonvik音乐";
inline constexpr const char* kSetupEventName = "TonvikMusic";
inline constexpr const char* kFallbackWindowTitle = "TonvikMusic";
inline constexpr const char* kProfileRegistryKey = "Local AppWizard-Generated Applications";

// The single-instance name on a system of family code `osFamily`.
std::string InstanceMutexName(int osFamily);

class CTonvikMusicApp {
public:
    CTonvikMusicApp();
    ~CTonvikMusicApp();
    CTonvikMusicApp(const CTonvikMusicApp&) = delete;
    CTonvikMusicApp& operator=(const CTonvikMusicApp&) = delete;

    // Nonzero to run, 0 to end the process (ExitInstance then runs).
    int InitInstance();
    // Releases the single-instance objects; returns the exit code.
    int ExitInstance();

    // InitInstance, then the event loop; the program's exit code.
    int Run();

    // The launcher's token of this start, read before the windowing library
    // takes it from the environment; a second start hands it to the first.
    void SetLaunchToken(tonvik::platform::LaunchToken token) { m_launchToken = std::move(token); }

    // Ends the process at once, leaving no lock file or socket behind.
    [[noreturn]] void TerminateProcess(unsigned exitCode);

    const std::filesystem::path& DataPath() const { return m_strDataPath; }
    CMainFrame* MainWnd() const { return m_pMainWnd.get(); }

private:
    void ReleaseInstanceObjects();

    std::filesystem::path m_strDataPath;
    tonvik::platform::LaunchToken m_launchToken;
    std::unique_ptr<tonvik::platform::NamedLock> m_hInstanceMutex;
    std::unique_ptr<tonvik::platform::NamedLock> m_hSetupEvent;
    std::unique_ptr<CMainFrame> m_pMainWnd;
    std::unique_ptr<tonvik::platform::TerminationWatcher> m_terminationWatcher;
};
