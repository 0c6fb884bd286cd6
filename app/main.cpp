// TonvikMusic: the player program.

#include "app/TonvikMusicApp.h"
#include "common/TraceSettings.h"
#include "common/WellKnownPaths.h"
#include "platform/DesktopSession.h"
#include "platform/Paths.h"
#include "web/WebEngine.h"

#include <QApplication>

int main(int, char* argv[]) {
    // The program takes no arguments, not even the framework's own.
    int argumentCount = 1;
    char* arguments[] = {argv[0], nullptr};
    PrepareWebEngine();
    // Qt's X11 platform takes the startup id out of the environment.
    tonvik::platform::LaunchToken launchToken = tonvik::platform::ReadLaunchToken();
    QApplication application(argumentCount, arguments);
    // The desktop matches the windows to the desktop entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.velora.TonvikMusic"));
    RouteTraceBySettings(OptionsFileFor(tonvik::platform::ProgramFolder()));

    CTonvikMusicApp app;
    app.SetLaunchToken(std::move(launchToken));
    return app.Run();
}
