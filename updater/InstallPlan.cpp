#include "updater/InstallPlan.h"


#include <algorithm>

namespace patchwell {

namespace {

constexpr int kNextStartType = 10;
constexpr int kSilentNextStartType = 11;

}  // namespace

InstallPlan PlanInstall(const DownloadUpdateInfo& local, const DownloadUpdateInfo& pending, int updateKind) {
    InstallPlan plan;
    plan.type = ReadInteger(local.mstrType);
    if (plan.type > kLastPromptedType) return plan;
    if (updateKind == kUpdatePatch) {
        const int installed = ReadInteger(local.mstrPatchVer);
        const size_t notes = std::min(pending.mlstPatchFrom.size(), pending.mlstContent.size());
        for (size_t i = 0; i < notes; ++i) {
            if (ReadInteger(pending.mlstPatchFrom[i]) == installed) plan.prompts.push_back({PromptText::Note, i});
        }
        if (plan.prompts.empty()) plan.prompts.push_back({PromptText::NoMatchingNote, 0});
    } else if (updateKind == kUpdateMainVersion) {
        plan.prompts.push_back({PromptText::MainVersion, 0});
    }
    return plan;
}

InstallDecision DecideInstall(const InstallPlan& plan, std::optional<int> promptResult) {
    InstallDecision decision;
    const bool prompted = plan.type <= kLastPromptedType && promptResult.has_value();
    if (prompted && *promptResult == kPromptNextStart) decision.storedTypes.push_back(kNextStartType);

    if (plan.type == kInstallNoExitType) {
        // Installs at once whatever the user chose.
        decision.storedTypes.push_back(kInstallNoExitType);
        decision.installer = InstallerStart::InstallNoExit;
    } else if (prompted && (*promptResult == kPromptForced || *promptResult == kPromptInstallNow)) {
        decision.storedTypes.push_back(kNextStartType);
        decision.installer = InstallerStart::Install;
    } else if (plan.type == kNextStartType || plan.type == kSilentNextStartType) {
        decision.storedTypes.push_back(plan.type);
    }
    return decision;
}

}  // namespace patchwell
