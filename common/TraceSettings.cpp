#include "common/TraceSettings.h"

#include "common/Trace.h"
#include "platform/Profile.h"

void RouteTraceBySettings(const std::filesystem::path& iniFile) {
    const std::string file = GetPrivateProfileString("Trace", "File", "", iniFile);
    if (file.empty()) {
        SetTraceSink({});
        return;
    }
    std::filesystem::path path(file);
    if (path.is_relative()) path = iniFile.parent_path() / path;
    SetTraceSink(MakeFileTraceSink(path.string()));
}
