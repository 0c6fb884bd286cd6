#pragma once
// The update prompt: the notes of an update and the choice between
// installing now and at the next start.

#include "updater/ui/PromptChoice.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace patchwell {

struct PromptContent {
    QString caption;
    QString header;
    QString notes;
    QString forcedLabel;
};

class CUpdatePromptDlg : public QDialog {
    Q_OBJECT
public:
    CUpdatePromptDlg(const PromptContent& content, int installType, int previousResult,
                     QWidget* parent = nullptr);

    int PromptResult() const { return m_choice.Result(); }

    // The dialog's font: "宋体" 9 points, with installed CJK faces behind it.
    static QFont DialogFont();

private:
    void CreateControls(const PromptContent& content);
    void OnOk();

    CPromptChoice m_choice;
    QLabel* m_pHeader = nullptr;
    QLabel* m_pPicture = nullptr;
    QPlainTextEdit* m_pNotes = nullptr;
    QLabel* m_pChoiceLabel = nullptr;
    QRadioButton* m_pInstallNow = nullptr;
    QRadioButton* m_pNextStart = nullptr;
    QPushButton* m_pOk = nullptr;
};

// The prompt picture (bitmap 106) with its corner colour made transparent;
// a null pixmap if the resource is missing.
QPixmap PromptPicture();

}  // namespace patchwell
