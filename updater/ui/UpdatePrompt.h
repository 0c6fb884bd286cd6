#pragma once
// The update library's own windows: the update prompt and its message boxes.
// Both run without an owner window on the calling thread; every text crossing
// this interface is GBK/CP936.

#include <string>

namespace patchwell {

struct PromptTexts { std::string caption; std::string header; };   // from the project table

// Shows the update prompt modally (its own nested event loop, no owner window) and returns
// the prompt result after it closes: 1 forced, 3 install now, 0 at next start. `previousResult`
// is the result kept by the library so far; Cancel/close returns it unchanged; OK keeps 1 when
// it was 1, else yields 3 or 0 by the radio buttons. `installType` 1 = forced (forced label
// shown, both radio buttons hidden, result set to 1). `projectCode` 1 picks the forced label
// "Ludora Game升级包！", any other "强制升级包！". Without a QApplication it shows nothing,
// traces why and returns previousResult.
int ShowUpdatePrompt(const std::string& text, int installType, int projectCode,
                     const PromptTexts& texts, int previousResult);

enum class MessageIcon { None, Error };

// A message box without owner window, OK button only. Without a QApplication: traced only.
void ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon);

}  // namespace patchwell
