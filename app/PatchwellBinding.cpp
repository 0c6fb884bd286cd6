#include "app/PatchwellBinding.h"

#include "common/Trace.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "updater/Patchwell.h"

#include <QLibrary>
#include <QString>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace {

// Loads the library from the program's folder, else from the search path.
std::unique_ptr<QLibrary> LoadPatchwell(const std::filesystem::path& programFolder) {
    auto library = std::make_unique<QLibrary>();
    if (!programFolder.empty()) {
        library->setFileName(QString::fromStdString((programFolder / kPatchwellLibraryName).string()));
        if (library->load()) return library;
    }
    library->setFileName(QString::fromLatin1(kPatchwellLibraryName));
    if (library->load()) return library;
    return nullptr;
}

template <typename Function>
Function Resolve(QLibrary& library, const char* name) {
    return reinterpret_cast<Function>(library.resolve(name));
}

// "install 5" as the installer's argument list.
std::vector<std::string> InstallerArguments(int projectCode) {
    char text[32];
    std::snprintf(text, sizeof text, kInstallerArgumentFormat, projectCode);
    std::vector<std::string> arguments;
    std::istringstream words(text);
    for (std::string word; words >> word;) arguments.push_back(word);
    return arguments;
}

}  // namespace

int SetupNewVersionDllIn(const std::filesystem::path& programFolder, int projectCode) {
    unsigned char newVersion = 0;
    {
        auto library = LoadPatchwell(programFolder);
        if (!library) return 0;
        if (auto setPrjCode = Resolve<decltype(&::SetPrjCode)>(*library, "SetPrjCode")) setPrjCode(projectCode);
        // Only the low 8 bits of the answer count.
        if (auto setupNewVersion = Resolve<decltype(&::SetupNewVersion)>(*library, "SetupNewVersion")) {
            newVersion = static_cast<unsigned char>(setupNewVersion());
        }
        library->unload();
    }
    if (newVersion == 0) return 0;

    const std::filesystem::path installer = programFolder / kInstallerFileName;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(installer, ec)) return 0;
    // An installer that cannot be started installs nothing; the player then
    // starts as if there were no new version rather than just ending.
    if (!tonvik::platform::StartProgram(installer, InstallerArguments(projectCode))) {
        Trace("SetupNewVersionDll===Can not start %s", installer.c_str());
        return 0;
    }
    return 1;
}

void CheckPatchwellIn(const std::filesystem::path& programFolder, int updateCode, const char* version,
                      int projectCode) {
    // Never unloaded: the library's polls run later from this thread's timers.
    auto library = LoadPatchwell(programFolder);
    if (!library) return;
    if (auto setPrjCode = Resolve<decltype(&::SetPrjCode)>(*library, "SetPrjCode")) setPrjCode(projectCode);
    if (auto checkUpdate = Resolve<decltype(&::CheckUpdate)>(*library, "CheckUpdate")) {
        int code = updateCode;
        checkUpdate(&code, version, projectCode);
    }
}

int SetupNewVersionDll(int projectCode) {
    return SetupNewVersionDllIn(tonvik::platform::ProgramFolder(), projectCode);
}

void CheckPatchwell(int updateCode, const char* version, int projectCode) {
    CheckPatchwellIn(tonvik::platform::ProgramFolder(), updateCode, version, projectCode);
}
