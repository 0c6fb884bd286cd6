#pragma once
// Starting other programs and opening addresses in the user's browser.
// Every program started from here gets this process's environment without
// the variables meant for the embedded web engine alone (ChildEnvironment).

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QProcessEnvironment;

namespace tonvik::platform {

// Starts `program` detached from this process with an argument list (never
// through a shell). True when it was started.
bool StartProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                  const std::filesystem::path& workingFolder = {});

// Opens an address in the user's default browser (through "xdg-open"). True
// when handed over.
bool OpenUrl(const std::string& url);

// How long the page of OpenUrlPrivately stays on disk: time enough for the
// browser to start and read it.
inline constexpr std::chrono::milliseconds kPrivatePageLifetime{60000};

// Opens an address that holds a secret (a password in its query) in the
// user's default browser without the address appearing in any program's
// arguments: a page that leads the browser on to the address is written to
// a new file in the user's runtime folder, readable by the user alone, and
// the browser is given that file. The file is removed after `lifetime`
// (from this thread's event loop). True when handed over.
bool OpenUrlPrivately(const std::string& url, std::chrono::milliseconds lifetime = kPrivatePageLifetime);

// The page OpenUrlPrivately writes for `url`: it goes on to `url` at once,
// replacing itself in the browser's history.
std::string LeadingPage(const std::string& url);

// This process's environment less the variables that configure the embedded
// web engine of this process (its switches, its sandbox): the environment of
// every program started from here.
QProcessEnvironment ChildEnvironment();

// The variables ChildEnvironment leaves out.
inline constexpr const char* kEngineOnlyVariables[] = {"QTWEBENGINE_CHROMIUM_FLAGS", "QTWEBENGINE_DISABLE_SANDBOX"};

// A variable this process set for itself (the user did not): while it holds
// the value it has now, ChildEnvironment leaves it out too, so programs
// started from here get the user's own.
void KeepFromChildren(const std::string& name);

// Test seam: while a recorder is installed, the calls above hand it their
// request instead of acting, and return its answer.
struct ShellRequest {
    enum class Kind { Program, Url, PrivateUrl };
    Kind kind;
    std::string target;                  // the program's path or the address
    std::vector<std::string> arguments;  // programs only
};
using ShellRecorder = std::function<bool(const ShellRequest&)>;
void SetShellRecorder(ShellRecorder recorder);

}  // namespace tonvik::platform
