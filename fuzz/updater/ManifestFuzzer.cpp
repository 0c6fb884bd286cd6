// Feeds arbitrary bytes to the manifest loader as a manifest file, and saves
// whatever loaded, with each of the three options.

#include "updater/ManifestDocument.h"

#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace {

const std::filesystem::path& FuzzFolder() {
    static QTemporaryDir dir;
    static const std::filesystem::path path = dir.path().toStdString();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = FuzzFolder() / "Update.bk";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    patchwell::ManifestDocument document;
    if (document.Load(path) == patchwell::kManifestLoaded) {
        auto& record = document.Record();
        record.mstrUpdateStatus = "2";
        record.mstrFileTime = record.mlstContent.empty() ? "t" : record.mlstContent.front();
        record.mstrTargetFile = record.mstrMainFile;
        for (int option : {patchwell::kSaveWithFileTime, patchwell::kSavePlain, patchwell::kSaveWithTargetFile}) {
            document.Save(option);
            if (document.Load(path) != patchwell::kManifestLoaded) break;
        }
    }
    return 0;
}
