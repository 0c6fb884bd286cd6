#include "updater/ui/PromptChoice.h"

namespace patchwell {

CPromptChoice::CPromptChoice(int previousResult, int installType)
    : m_bForced(installType == kInstallTypeForced),
      m_nResult(installType == kInstallTypeForced ? kPromptForced : previousResult) {}

void CPromptChoice::Confirm(bool installNowSelected) {
    if (m_nResult == kPromptForced) return;
    m_nResult = installNowSelected ? kPromptInstallNow : kPromptNextStart;
}

std::string ForcedLabelUtf8(int projectCode) {
    return projectCode == 1 ? "Ludora Game升级包！" : "强制升级包！";
}

}  // namespace patchwell
