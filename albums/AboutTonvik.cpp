#include "albums/AboutTonvik.h"

#include "albums/AboutDlg.h"
#include "albums/AboutTexts.h"
#include "albums/AlbumDialogIds.h"
#include "common/ProgramVersion.h"
#include "service/ServiceHosts.h"
#include "skin/controls/Label.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// The link's text colour as a Windows colour value: blue.
constexpr ColorRef kLinkColour = 0xFF0000;

}  // namespace

CAboutTonvik::CAboutTonvik(QWidget* owner) : QDialog(owner) {
    setModal(true);
    setObjectName(QString("dialog_%1").arg(IDD_ABOUT_TONVIK));
    setWindowTitle(QString::fromUtf8(kAboutTonvikCaption));

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIconPixmap());

    // The service host is a setting: the page is where the player's service
    // is, as read when the box opens.
    const QString homePage = QString::fromStdString(ServiceAddress(kHomePagePath));
    m_pLink = new CLabel(this, IDC_HOMEPAGE_LINK);
    m_pLink->SetText(homePage);
    m_pLink->SetLinkUrl(homePage);
    // A click opens the page itself; the dialog is not told.
    m_pLink->SetLink(true, false);
    m_pLink->SetTextColor(kLinkColour);
    m_pLink->SetFontUnderline(true);
    m_pLink->SetLinkCursor(QCursor(Qt::PointingHandCursor));

    m_pVersion = new QLabel(QString::fromUtf8(kTonvikVersionCaption) + QString::fromUtf8(kProgramVersion), this);
    m_pOwnership = new QLabel(QString::fromUtf8(kTonvikOwnershipNotice), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout;
    grid->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(new QLabel(QString::fromUtf8(kHomePageCaption), this), 0, 1);
    grid->addWidget(m_pLink, 0, 2);
    grid->addWidget(m_pVersion, 1, 1, 1, 2);
    grid->addWidget(m_pOwnership, 2, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

CAboutTonvik::~CAboutTonvik() = default;
