#include "platform/NamedLock.h"

#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tonvik::platform {
namespace {

// Opens (creating when missing) and locks the file of a name. Returns the
// descriptor, -1 when another process holds it, -2 on failure.
int OpenAndLock(const std::filesystem::path& path) {
    // A holder may remove the file between our open and our lock; the lock
    // then sits on a file nobody else can find, so check and try again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) return -2;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? -1 : -2;
        }
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
            opened.st_ino == named.st_ino) {
            return fd;
        }
        ::close(fd);
    }
    return -2;
}

}  // namespace

std::filesystem::path NamedLockFolder() {
    return std::filesystem::path(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString());
}

std::filesystem::path NamedLockPath(std::string_view name) {
    std::string file;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\' || c == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            file += escaped;
        } else {
            file += c;
        }
    }
    if (file.empty() || file == "." || file == "..") file = "%" + file;
    return NamedLockFolder() / (file + ".lock");
}

NamedLock::NamedLock(std::string name) : m_name(std::move(name)) {}

NamedLock::~NamedLock() { Release(); }

NamedLock::Result NamedLock::Acquire() {
    if (IsHeld()) return Result::Acquired;
    const auto folder = NamedLockFolder();
    if (folder.empty()) return Result::Failed;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const int fd = OpenAndLock(NamedLockPath(m_name));
    if (fd == -1) return Result::AlreadyExists;
    if (fd < 0) return Result::Failed;
    m_fd = fd;
    return Result::Acquired;
}

void NamedLock::Release() {
    if (!IsHeld()) return;
    // Removed while still locked, so no other process can lock this file
    // and take it for the one at the path.
    ::unlink(NamedLockPath(m_name).c_str());
    ::close(m_fd);
    m_fd = -1;
}

bool NamedLock::IsHeldByAnyone(std::string_view name) {
    const auto path = NamedLockPath(name);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    // A lock of our own on another descriptor conflicts as well, so this
    // answers for this process too.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

}  // namespace tonvik::platform
