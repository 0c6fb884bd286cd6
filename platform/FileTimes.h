#pragma once
// The times the file system keeps for a file.

#include <filesystem>
#include <optional>

namespace tonvik::platform {

// A moment in the local time zone, to the minute.
struct LocalFileTime {
    int year = 0;
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;
    int minute = 0;
};

// When the file was created, in local time: its birth time where the file
// system records one, otherwise its last modification time. nullopt when
// the file cannot be queried.
std::optional<LocalFileTime> FileCreationLocalTime(const std::filesystem::path& path);

}  // namespace tonvik::platform
