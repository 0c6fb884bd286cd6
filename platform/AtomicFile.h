#pragma once
// Writing a file so that a crash or a full disk never leaves it half written:
// the new content goes to a temporary file beside it, which then replaces it.

#include <filesystem>
#include <string_view>

namespace tonvik::platform {

// Replaces the file at `path` with `content`. Returns false (and leaves any
// old file untouched) when the content could not be written completely.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& content);

}  // namespace tonvik::platform
