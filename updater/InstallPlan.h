#pragma once
// What follows a verified package: the prompts the user is shown, from the
// manifest's install type, the kind of update and the patch notes, and then,
// from the prompts' result, the install types stored and the installer
// started. Pure: the session shows the prompts, saves and starts.

#include "updater/DownloadUpdateInfo.h"
#include "updater/VersionCompare.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace patchwell {

// The prompt's results.
inline constexpr int kPromptNextStart = 0;
inline constexpr int kPromptForced = 1;
inline constexpr int kPromptInstallNow = 3;

enum class PromptText {
    Note,            // the content of one patch note
    NoMatchingNote,  // "未找到合适的升级补丁信息": a patch without a note for the installed level
    MainVersion,     // "主版本升级"
};

struct PlannedPrompt {
    PromptText text = PromptText::MainVersion;
    size_t note = 0;  // with Note: its index in the pending record's note lists

    bool operator==(const PlannedPrompt&) const = default;
};

struct InstallPlan {
    int type = 0;  // the local install type read as an integer; also the prompts' install type
    std::vector<PlannedPrompt> prompts;  // shown in turn; the last one's result decides
};

// Types up to this one ask the user; 10 and above never do.
inline constexpr int kLastPromptedType = 9;
// Installs at once while the host keeps running.
inline constexpr int kInstallNoExitType = 4;

// The prompts for a package of `updateKind` (kUpdateMainVersion or
// kUpdatePatch) with the local record's type and patch level and the
// pending record's notes.
InstallPlan PlanInstall(const DownloadUpdateInfo& local, const DownloadUpdateInfo& pending, int updateKind);

enum class InstallerStart { None, Install, InstallNoExit };

struct InstallDecision {
    std::vector<int> storedTypes;  // saved as the local type, in this order, before any start
    InstallerStart installer = InstallerStart::None;

    bool operator==(const InstallDecision&) const = default;
};

// What the plan leads to once its prompts were shown and answered with
// `promptResult`; nullopt when the plan showed no prompt, so that no result
// left from an earlier prompt acts on it.
InstallDecision DecideInstall(const InstallPlan& plan, std::optional<int> promptResult);

}  // namespace patchwell
