#pragma once
// The one document holder through which the library reads and writes both
// manifest files (the pending "Update.bk" and the local "Update.xml"). The
// caller points it at a file before every load or save.

#include "updater/DownloadUpdateInfo.h"

#include <filesystem>
#include <memory>
#include <string>

namespace patchwell {

class WorkFolder;

// Load results.
inline constexpr int kManifestLoaded = 0;
inline constexpr int kManifestNotLoaded = -1;  // not a manifest, or not well-formed: the file is deleted
inline constexpr int kManifestUnsafe = -2;     // names a file outside the work folder: the file is deleted

// Save options.
inline constexpr int kSaveWithFileTime = 1;
inline constexpr int kSavePlain = 2;
inline constexpr int kSaveWithTargetFile = 3;
// Save result when the document could not be written.
inline constexpr int kSaveFailed = -1;

class ManifestDocument {
public:
    ManifestDocument();
    ~ManifestDocument();
    ManifestDocument(const ManifestDocument&) = delete;
    ManifestDocument& operator=(const ManifestDocument&) = delete;

    void SetPath(const std::filesystem::path& path) { m_path = path; }
    const std::filesystem::path& Path() const { return m_path; }

    // Sets the path and reads the file. A file whose first word is not
    // "<?xml", that is not well-formed, or that would place a package
    // outside the work folder is deleted; the record then keeps its previous
    // content and the document is emptied.
    int Load(const std::filesystem::path& path);

    // Writes the record's type, update status, patch level and download
    // retries into the document, and with option 1 the file time, with
    // option 3 the target file address (created as the last child of
    // "update" when missing). Then replaces the file through a temporary
    // file. Returns 0 also when one of the four elements is missing, in
    // which case nothing is written; kSaveFailed when writing failed.
    int Save(int option);

    DownloadUpdateInfo& Record() { return m_record; }
    const DownloadUpdateInfo& Record() const { return m_record; }

    // The document as it would be saved (UTF-8 when it declares no
    // encoding); empty when none is loaded.
    std::string DocumentText() const;

private:
    struct Document;
    std::filesystem::path m_path;
    DownloadUpdateInfo m_record;
    std::unique_ptr<Document> m_document;
};

// Loads a manifest file of the work folder; an unsafe manifest also empties
// the work folder.
int LoadManifestIn(ManifestDocument& document, const WorkFolder& folder, const std::filesystem::path& file);

// True unless the record names a package file that would leave the work
// folder: a local file name, or the file name of a package address, that is
// given but is not a plain name.
bool IsManifestSafe(const DownloadUpdateInfo& record);

}  // namespace patchwell
