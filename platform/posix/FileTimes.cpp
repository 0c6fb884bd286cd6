#include "platform/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

namespace tonvik::platform {

std::optional<LocalFileTime> FileCreationLocalTime(const std::filesystem::path& path) {
    struct statx info {};
    if (statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BTIME | STATX_MTIME, &info) != 0) {
        return std::nullopt;
    }
    // Not every file system keeps a birth time; the modification time is the
    // nearest it has.
    const time_t seconds = static_cast<time_t>((info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_sec
                                                                              : info.stx_mtime.tv_sec);
    std::tm local{};
    if (!localtime_r(&seconds, &local)) return std::nullopt;
    LocalFileTime time;
    time.year = local.tm_year + 1900;
    time.month = local.tm_mon + 1;
    time.day = local.tm_mday;
    time.hour = local.tm_hour;
    time.minute = local.tm_min;
    return time;
}

}  // namespace tonvik::platform
