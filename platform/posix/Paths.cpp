#include "platform/Paths.h"

#include <QStandardPaths>
#include <QString>

#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace tonvik::platform {

std::filesystem::path ProgramFilePath() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return path;
}

std::filesystem::path ProgramFolder() { return ProgramFilePath().parent_path(); }

std::filesystem::path UserDataFolder() {
    return std::filesystem::path(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString());
}

std::filesystem::path UserConfigFolder() {
    return std::filesystem::path(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString());
}

std::filesystem::path UserCacheFolder() {
    return std::filesystem::path(
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation).toStdString());
}

std::filesystem::path RuntimeFolder() {
    // Qt checks that the folder is the user's own and private, and makes a
    // private one of its own when the session names none.
    return std::filesystem::path(
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString());
}

bool IsWritableFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return false;
    // A read-only file system, or no right to write.
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return false;
    // The folder's own write bits count for the superuser too, who may
    // write anywhere: a folder made read-only is read-only to everyone.
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return false;
    if (info.st_uid == ::geteuid()) return (info.st_mode & S_IWUSR) != 0;
    if (info.st_gid == ::getegid()) return (info.st_mode & S_IWGRP) != 0;
    if (::geteuid() == 0) return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return true;
}

}  // namespace tonvik::platform
