#pragma once
// Joining the downloaded parts of a multi-part package into one file.

#include "platform/FileTimes.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace patchwell {

// When a part file was created (tests replace the file system's answer).
using CreationTimeQuery = std::function<std::optional<tonvik::platform::LocalFileTime>(const std::filesystem::path&)>;

struct JoinResult {
    bool joined = false;
    std::string error;  // why not, for the trace
};

// Appends the part files `folder`/<file name of each address>, in order and
// in blocks of 4096 bytes, to a new `output`, deleting each part once it is
// appended and removing its address from `addresses`. All parts must have
// been created on the same day as the first: parts left from an earlier,
// interrupted download of another release would make a corrupt package. On
// failure the output is deleted. Prints "文件时间 …" for every part.
JoinResult JoinParts(const std::filesystem::path& output, const std::filesystem::path& folder,
                     std::vector<std::string>& addresses, const CreationTimeQuery& creationTime);

}  // namespace patchwell
