// Feeds arbitrary signature and manifest bytes to what reads a fetched
// manifest: the signature check against the compiled-in keys, the files as
// the manifest poll finds them, and the manifest loader with the downgrade
// rule. Input: one flag byte, two bytes of signature length (little endian),
// the signature file's bytes, the manifest's bytes. With the flag's low bit
// set the manifest is signed with the stand-in's test key instead, and must
// then be found good.

#include "updater/ManifestDocument.h"
#include "updater/SignedManifest.h"
#include "updater/UpdateKeys.h"
#include "updater/UpdateSignature.h"
#include "updater/UpdateSigner.h"

#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

namespace {

const std::filesystem::path& FuzzFolder() {
    static QTemporaryDir dir;
    static const std::filesystem::path path = dir.path().toStdString();
    return path;
}

const patchwell::UpdateSigner& TestSigner() {
    static const patchwell::UpdateSigner signer = [] {
        std::string error;
        auto loaded = patchwell::UpdateSigner::FromKeyFile(FUZZ_TEST_KEY, error);
        if (!loaded) std::abort();
        return *loaded;
    }();
    return signer;
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const bool sign = (data[0] & 1) != 0;
    const size_t signatureSize = std::min<size_t>(data[1] | (size_t{data[2]} << 8), size - 3);
    const std::string_view input(reinterpret_cast<const char*>(data) + 3, size - 3);
    std::string signature(input.substr(0, signatureSize));
    const std::string_view manifest = input.substr(signatureSize);
    if (sign) signature = patchwell::SignatureText(TestSigner().Sign(manifest));

    const auto keys = patchwell::CompiledInUpdateKeys();
    const patchwell::SignatureCheck inMemory = patchwell::CheckSignature(manifest, signature, keys);
    if (sign && inMemory.verdict != patchwell::SignatureVerdict::Good) std::abort();

    const auto manifestPath = FuzzFolder() / "Update.bk";
    const auto signaturePath = FuzzFolder() / "Update.bk.sig";
    WriteFile(manifestPath, manifest);
    WriteFile(signaturePath, signature);
    const patchwell::SignatureCheck fromFiles = patchwell::CheckManifestFiles(manifestPath, signaturePath, keys);
    if (fromFiles.verdict != inMemory.verdict && signature.size() <= patchwell::kLargestSignatureFile) std::abort();
    if (fromFiles.verdict != patchwell::SignatureVerdict::Good) return 0;

    patchwell::ManifestDocument document;
    if (document.Load(manifestPath) == patchwell::kManifestLoaded) {
        const auto& record = document.Record();
        patchwell::DowngradeReason(record, record, record.mstrMainVer);
        patchwell::DowngradeReason(record, patchwell::DownloadUpdateInfo(), "1.01.0120");
    }
    return 0;
}
