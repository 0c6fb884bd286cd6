#include "updater/ui/UpdatePrompt.h"

#include "updater/ui/PromptChoice.h"
#include "updater/ui/UiText.h"
#include "updater/ui/UiTrace.h"
#include "updater/ui/UpdatePromptDlg.h"
#include "updater/ui/UpdatePromptIds.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace patchwell {

namespace {

// Widgets need a QApplication and its thread; anywhere else the windows are
// skipped with a trace line naming the operation and the reason.
bool CanShowWindows(const char* operation, const std::string& detail = {}) {
    const QCoreApplication* application = QCoreApplication::instance();
    const char* reason = nullptr;
    if (qobject_cast<const QApplication*>(application) == nullptr)
        reason = "no QApplication";
    else if (QThread::currentThread() != application->thread())
        reason = "not on the QApplication's thread";
    if (reason == nullptr) return true;
    UiTrace(std::string(operation) + " : " + reason + ", nothing shown" + (detail.empty() ? "" : ": " + detail) +
            "\n");
    return false;
}

}  // namespace

int ShowUpdatePrompt(const std::string& text, int installType, int projectCode, const PromptTexts& texts,
                     int previousResult) {
    if (!CanShowWindows("ShowUpdatePrompt")) return previousResult;
    PromptContent content;
    content.caption = QStringFromGbk(texts.caption);
    content.header = QStringFromGbk(texts.header);
    content.notes = MultiLineFromGbk(text);
    content.forcedLabel = QString::fromStdString(ForcedLabelUtf8(projectCode));
    CUpdatePromptDlg dialog(content, installType, previousResult);
    dialog.exec();
    return dialog.PromptResult();
}

void ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
    if (!CanShowWindows("ShowMessageBox", text)) return;
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QStringFromGbk(caption), QStringFromGbk(text), QMessageBox::Ok);
    box.setObjectName(QString::fromLatin1(kMessageObjectName));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

}  // namespace patchwell
