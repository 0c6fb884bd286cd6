#include "updater/SignedManifest.h"

#include "platform/AtomicFile.h"

#include <system_error>

namespace patchwell {

namespace fs = std::filesystem;

namespace {

// As large as the manifest loader reads.
constexpr std::uintmax_t kLargestManifest = 16 * 1024 * 1024;

// The file's bytes when it is a regular file of at most `limit` bytes.
std::optional<std::string> ReadLimited(const fs::path& path, std::uintmax_t limit, bool& tooLarge) {
    tooLarge = false;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    const auto size = fs::file_size(path, ec);
    if (ec) return std::nullopt;
    if (size > limit) {
        tooLarge = true;
        return std::nullopt;
    }
    std::string content;
    if (!tonvik::platform::ReadWholeFile(path, content)) return std::nullopt;
    return content;
}

}  // namespace

SignatureCheck CheckManifestFiles(const fs::path& manifest, const fs::path& signature,
                                  std::span<const UpdateKey> keys) {
    bool tooLarge = false;
    const auto signatureText = ReadLimited(signature, kLargestSignatureFile, tooLarge);
    if (tooLarge) return {SignatureVerdict::Malformed, 0};
    if (!signatureText) return {SignatureVerdict::Missing, 0};
    const auto manifestBytes = ReadLimited(manifest, kLargestManifest, tooLarge);
    if (!manifestBytes) return {SignatureVerdict::Mismatch, 0};
    return CheckSignature(*manifestBytes, *signatureText, keys);
}

std::optional<std::string> DowngradeReason(const DownloadUpdateInfo& fetched, const DownloadUpdateInfo& local,
                                           std::string_view hostVersion) {
    if (VersionValue(fetched.mstrMainVer) < VersionValue(hostVersion)) {
        return "version " + fetched.mstrMainVer + " is older than the running " + std::string(hostVersion);
    }
    if (ReadInteger(fetched.mstrUpdateCode) < ReadInteger(local.mstrUpdateCode)) {
        return "update code " + fetched.mstrUpdateCode + " is older than the known " + local.mstrUpdateCode;
    }
    return std::nullopt;
}

const char* RefusalText(SignatureVerdict verdict) {
    switch (verdict) {
    case SignatureVerdict::Good: return "a good signature";
    case SignatureVerdict::Missing: return "no signature";
    case SignatureVerdict::Malformed: return "a malformed signature";
    case SignatureVerdict::Mismatch: return "a signature of no trusted key";
    }
    return "no signature";
}

}  // namespace patchwell
