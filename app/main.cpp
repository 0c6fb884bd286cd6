// TonvikMusic: the player program.

#include "app/LaunchRequest.h"
#include "app/TonvikMusicApp.h"
#include "common/MessageIds.h"
#include "common/PlayerClose.h"
#include "common/Trace.h"
#include "common/ProgramVersion.h"
#include "common/TraceSettings.h"
#include "common/WellKnownPaths.h"
#include "common/WindowChannel.h"
#include "platform/DesktopSession.h"
#include "platform/Paths.h"
#include "platform/ProcessMemory.h"
#include "playback/WMPPlayer4.h"
#include "web/WebEngine.h"

#include <QApplication>
#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::chrono::milliseconds kRequestTimeout(5000);
constexpr std::chrono::seconds kCloseWait(20);

// Hands a desktop action to the running player; false when none took it.
bool ForwardDesktopAction(char* program, std::uintptr_t action) {
    int count = 1;
    char* arguments[] = {program, nullptr};
    QCoreApplication application(count, arguments);
    const RemoteSendStatus status =
        SendMessageToWindow(kMainFrameTitle, WM_FRAME_DESKTOPACTION, action, 0, kRequestTimeout);
    return status == RemoteSendStatus::Delivered;
}

// Where the windows run, for the trace: on X11 in a Wayland session with
// an X server, or where the desktop places them.
void TraceDisplayPlatform(const std::string& chosen) {
    if (!chosen.empty()) {
        Trace("main===Wayland session with an X server: the windows run on %s.", chosen.c_str());
    } else if (!tonvik::platform::WindowsPlaceThemselves()) {
        Trace("main===Running on %s: the desktop places the windows, they do not dock to each other.",
              QGuiApplication::platformName().toStdString().c_str());
    }
}

int ClosePlayerNow(char* program) {
    int count = 1;
    char* arguments[] = {program, nullptr};
    QCoreApplication application(count, arguments);
    const CloseResult result = ClosePlayer(kRequestTimeout, kCloseWait);
    if (result != CloseResult::Closed) std::fprintf(stderr, "tonvikmusic: %s\n", CloseResultText(result));
    return static_cast<int>(result);
}

}  // namespace

int main(int argc, char* argv[]) {
    tonvik::platform::LimitAllocatorHeaps();
    const std::vector<std::string> given(argv + 1, argv + argc);
    switch (ParseLaunchRequest(given)) {
    case LaunchRequest::Version:
        std::printf("TonvikMusic %s\n", kProgramVersion);
        return 0;
    case LaunchRequest::Help:
        std::fputs(LaunchUsage().c_str(), stdout);
        return 0;
    case LaunchRequest::Close:
        return ClosePlayerNow(argv[0]);
    case LaunchRequest::PlayPause:
        if (ForwardDesktopAction(argv[0], kDesktopActionPlayPause)) return 0;
        break;  // no player yet: this start becomes it
    case LaunchRequest::Next:
        if (ForwardDesktopAction(argv[0], kDesktopActionNext)) return 0;
        break;
    case LaunchRequest::Start:
        break;
    }

    // The program takes no other arguments, not even the framework's own.
    int argumentCount = 1;
    char* arguments[] = {argv[0], nullptr};
    // The windows place themselves and dock to each other, which needs X11:
    // in a Wayland session with an X server the program runs there, unless
    // the user chose a platform.
    const std::string displayPlatform = tonvik::platform::ApplyPreferredDisplayPlatform();
    const std::jthread mediaSetUp = StartMediaFrameworkSetUp();
    PrepareWebEngine();
    // Qt's X11 platform takes the startup id out of the environment.
    tonvik::platform::LaunchToken launchToken = tonvik::platform::ReadLaunchToken();
    QApplication application(argumentCount, arguments);
    // The desktop matches the windows to the desktop entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.velora.TonvikMusic"));
    RouteTraceBySettings(OptionsFileFor(tonvik::platform::ProgramFolder()));
    TraceDisplayPlatform(displayPlatform);

    CTonvikMusicApp app;
    app.SetLaunchToken(std::move(launchToken));
    return app.Run();
}
