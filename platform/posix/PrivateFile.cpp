#include "platform/PrivateFile.h"

#include <fcntl.h>
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

}  // namespace tonvik::platform
