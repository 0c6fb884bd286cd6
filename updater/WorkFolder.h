#pragma once
// The per-product, per-installation work folder that holds the manifests and
// the downloaded packages, and the rules for the file names placed in it.

#include "updater/DownloadTask.h"  // IsPlainFileName: the rule for names placed in it

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace patchwell {

// Upper-cases a CP936 folder text: ASCII a-z, and the full-width letters
// ａ-ｚ (A3 E1..A3 FA) to Ａ-Ｚ (A3 C1..A3 DA). Double-byte characters are
// stepped over whole, so their second bytes are never changed.
std::string UpperCaseFolderText(std::string_view text);

// The MD5 text of an upper-cased folder text; empty for texts of 512 bytes
// or more.
std::string FolderDigest(std::string_view upperCaseText);

class WorkFolder {
public:
    // documentsRoot + "Velora/" + module + "_" + digest of the upper-cased
    // program folder + "/". The documents root is created when missing.
    static WorkFolder Compute(const std::filesystem::path& programFolder, std::string_view module,
                              const std::filesystem::path& documentsRoot);
    // The same for the running program and the user's data folder.
    static WorkFolder ComputeForThisProgram(std::string_view module);

    explicit WorkFolder(std::filesystem::path folder);

    // The folder, its text ending in a separator.
    const std::filesystem::path& Path() const { return m_folder; }
    std::filesystem::path PendingManifest() const { return m_folder / "Update.bk"; }
    std::filesystem::path LocalManifest() const { return m_folder / "Update.xml"; }
    std::filesystem::path TempFolder() const { return m_folder / "Temp/"; }

    // The path of a file of that name in the folder; nullopt for a name that
    // would leave it.
    std::optional<std::filesystem::path> FileFor(std::string_view name) const;

    // Removes everything inside the folder (links are removed, never
    // followed). True when the folder is empty or missing afterwards.
    bool Clear() const;

    // Copies programFolder/Update/Update.xml to the local manifest unless
    // the local manifest exists, creating the missing folders first. A
    // missing seed is not an error: false only when copying failed.
    bool CopySeed(const std::filesystem::path& programFolder) const;

    // Removes what saves killed on the way left beside the manifests and
    // the package named `packageName` (see
    // tonvik::platform::RemoveLeftTemporaries). The number removed.
    int RemoveLeftTemporaries(std::string_view packageName = {}) const;

private:
    std::filesystem::path m_folder;
};

}  // namespace patchwell
