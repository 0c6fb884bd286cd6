#pragma once
// How the update prompt's result comes about, apart from the window:
// 1 forced, 3 install now, 0 at next start.

#include <string>

namespace patchwell {

inline constexpr int kPromptNextStart = 0;
inline constexpr int kPromptForced = 1;
inline constexpr int kPromptInstallNow = 3;
inline constexpr int kInstallTypeForced = 1;

class CPromptChoice {
public:
    // The dialog opens with the result the library kept so far; a forced
    // install type makes it 1 at once, so even closing the dialog keeps it.
    CPromptChoice(int previousResult, int installType);

    bool IsForced() const { return m_bForced; }
    int Result() const { return m_nResult; }

    // OK: a result of 1 stays; otherwise the selected radio button decides.
    void Confirm(bool installNowSelected);
    // Cancel, Escape or the close button leave the result as it is.
    void Dismiss() {}

private:
    bool m_bForced;
    int m_nResult;
};

// The label shown in place of "选择升级方式：" for a forced update (UTF-8).
std::string ForcedLabelUtf8(int projectCode);

}  // namespace patchwell
