#pragma once
// Letting a file that arrived as data run as a program.

#include <filesystem>

namespace tonvik::platform {

// Gives the file's owner the right to run it (a downloaded program arrives
// without it). True when the file may be run afterwards.
bool MakeRunnable(const std::filesystem::path& file);

}  // namespace tonvik::platform
