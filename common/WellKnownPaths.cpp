#include "common/WellKnownPaths.h"

#include "common/System.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"

#include <system_error>

std::string g_strAppDir;
std::string g_strDataDir;
std::string g_strIniFile;
std::string g_strSkinIni;
std::array<std::string, 3> g_strServiceErrors;

namespace {

constexpr const char* kMakerFolder = "Velora";
constexpr const char* kProgramFolderName = "TonvikMusic";

std::string WithSeparator(const std::filesystem::path& folder) {
    std::string text = folder.string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

}  // namespace

bool IsInstalledCopy(const std::filesystem::path& programFolder) {
    std::error_code ec;
    return !programFolder.empty() && std::filesystem::is_regular_file(programFolder / kInstalledMarkerName, ec);
}

St_WritableFolders ChooseWritableFolders(const std::filesystem::path& programFolder) {
    if (!IsInstalledCopy(programFolder) && tonvik::platform::IsWritableFolder(programFolder))
        return {programFolder, programFolder, false};
    St_WritableFolders folders;
    folders.relocated = true;
    folders.data = GetDataFolder(kProgramFolderName);
    if (folders.data.empty()) folders.data = programFolder;  // its writes fail and are traced
    folders.config = tonvik::platform::UserConfigFolder() / kMakerFolder / kProgramFolderName;
    std::error_code ec;
    std::filesystem::create_directories(folders.config, ec);
    return folders;
}

std::filesystem::path OptionsFileFor(const std::filesystem::path& programFolder) {
    const St_WritableFolders folders = ChooseWritableFolders(programFolder);
    const std::filesystem::path options = folders.config / kIniFileName;
    if (folders.relocated) {
        std::error_code ec;
        const std::filesystem::path shipped = programFolder / kIniFileName;
        if (!std::filesystem::exists(options, ec) && std::filesystem::is_regular_file(shipped, ec)) {
            tonvik::platform::CopyFileAtomically(shipped, options);
            std::filesystem::permissions(options, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ec);
        }
    }
    return options;
}

void SetupWellKnownPaths(const std::filesystem::path& programFolder) {
    const St_WritableFolders folders = ChooseWritableFolders(programFolder);
    g_strAppDir = WithSeparator(programFolder);
    g_strDataDir = WithSeparator(folders.data);
    g_strIniFile = OptionsFileFor(programFolder).string();
    g_strSkinIni = g_strAppDir + kSkinIniName;
    // What a save of the options killed on the way left beside them.
    tonvik::platform::RemoveLeftTemporaries(g_strIniFile);
    g_strServiceErrors = {Cp936("登录失败！"), Cp936("获取专辑列表失败！"), Cp936("创建专辑失败！")};
    if (folders.relocated) {
        Trace("SetupWellKnownPaths===%s is %s: files in %s, options in %s", g_strAppDir.c_str(),
              IsInstalledCopy(programFolder) ? "installed" : "read-only", g_strDataDir.c_str(), g_strIniFile.c_str());
    }
}
