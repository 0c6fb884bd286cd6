#pragma once
// Helpers for the start-up tests: bounded polling, a private runtime folder
// for lock files and window channels, and a program folder holding a copy of
// the player for tests that start real processes.

#include "tests/support/TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

using namespace std::chrono_literals;

// Polls `condition` until it holds or `limit` has passed, letting this
// thread's events run in between. True when it held.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s);
// The same without running events (for a thread that must stay busy).
bool WaitUntilBusy(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s);

// Points this process's runtime folder (lock files, window channels) at a
// fresh folder of its own while it lives.
class IsolatedRuntime {
public:
    IsolatedRuntime();
    ~IsolatedRuntime();
    IsolatedRuntime(const IsolatedRuntime&) = delete;
    IsolatedRuntime& operator=(const IsolatedRuntime&) = delete;

    std::filesystem::path Folder() const { return m_root.Path() / "run"; }
    std::filesystem::path DataHome() const { return m_root.Path() / "data"; }
    // Files in the runtime folder.
    int FileCount() const;

private:
    TempDir m_root;
    QByteArray m_oldRuntime;
    QByteArray m_oldDataHome;
    bool m_hadRuntime;
    bool m_hadDataHome;
};

// A program folder with the player in it, its options file routing traces to
// "trace.log", and room for stand-ins of the update library and installer.
class PlayerFolder {
public:
    explicit PlayerFolder(const IsolatedRuntime& runtime);

    const std::filesystem::path& Path() const { return m_folder.Path(); }
    std::filesystem::path Program() const { return m_folder / "TonvikMusic"; }
    std::string Trace() const;
    // Replaces the options file (the trace stays routed to "trace.log").
    void SetOptions(const std::string& sections) const;
    int TraceCount(const std::string& part) const;

    // Puts a library into the folder as libPatchwell.so.
    void AddLibrary(const std::filesystem::path& library) const;
    // Puts an "Up_date.exe" that writes its arguments to InstallerRecord().
    void AddInstaller() const;
    std::filesystem::path InstallerRecord() const { return m_folder / "installer-args.txt"; }
    std::filesystem::path LibraryLog() const { return m_folder / "patchwell.log"; }

    // The environment of programs started for this folder.
    QProcessEnvironment Environment() const { return m_environment; }
    void SetEnvironment(const QString& name, const QString& value) { m_environment.insert(name, value); }

    // Starts the player with `arguments`; null when it did not start.
    std::unique_ptr<QProcess> StartPlayer(const QStringList& arguments = {}) const;
    // Runs the close tool to its end; its exit code, or -1 on failure.
    int RunCloseTool() const;

private:
    TempDir m_folder;
    QProcessEnvironment m_environment;
};

// Waits for a started program to end; its exit code, or -1 when it did not
// end in time (it is then killed) or crashed.
int WaitForExit(QProcess& process, std::chrono::milliseconds limit = 20s);
