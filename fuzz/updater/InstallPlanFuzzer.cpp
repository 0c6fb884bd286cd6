// What a verified package leads to, against arbitrary manifest values: any
// install type text, update kind, patch level, patch notes (the two lists
// of unequal length too) and any prompt results, a cancelled prompt leaving
// the result as it was.
//
// Input: lines. 1: the install type text; 2: the update kind; 3: the
// installed patch level; 4: the result left from an earlier prompt; 5: the
// prompts' answers, blank-separated ("-" cancels); then "F<text>" adds a
// note's patch source, "C<text>" a note's content.

#include "updater/InstallPlan.h"
#include "updater/VersionCompare.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace patchwell;

void Require(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::string_view> Lines(std::string_view input) {
    std::vector<std::string_view> lines;
    while (!input.empty()) {
        const size_t end = input.find('\n');
        lines.push_back(input.substr(0, end));
        if (end == std::string_view::npos) break;
        input.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view Line(const std::vector<std::string_view>& lines, size_t i) {
    return i < lines.size() ? lines[i] : std::string_view();
}

void CheckPlan(const InstallPlan& plan, const DownloadUpdateInfo& local, const DownloadUpdateInfo& pending,
               int kind) {
    Require(plan.type == ReadInteger(local.mstrType));
    if (plan.type > kLastPromptedType || (kind != kUpdatePatch && kind != kUpdateMainVersion)) {
        Require(plan.prompts.empty());
        return;
    }
    if (kind == kUpdateMainVersion) {
        Require(plan.prompts == std::vector<PlannedPrompt>{{PromptText::MainVersion, 0}});
        return;
    }
    const size_t notes = std::min(pending.mlstPatchFrom.size(), pending.mlstContent.size());
    const int installed = ReadInteger(local.mstrPatchVer);
    size_t matching = 0;
    for (size_t i = 0; i < notes; ++i) matching += ReadInteger(pending.mlstPatchFrom[i]) == installed;
    if (matching == 0) {
        Require(plan.prompts == std::vector<PlannedPrompt>{{PromptText::NoMatchingNote, 0}});
        return;
    }
    Require(plan.prompts.size() == matching);
    for (size_t i = 0; i < plan.prompts.size(); ++i) {
        const PlannedPrompt& prompt = plan.prompts[i];
        Require(prompt.text == PromptText::Note);
        // In range of both lists, in document order, each for the installed level.
        Require(prompt.note < notes);
        Require(i == 0 || plan.prompts[i - 1].note < prompt.note);
        Require(ReadInteger(pending.mlstPatchFrom[prompt.note]) == installed);
    }
}

void CheckDecision(const InstallDecision& decision, const InstallPlan& plan, std::optional<int> result) {
    Require(decision.storedTypes.size() <= 2);
    for (const int type : decision.storedTypes) Require(type == 4 || type == 10 || type == 11);
    const bool prompted = result.has_value() && plan.type <= kLastPromptedType;
    switch (decision.installer) {
    case InstallerStart::InstallNoExit:
        Require(plan.type == kInstallNoExitType);
        Require(decision.storedTypes.back() == kInstallNoExitType);
        break;
    case InstallerStart::Install:
        // Only an answer to this plan's own prompt installs now.
        Require(prompted && plan.type != kInstallNoExitType);
        Require(*result == kPromptForced || *result == kPromptInstallNow);
        Require(decision.storedTypes == std::vector<int>{10});
        break;
    case InstallerStart::None:
        Require(plan.type != kInstallNoExitType);
        Require(!prompted || (*result != kPromptForced && *result != kPromptInstallNow));
        break;
    }
    if (plan.type >= 10) {
        Require(decision.installer == InstallerStart::None);
        if (plan.type <= 11) Require(decision.storedTypes == std::vector<int>{plan.type});
        else Require(decision.storedTypes.empty());
    }
    // "At the next start" is stored first, and only for an answer to a prompt shown now.
    if (!decision.storedTypes.empty() && decision.storedTypes.front() == 10 && plan.type != 10) {
        Require(decision.installer == InstallerStart::Install || (prompted && *result == kPromptNextStart));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> lines = Lines({reinterpret_cast<const char*>(data), size});
    DownloadUpdateInfo local;
    DownloadUpdateInfo pending;
    local.mstrType = Line(lines, 0);
    const int kind = ReadInteger(Line(lines, 1));
    local.mstrPatchVer = Line(lines, 2);
    const int leftover = ReadInteger(Line(lines, 3));
    std::vector<std::string_view> answers;
    for (std::string_view rest = Line(lines, 4); !rest.empty();) {
        const size_t blank = rest.find(' ');
        answers.push_back(rest.substr(0, blank));
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    for (size_t i = 5; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        const std::string text(lines[i].substr(1));
        if (lines[i][0] == 'F') pending.mlstPatchFrom.push_back(text);
        else if (lines[i][0] == 'C') pending.mlstContent.push_back(text);
    }

    const InstallPlan plan = PlanInstall(local, pending, kind);
    CheckPlan(plan, local, pending, kind);

    // The prompts in turn, as the session shows them.
    int result = leftover;
    for (size_t i = 0; i < plan.prompts.size() && i < answers.size(); ++i) {
        if (answers[i] != "-") result = ReadInteger(answers[i]);
    }
    const std::optional<int> shown = plan.prompts.empty() ? std::nullopt : std::optional<int>(result);
    CheckDecision(DecideInstall(plan, shown), plan, shown);
    // Whatever was left from an earlier prompt, with no prompt now nothing installs now.
    const InstallDecision unprompted = DecideInstall(plan, std::nullopt);
    CheckDecision(unprompted, plan, std::nullopt);
    Require(unprompted.installer != InstallerStart::Install);
    return 0;
}
