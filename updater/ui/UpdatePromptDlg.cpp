#include "updater/ui/UpdatePromptDlg.h"

#include "updater/ui/DialogUnits.h"
#include "updater/ui/UpdatePromptIds.h"

#include <QBitmap>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

// The resources of a static library must be registered by name, outside any
// namespace, or the linker drops them. Once is enough.
static void InitPromptResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(patchwell_ui);
        return true;
    }();
    (void)registered;
}

namespace patchwell {

namespace {

// The dialog template, in dialog units.
constexpr int kDialogWidth = 216;
constexpr int kDialogHeight = 165;
const QRect kHeaderRect(10, 12, 105, 11);
const QRect kPictureRect(171, 5, 32, 32);
const QRect kNotesRect(5, 40, 206, 88);
const QRect kChoiceLabelRect(13, 132, 57, 8);
const QRect kInstallNowRect(16, 131, 48, 10);
const QRect kNextStartRect(67, 131, 72, 10);
const QRect kOkRect(147, 146, 50, 14);

template <typename Widget>
Widget* Place(Widget* widget, int id, const QRect& dialogUnits, const DialogBaseUnits& units) {
    widget->setObjectName(QString::number(id));
    widget->setGeometry(DialogRectToPixels(dialogUnits, units));
    return widget;
}

}  // namespace

QPixmap PromptPicture() {
    InitPromptResources();
    QImage image(QStringLiteral(":/patchwell/%1.bmp").arg(kBitmapPrompt));
    if (image.isNull()) return {};
    // The bitmap has no alpha channel: its top-left colour is the background
    // that is keyed out.
    const QRgb key = image.pixel(0, 0);
    QPixmap picture = QPixmap::fromImage(image);
    picture.setMask(QBitmap::fromImage(image.createMaskFromColor(key, Qt::MaskInColor)));
    return picture;
}

QFont CUpdatePromptDlg::DialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(9);
    return font;
}

CUpdatePromptDlg::CUpdatePromptDlg(const PromptContent& content, int installType, int previousResult,
                                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_choice(previousResult, installType) {
    setObjectName(QString::fromLatin1(kPromptObjectName));
    setModal(true);
    setFont(DialogFont());
    setWindowTitle(content.caption);
    CreateControls(content);
}

void CUpdatePromptDlg::CreateControls(const PromptContent& content) {
    const DialogBaseUnits units = BaseUnitsOfFont(font());
    setFixedSize(DialogUnitsToPixelsX(kDialogWidth, units), DialogUnitsToPixelsY(kDialogHeight, units));

    m_pHeader = Place(new QLabel(content.header, this), kIdHeader, kHeaderRect, units);

    m_pPicture = Place(new QLabel(this), kIdPicture, kPictureRect, units);
    m_pPicture->setAlignment(Qt::AlignCenter);
    m_pPicture->setPixmap(PromptPicture());

    m_pNotes = Place(new QPlainTextEdit(this), kIdNotes, kNotesRect, units);
    m_pNotes->setReadOnly(true);
    m_pNotes->setFrameShape(QFrame::StyledPanel);
    // Like a multi-line edit without horizontal scrolling: lines wrap, and
    // only the vertical bar is there.
    m_pNotes->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_pNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pNotes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pNotes->setPlainText(content.notes);

    m_pChoiceLabel = Place(new QLabel(QStringLiteral("选择升级方式："), this), kIdChoiceLabel, kChoiceLabelRect, units);
    m_pChoiceLabel->hide();

    m_pInstallNow = Place(new QRadioButton(QStringLiteral("立即升级"), this), kIdInstallNow, kInstallNowRect, units);
    m_pNextStart = Place(new QRadioButton(QStringLiteral("下次启动时升级"), this), kIdNextStart, kNextStartRect, units);
    m_pInstallNow->setChecked(true);

    m_pOk = Place(new QPushButton(QStringLiteral("确定"), this), kIdOk, kOkRect, units);
    m_pOk->setDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &CUpdatePromptDlg::OnOk);

    if (m_choice.IsForced()) {
        m_pChoiceLabel->setText(content.forcedLabel);
        // The forced label is longer than the template's label; let it run
        // up to the OK button rather than clip it.
        const int room = m_pOk->x() - m_pChoiceLabel->x();
        m_pChoiceLabel->resize(std::clamp(m_pChoiceLabel->sizeHint().width(), m_pChoiceLabel->width(),
                                          std::max(room, m_pChoiceLabel->width())),
                               m_pChoiceLabel->height());
        m_pChoiceLabel->show();
        m_pInstallNow->hide();
        m_pNextStart->hide();
    }
    m_pOk->setFocus();
}

void CUpdatePromptDlg::OnOk() {
    m_choice.Confirm(m_pInstallNow->isChecked());
    accept();
}

}  // namespace patchwell
