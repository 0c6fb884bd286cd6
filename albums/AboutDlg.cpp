#include "albums/AboutDlg.h"

#include "albums/AboutTexts.h"
#include "albums/AlbumDialogIds.h"
#include "common/ProgramVersion.h"
#include "skin/ProgramResources.h"
#include "skin/SkinPaths.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

QPixmap ProgramIconPixmap() {
    const QIcon icon(QString::fromStdString(ResourceIconFile(SkinRoot(), kResProgramIcon)));
    return icon.isNull() ? QPixmap() : icon.pixmap(32, 32);
}

CAboutDlg::CAboutDlg(QWidget* owner) : QDialog(owner) {
    setModal(true);
    setObjectName(QString("dialog_%1").arg(IDD_ABOUTBOX));
    setWindowTitle(QString::fromUtf8(kAboutBoxCaption));

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIconPixmap());
    m_pVersion = new QLabel(QString::fromUtf8(kAboutBoxVersionText).arg(QString::fromUtf8(kProgramVersion)), this);
    m_pOwnership = new QLabel(QString::fromUtf8(kAboutBoxOwnershipNotice), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(m_pVersion);
    texts->addWidget(m_pOwnership);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

CAboutDlg::~CAboutDlg() = default;
