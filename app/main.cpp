// TonvikMusic: sets up its folders and well-known paths.

#include "app/common/System.h"
#include "app/common/Trace.h"
#include "app/common/TraceSettings.h"
#include "app/common/WellKnownPaths.h"
#include "platform/Paths.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    SetupWellKnownPaths(tonvik::platform::ProgramFolder());
    RouteTraceBySettings(g_strIniFile);
    const auto dataPath = GetDataFolder("TonvikMusic");
    Trace("InitInstance===App date path : %s", dataPath.c_str());
    return 0;
}
