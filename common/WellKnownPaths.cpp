#include "common/WellKnownPaths.h"

#include "common/Text.h"

std::string g_strAppDir;
std::string g_strIniFile;
std::string g_strSkinIni;
std::array<std::string, 3> g_strServiceErrors;

void SetupWellKnownPaths(const std::filesystem::path& programFolder) {
    std::string folder = programFolder.string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    g_strAppDir = folder;
    g_strIniFile = folder + kIniFileName;
    g_strSkinIni = folder + kSkinIniName;
    g_strServiceErrors = {Cp936("登录失败！"), Cp936("获取专辑列表失败！"), Cp936("创建专辑失败！")};
}
