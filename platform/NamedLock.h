#pragma once
// Named objects other processes can see: the stand-in for a named mutex or
// event. A name is a lock file in the user's runtime folder, held with an
// exclusive advisory lock for as long as the owner lives. A name "exists"
// only while a live process holds its file: the system drops the lock when
// the holder dies, so files left by killed processes do not count.

#include <filesystem>
#include <string>
#include <string_view>

namespace tonvik::platform {

// The folder the lock files live in (the user's runtime folder).
std::filesystem::path NamedLockFolder();

// The lock file of `name`: bytes the file system cannot hold in a name
// ("/", "\", control bytes, "%") are written as "%XX".
std::filesystem::path NamedLockPath(std::string_view name);

class NamedLock {
public:
    enum class Result {
        Acquired,       // this process holds the name now
        AlreadyExists,  // a live process holds it
        Failed,         // the lock file could not be made
    };

    explicit NamedLock(std::string name);
    // Releases the name when it is held.
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    // Takes the name without waiting.
    Result Acquire();
    // Gives the name up and removes its file. Does nothing when not held.
    void Release();
    bool IsHeld() const { return m_fd >= 0; }
    const std::string& Name() const { return m_name; }

    // Whether a live process (this one included) holds `name` right now.
    static bool IsHeldByAnyone(std::string_view name);

private:
    std::string m_name;
    int m_fd = -1;
};

}  // namespace tonvik::platform
