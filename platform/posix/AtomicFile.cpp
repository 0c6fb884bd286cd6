// The POSIX half of the atomic file writer: the temporary, its flush to the
// disk and the rename.

#include "platform/AtomicFile.h"

#include <cerrno>
#include <random>
#include <string>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tonvik::platform {

namespace {

std::string RandomName() {
    static constexpr char kCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kCharacters - 2);
    std::string name(6, 'X');
    for (char& c : name) c = kCharacters[pick(generator)];
    return name;
}

// The file a link points at is the one replaced, so the link stays.
std::filesystem::path Resolved(const std::filesystem::path& target) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(target, ec)) return target;
    const std::filesystem::path resolved = std::filesystem::canonical(target, ec);
    return ec ? target : resolved;
}

// Makes what the folder holds (the new name) last through a power cut.
void SyncFolder(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

CAtomicFileWriter::CAtomicFileWriter(const std::filesystem::path& target) : m_target(Resolved(target)) {
    struct stat existing {};
    const bool exists = ::stat(m_target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) return;  // a folder or a device is never replaced
    for (int attempt = 0; attempt < 100 && m_handle < 0; ++attempt) {
        std::filesystem::path candidate = m_target;
        candidate += "." + RandomName();
        m_handle = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_handle >= 0) m_temporary = candidate;
        else if (errno != EEXIST) break;
    }
    if (m_handle >= 0 && exists && ::fchmod(m_handle, existing.st_mode & 07777) != 0) Discard();
}

CAtomicFileWriter::~CAtomicFileWriter() { Discard(); }

void CAtomicFileWriter::Discard() {
    if (m_handle < 0) return;
    ::close(m_handle);
    ::unlink(m_temporary.c_str());
    m_handle = -1;
    m_failed = true;
}

bool CAtomicFileWriter::Write(std::string_view bytes) {
    if (m_handle < 0 || m_failed) return false;
    while (!bytes.empty()) {
        const ssize_t step = ::write(m_handle, bytes.data(), bytes.size());
        if (step < 0 && errno == EINTR) continue;
        if (step <= 0) {
            m_failed = true;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(step));
    }
    return true;
}

bool CAtomicFileWriter::Commit() {
    if (m_handle < 0 || m_failed) {
        Discard();
        return false;
    }
    if (::fsync(m_handle) != 0) {
        Discard();
        return false;
    }
    const int handle = m_handle;
    m_handle = -1;
    if (::close(handle) != 0 || ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        ::unlink(m_temporary.c_str());
        m_failed = true;
        return false;
    }
    SyncFolder(m_target);
    return true;
}

}  // namespace tonvik::platform
