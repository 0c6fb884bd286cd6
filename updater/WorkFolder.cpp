#include "updater/WorkFolder.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "updater/Digest.h"

#include <system_error>

namespace patchwell {

namespace fs = std::filesystem;

std::string UpperCaseFolderText(std::string_view text) {
    std::string upper(text);
    for (size_t i = 0; i < upper.size(); ++i) {
        const auto byte = static_cast<unsigned char>(upper[i]);
        if (byte >= 'a' && byte <= 'z') {
            upper[i] = static_cast<char>(byte - 'a' + 'A');
        } else if (byte >= 0x81 && byte <= 0xFE && i + 1 < upper.size()) {
            const auto trail = static_cast<unsigned char>(upper[i + 1]);
            if (byte == 0xA3 && trail >= 0xE1 && trail <= 0xFA) upper[i + 1] = static_cast<char>(trail - 0x20);
            ++i;
        }
    }
    return upper;
}

std::string FolderDigest(std::string_view upperCaseText) {
    if (upperCaseText.size() >= 512) return {};
    return Md5Hex(upperCaseText);
}

WorkFolder::WorkFolder(fs::path folder) : m_folder(std::move(folder)) {
    if (!m_folder.empty() && m_folder.has_filename()) m_folder += "/";
}

WorkFolder WorkFolder::Compute(const fs::path& programFolder, std::string_view module,
                               const fs::path& documentsRoot) {
    // The folder's text in the system code page; a name CP936 cannot hold
    // is hashed as it is.
    const std::string native = programFolder.string();
    const std::string text =
        tonvik::platform::ConvertCharset(native, "UTF-8", "CP936").value_or(native);
    const std::string digest = FolderDigest(UpperCaseFolderText(text));
    std::error_code ec;
    fs::create_directories(documentsRoot, ec);
    std::string name(module);
    name += "_";
    name += digest;
    return WorkFolder(documentsRoot / "Velora" / name);
}

WorkFolder WorkFolder::ComputeForThisProgram(std::string_view module) {
    return Compute(tonvik::platform::ProgramFolder(), module, tonvik::platform::UserDataFolder());
}

std::optional<fs::path> WorkFolder::FileFor(std::string_view name) const {
    if (!IsPlainFileName(name)) return std::nullopt;
    return m_folder / std::string(name);
}

bool WorkFolder::Clear() const {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(m_folder, ec))) return true;
    bool cleared = true;
    for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code removeError;
        fs::remove_all(it->path(), removeError);
        if (removeError) cleared = false;
    }
    return cleared && !ec;
}

int WorkFolder::RemoveLeftTemporaries(std::string_view packageName) const {
    int removed = 0;
    for (const fs::path& file : {LocalManifest(), PendingManifest()}) removed += tonvik::platform::RemoveLeftTemporaries(file);
    if (packageName.empty()) return removed;
    if (const auto package = FileFor(packageName)) removed += tonvik::platform::RemoveLeftTemporaries(*package);
    return removed;
}

bool WorkFolder::CopySeed(const fs::path& programFolder) const {
    const fs::path seed = programFolder / "Update" / "Update.xml";
    std::error_code ec;
    if (!fs::is_regular_file(seed, ec)) return true;
    fs::create_directories(m_folder, ec);
    if (ec) return false;
    if (fs::exists(LocalManifest(), ec)) return true;
    return tonvik::platform::CopyFileAtomically(seed, LocalManifest());
}

}  // namespace patchwell
