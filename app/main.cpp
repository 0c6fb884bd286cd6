// TonvikMusic: the player program.

#include "app/TonvikMusicApp.h"
#include "common/TraceSettings.h"
#include "common/WellKnownPaths.h"
#include "platform/Paths.h"
#include "playback/WMPPlayer4.h"
#include "web/WebEngine.h"

#include <QApplication>

int main(int, char* argv[]) {
    // The program takes no arguments, not even the framework's own.
    int argumentCount = 1;
    char* arguments[] = {argv[0], nullptr};
    const std::jthread mediaSetUp = StartMediaFrameworkSetUp();
    PrepareWebEngine();
    QApplication application(argumentCount, arguments);
    RouteTraceBySettings(OptionsFileFor(tonvik::platform::ProgramFolder()));

    CTonvikMusicApp app;
    return app.Run();
}
