#pragma once
// Starting other programs and opening addresses in the user's browser.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tonvik::platform {

// Starts `program` detached from this process with an argument list (never
// through a shell). True when it was started.
bool StartProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                  const std::filesystem::path& workingFolder = {});

// Opens an address in the user's default browser. True when handed over.
bool OpenUrl(const std::string& url);

// Test seam: while a recorder is installed, the calls above hand it their
// request instead of acting, and return its answer.
struct ShellRequest {
    enum class Kind { Program, Url };
    Kind kind;
    std::string target;                  // the program's path or the address
    std::vector<std::string> arguments;  // programs only
};
using ShellRecorder = std::function<bool(const ShellRequest&)>;
void SetShellRecorder(ShellRecorder recorder);

}  // namespace tonvik::platform
