#include "platform/PrivateFile.h"

#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tonvik::platform {

bool RestrictToOwner(const std::filesystem::path& path) {
    // Created with the final permissions, so the file is never readable by
    // others, not even for a moment.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) return false;
    const bool restricted = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
    ::close(fd);
    return restricted;
}

bool MakePrivateFolder(const std::filesystem::path& path) {
    if (path.empty()) return false;
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    // Made with the final permissions; an existing one is restricted.
    if (::mkdir(path.c_str(), S_IRWXU) != 0 && errno != EEXIST) return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    if ((info.st_mode & 07777) == S_IRWXU) return true;
    return ::chmod(path.c_str(), S_IRWXU) == 0;
}

std::filesystem::path WritePrivateFile(const std::filesystem::path& folder, std::string_view prefix,
                                       std::string_view suffix, std::string_view content) {
    std::string name = (folder / std::string(prefix)).string() + "XXXXXX" + std::string(suffix);
    // mkstemps makes the file exclusively, with mode 0600.
    const int fd = ::mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) return {};
    size_t written = 0;
    while (written < content.size()) {
        const ssize_t step = ::write(fd, content.data() + written, content.size() - written);
        if (step < 0 && errno == EINTR) continue;
        if (step <= 0) break;
        written += static_cast<size_t>(step);
    }
    const bool complete = written == content.size() && ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
    ::close(fd);
    if (!complete) {
        ::unlink(name.c_str());
        return {};
    }
    return name;
}

int PermissionBits(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return -1;
    return static_cast<int>(info.st_mode & 07777);
}

}  // namespace tonvik::platform
