#pragma once
// A stand-in of the desktop's "xdg-open", first on PATH while it lives: each
// start writes its process number, then waits (a bounded time) until the
// test has looked at it and released it, so that the test can read what the started program
// got (its arguments and environment under /proc) as any local user could.

#include "tests/support/TempDir.h"

#include <QByteArray>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

class FakeOpener {
public:
    FakeOpener();
    ~FakeOpener();
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

    // Waits (running events) until the opener has started; its process
    // number, or 0.
    long WaitForStart(std::chrono::milliseconds limit = std::chrono::milliseconds(20000));
    // What the running opener got: its arguments (its own name first) and
    // its environment.
    std::vector<std::string> Arguments() const;
    std::map<std::string, std::string> Environment() const;
    // Lets the opener that started last end.
    void Release();
    // The stand-in itself, to start as any other program.
    std::filesystem::path Program() const;

private:
    TempDir m_folder;
    QByteArray m_oldPath;
    long m_pid = 0;
};
