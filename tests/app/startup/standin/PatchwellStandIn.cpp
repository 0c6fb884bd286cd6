// A stand-in for the update library with the player's three exports. It
// answers SetupNewVersion with the number in PATCHWELL_STANDIN_ANSWER (0 when
// unset) and appends every call to the file named by PATCHWELL_STANDIN_LOG.

// The exports take their signatures from the library's own header, so the
// stand-in cannot drift from what the player binds.
#include "updater/Patchwell.h"

#include <cstdio>
#include <cstdlib>

namespace {

void Record(const char* line) {
    const char* path = std::getenv("PATCHWELL_STANDIN_LOG");
    if (!path || !*path) return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", line);
        std::fclose(file);
    }
}

}  // namespace

PATCHWELL_EXPORT int SetPrjCode(int projectCode) {
    char line[64];
    std::snprintf(line, sizeof line, "SetPrjCode %d", projectCode);
    Record(line);
    return 47;
}

PATCHWELL_EXPORT int SetupNewVersion() {
    Record("SetupNewVersion");
    const char* answer = std::getenv("PATCHWELL_STANDIN_ANSWER");
    return answer ? std::atoi(answer) : 0;
}

PATCHWELL_EXPORT int CheckUpdate(int* updateCode, const char* version, int projectCode) {
    char line[256];
    std::snprintf(line, sizeof line, "CheckUpdate %d %s %d", updateCode ? *updateCode : -1,
                  version ? version : "(null)", projectCode);
    Record(line);
    return 1;
}
