#pragma once
// Where the program's traces go: section "Trace", key "File" of the options
// file names a log file (relative to the options file's folder). Without it
// traces go nowhere.

#include <filesystem>

void RouteTraceBySettings(const std::filesystem::path& iniFile);
