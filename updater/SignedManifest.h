#pragma once
// What a fetched manifest must pass before anything in it is used: a good
// signature over its exact bytes, and a release that does not go backwards.

#include "updater/DownloadUpdateInfo.h"
#include "updater/UpdateSignature.h"
#include "updater/VersionCompare.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace patchwell {

// Checks the signature file beside a fetched manifest over the manifest
// file's bytes. A missing signature file is Missing; one too large to be a
// signature is Malformed; an unreadable manifest is a Mismatch.
SignatureCheck CheckManifestFiles(const std::filesystem::path& manifest, const std::filesystem::path& signature,
                                  std::span<const UpdateKey> keys);

// Why `fetched` is refused as a step backwards, or nullopt when it is none:
// its main version is older than the running program's `hostVersion`, or
// its update code is older than the one of the release this installation
// already knows (`local`).
std::optional<std::string> DowngradeReason(const DownloadUpdateInfo& fetched, const DownloadUpdateInfo& local,
                                           std::string_view hostVersion);

// "no signature", "a malformed signature", "a signature of no trusted key".
const char* RefusalText(SignatureVerdict verdict);

}  // namespace patchwell
