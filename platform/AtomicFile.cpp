#include "platform/AtomicFile.h"

#include <array>
#include <fstream>
#include <iterator>

namespace tonvik::platform {

namespace {
constexpr size_t kRandomLength = 6;

bool IsLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content) {
    CAtomicFileWriter writer(path);
    return writer.Write(content) && writer.Commit();
}

bool CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(from, ec)) return false;
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    CAtomicFileWriter writer(to);
    std::array<char, 64 * 1024> block{};
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<size_t>(in.gcount());
        if (got > 0 && !writer.Write(std::string_view(block.data(), got))) return false;
    }
    return !in.bad() && writer.Commit();
}

bool IsTemporaryNameOf(const std::filesystem::path& file, const std::string& name) {
    const std::string base = file.filename().string();
    if (base.empty() || name.size() != base.size() + 1 + kRandomLength) return false;
    if (name.compare(0, base.size(), base) != 0 || name[base.size()] != '.') return false;
    for (size_t i = base.size() + 1; i < name.size(); ++i)
        if (!IsLetterOrDigit(name[i])) return false;
    return true;
}

int RemoveLeftTemporaries(const std::filesystem::path& file, std::chrono::seconds age) {
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    const auto oldest = std::filesystem::file_time_type::clock::now() - age;
    int removed = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code entryError;
        if (!IsTemporaryNameOf(file, it->path().filename().string())) continue;
        if (!it->is_regular_file(entryError) || it->is_symlink(entryError)) continue;
        const auto written = std::filesystem::last_write_time(it->path(), entryError);
        if (entryError || written > oldest) continue;
        if (std::filesystem::remove(it->path(), entryError)) ++removed;
    }
    return removed;
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& content) {
    // A folder or a device under the name is no file to read (reading a
    // folder through a stream throws, a pipe may never end).
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    try {
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        return false;
    }
    return !in.bad();
}

}  // namespace tonvik::platform
