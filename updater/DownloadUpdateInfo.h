#pragma once
// The in-memory form of one update manifest. Texts are CP936.

#include <string>
#include <vector>

namespace patchwell {

struct DownloadUpdateInfo {
    std::string mstrUpdateCode = "0";    // update/update_code
    std::string mstrModule;              // update/module: the project code
    std::string mstrType;                // update/type: install type
    std::string mstrMainVer;             // update/main_ver
    std::string mstrPatchVer;            // update/patch_ver
    std::string mstrUpdateStatus = "0";  // update/update_status: 0 none, 2 downloading, 1 downloaded
    std::string mstrMainFile;            // update/mainfile: full package address
    std::string mstrPatchFile;           // update/patchfile: patch package address
    std::string mstrMainFileMd5;         // update/mainfile_md5
    std::string mstrPatchFileMd5;        // update/patchfile_md5
    std::string mstrTargetFile;          // update/targetfile: the package being downloaded
    std::string mstrLocalFile;           // update/localfile: package name in the work folder
    std::string mstrFileTime;            // update/filetime
    std::vector<std::string> mlstReserved;   // stays empty
    std::vector<std::string> mlstPatchFrom;  // the patchfrom texts, in document order
    std::vector<std::string> mlstPatchTo;    // the patchto texts
    std::vector<std::string> mlstContent;    // the content texts
    std::string mstrDownRetry = "0";     // update/down_retry
    // The packages' SHA-256 digests: the "sha256" attributes of
    // update/mainfile and update/patchfile, which older readers pass over.
    std::string mstrMainFileSha256;
    std::string mstrPatchFileSha256;

    bool operator==(const DownloadUpdateInfo&) const = default;
};

}  // namespace patchwell
