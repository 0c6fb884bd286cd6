#include "updater/ProjectTable.h"

#include "updater/Gbk.h"

#include <array>

namespace patchwell {

namespace {

// The rows differ in more than the product word: code 3 pairs the game's
// module with the messenger's prompt texts, and only code 1 lives on the
// game patch host.
constexpr std::array<ProjectEntry, kProjectCount> kProjects = {{
    {ManifestHost::Update, "/download/quillo/Update.xml", "Quillo", "VeloraQuillo在线升级", "VeloraQuillo有最新升级",
     "VeloraQuillo提示"},
    {ManifestHost::GamePatch, "/patch/update.xml", "Ludora", "VeloraLudora Game在线升级",
     "VeloraLudora Game有最新升级", "VeloraLudora Game提示"},
    {ManifestHost::Update, "/download/QUILLOLIVE/Update.xml", "QuilloLive", "VeloraQuillo Live在线升级",
     "VeloraQuillo Live有最新升级", "VeloraQuilloLive提示"},
    {ManifestHost::Update, "/download/LUDORA/Update.xml", "Ludora", "VeloraQuillo Messenger在线升级",
     "VeloraQuillo Messenger有最新升级", "Ludora"},
    {ManifestHost::Update, "/download/Tonvik/Update.xml", "Tonvik", "VeloraTonvik在线升级", "VeloraTonvik有最新升级",
     "VeloraTonvik提示"},
    {ManifestHost::Update, "/download/music/Update.xml", "TonvikMusic", "Tonvik Player", "Tonvik Player有最新升级",
     "Tonvik Player"},
}};

constexpr ProjectEntry kDefaultProject = {ManifestHost::None, "", "__", "VeloraQuillo在线升级", "VeloraQuillo在线升级",
                                          "提示"};

}  // namespace

const ProjectEntry& ProjectFor(int code) {
    if (code < 0 || code >= kProjectCount) return kDefaultProject;
    return kProjects[static_cast<size_t>(code)];
}

ProjectTexts ProjectTextsFor(int code) {
    const ProjectEntry& entry = ProjectFor(code);
    return {Gbk(entry.module), Gbk(entry.promptCaption), Gbk(entry.promptHeader), Gbk(entry.messageCaption)};
}

}  // namespace patchwell
