#include "platform/Paths.h"

#include <QStandardPaths>
#include <QString>

#include <system_error>

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

}  // namespace tonvik::platform
