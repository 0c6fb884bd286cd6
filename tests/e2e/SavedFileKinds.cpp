#include "tests/e2e/SavedFileKinds.h"

#include "albums/PlayList.h"
#include "common/WellKnownPaths.h"
#include "platform/AtomicFile.h"
#include "platform/Profile.h"
#include "service/AnswerFiles.h"
#include "updater/ManifestDocument.h"
#include "updater/PartJoiner.h"
#include "updater/WorkFolder.h"

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr const char* kMark = "gen=";
constexpr const char* kPackage = "package.bin";

// Text of about `size` bytes that differs from generation to generation all
// the way through, so that a mixture of two could not pass for either.
std::string Filler(long generation, size_t size) {
    std::string text;
    text.reserve(size + 16);
    unsigned value = static_cast<unsigned>(generation) * 2654435761u + 1;
    while (text.size() < size) {
        value = value * 1103515245u + 12345u;
        text += static_cast<char>('a' + (value >> 16) % 26);
    }
    return text;
}

std::string Marked(long generation, size_t size) {
    return kMark + std::to_string(generation) + ";" + Filler(generation, size) + ";end" + std::to_string(generation);
}

// ---- the options file ----

void SaveOptions(const fs::path& folder, long generation) {
    WritePrivateProfileString("Test", "Value", Marked(generation, 48 * 1024), folder / kIniFileName);
}
fs::path OptionsFile(const fs::path& folder) { return folder / kIniFileName; }
void OptionsStart(const fs::path& folder) { SetupWellKnownPaths(folder); }

// ---- the play list ----

void SavePlayList(const fs::path& folder, long generation) {
    SetupWellKnownPaths(folder);
    CPlayList list;
    list.List().SetFilePath(folder / (std::string(CPlayList::kFileName) + ".xls"));
    for (int i = 0; i < 50; ++i) {
        St_SongInfo song;
        song.id = std::to_string(generation) + "_" + std::to_string(i);
        song.name = (i == 0 ? Marked(generation, 200) : Filler(generation * 50 + i, 200));
        song.singer = Filler(generation * 50 + i + 7, 40);
        song.album = Filler(generation * 50 + i + 13, 40);
        list.List().Add(song);
    }
    list.Save();
}
fs::path PlayListFile(const fs::path& folder) { return folder / (std::string(CPlayList::kFileName) + ".xls"); }
void PlayListStart(const fs::path& folder) {
    SetupWellKnownPaths(folder);
    CPlayList list;
    list.Load();
}

// ---- a service answer file ----

void SaveAnswer(const fs::path& folder, long generation) {
    SetupWellKnownPaths(folder);
    tonvik::platform::WriteFileAtomically(AnswerFilePath(kRecommendFile),
                                          "<?xml version=\"1.0\"?><r>" + Marked(generation, 64 * 1024) + "</r>");
}
fs::path AnswerFile(const fs::path& folder) { return folder / kRecommendFile; }
void AnswerStart(const fs::path& folder) {
    SetupWellKnownPaths(folder);
    RemoveLeftAnswerTemporaries();
}

// ---- the update library's files ----

std::string SeedManifest() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<update><update_code>1</update_code><module>T</module>"
           "<type>1</type><main_ver>1.0.0</main_ver><patch_ver>0</patch_ver><update_status>0</update_status>"
           "<down_retry>0</down_retry><content>" +
           Filler(-1, 32 * 1024) + "</content></update>\n";
}

void SaveManifest(const fs::path& folder, long generation) {
    const patchwell::WorkFolder work(folder);
    if (!fs::exists(work.LocalManifest())) tonvik::platform::WriteFileAtomically(work.LocalManifest(), SeedManifest());
    patchwell::ManifestDocument document;
    if (document.Load(work.LocalManifest()) != patchwell::kManifestLoaded) return;
    document.Record().mstrPatchVer = std::string(kMark) + std::to_string(generation) + ";";
    document.Save(patchwell::kSavePlain);
}
fs::path LocalManifest(const fs::path& folder) { return patchwell::WorkFolder(folder).LocalManifest(); }
void WorkFolderStart(const fs::path& folder) { patchwell::WorkFolder(folder).RemoveLeftTemporaries(kPackage); }
std::vector<fs::path> Manifests(const fs::path& folder) {
    const patchwell::WorkFolder work(folder);
    return {work.LocalManifest(), work.PendingManifest()};
}

void CopyManifest(const fs::path& folder, long generation) {
    const patchwell::WorkFolder work(folder);
    tonvik::platform::WriteFileAtomically(work.PendingManifest(), Marked(generation, 64 * 1024));
    tonvik::platform::CopyFileAtomically(work.PendingManifest(), work.LocalManifest());
}

void JoinPackage(const fs::path& folder, long generation) {
    const std::string content = Marked(generation, 96 * 1024);
    const size_t half = content.size() / 2;
    std::vector<std::string> addresses = {"http://127.0.0.1/p1.bin", "http://127.0.0.1/p2.bin"};
    // The parts as their downloads leave them.
    std::ofstream(folder / "p1.bin", std::ios::binary | std::ios::trunc) << content.substr(0, half);
    std::ofstream(folder / "p2.bin", std::ios::binary | std::ios::trunc) << content.substr(half);
    patchwell::JoinParts(folder / kPackage, folder, addresses,
                         [](const fs::path&) { return std::optional<tonvik::platform::LocalFileTime>(tonvik::platform::LocalFileTime{2026, 12, 8, 10, 0}); });
}
fs::path Package(const fs::path& folder) { return folder / kPackage; }

std::vector<fs::path> TargetOnly(const fs::path&) { return {}; }

}  // namespace

const std::vector<St_SavedFileKind>& SavedFileKinds() {
    static const std::vector<St_SavedFileKind> kinds = {
        {"options", SaveOptions, OptionsFile, TargetOnly, OptionsStart},
        {"playlist", SavePlayList, PlayListFile, TargetOnly, PlayListStart},
        {"answer", SaveAnswer, AnswerFile, TargetOnly, AnswerStart},
        {"manifest", SaveManifest, LocalManifest, Manifests, WorkFolderStart},
        {"manifestcopy", CopyManifest, LocalManifest, Manifests, WorkFolderStart},
        {"package", JoinPackage, Package, TargetOnly, WorkFolderStart},
    };
    return kinds;
}

const St_SavedFileKind* FindSavedFileKind(const std::string& name) {
    for (const auto& kind : SavedFileKinds())
        if (kind.name == name) return &kind;
    return nullptr;
}

std::optional<long> ClaimedGeneration(const std::string& content) {
    const size_t at = content.find(kMark);
    if (at == std::string::npos) return std::nullopt;
    char* end = nullptr;
    const long generation = std::strtol(content.c_str() + at + 4, &end, 10);
    if (end == content.c_str() + at + 4 || *end != ';') return std::nullopt;
    return generation;
}
