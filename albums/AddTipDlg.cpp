#include "albums/AddTipDlg.h"

#include "albums/AlbumDialogIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "skin/ProgramResources.h"
#include "skin/SkinChoice.h"
#include "skin/SkinPaths.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QMetaObject>
#include <QPainter>

#include <algorithm>

namespace {

QColor ToQColor(ColorRef colour) { return QColor(int(RedOf(colour)), int(GreenOf(colour)), int(BlueOf(colour))); }

QFont TipFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace

std::vector<TipLine> TipLayout(bool plain, bool counts, int added, int dropped, const QString& text) {
    if (plain) return {{QPoint(20, 22), text}};
    if (counts) {
        return {{QPoint(54, 10), QString::fromUtf8("%1首歌曲已经添加到专辑中！").arg(added)},
                {QPoint(56, 30), QString::fromUtf8("删除了%1首重复或无效歌曲").arg(dropped)}};
    }
    return {{QPoint(54, 22), text}};
}

int TipBackgroundResource(const std::string& skinFolder) {
    return IsClassicFamily(skinFolder) ? kResTipClassic : kResTipOrange;
}

CAddTipDlg::CAddTipDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_font(TipFont()) {
    setModal(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CAddTipDlg::OnTimer);
}

CAddTipDlg::~CAddTipDlg() = default;

void CAddTipDlg::SetText(const std::string& text) {
    m_strText = text;
    update();
}

void CAddTipDlg::Initialise() {
    if (m_bInitialised) return;
    m_bInitialised = true;

    const std::string folder = m_strSkinFolder.empty() ? ReadSkinChoice(g_strIniFile) : m_strSkinFolder;
    const std::string root = m_strResourceRoot.empty() ? SkinRoot() : m_strResourceRoot;
    m_nBackResource = TipBackgroundResource(folder);
    const std::string file = ResourceBitmapFile(root, m_nBackResource);
    if (const std::optional<CDib> bitmap = LoadBitmapFile(file)) {
        m_bmpBack = bitmap->ToImage();
        // The key colour is cut out of the window, as a colour-keyed layered
        // window shows it.
        const QRegion shape = BitmapToRegion(*bitmap, kTipKeyColour);
        if (!shape.isEmpty()) setMask(shape);
    } else {
        Trace("CAddTipDlg::OnInitDialog : %s not loaded", file.c_str());
    }

    resize(kTipWidth, kTipHeight);
    setFixedSize(kTipWidth, kTipHeight);
}

void CAddTipDlg::OnTimer() {
    // Closed from the event loop, as a posted close would.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void CAddTipDlg::Render(QPainter& painter) const {
    // Pictures without a double-size twin are enlarged smoothly on high-density screens.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_bmpBack.isNull()) painter.drawImage(0, 0, m_bmpBack);
    painter.setFont(m_font);
    painter.setPen(ToQColor(kTipTextColour));
    painter.setBackgroundMode(Qt::TransparentMode);
    const QString text = FromAnsi(m_strText);
    for (const TipLine& line : TipLayout(m_bPlain != 0, m_bCounts != 0, m_nAdded, m_nDropped, text)) {
        // The point is the top-left corner of the text, not its base line.
        painter.drawText(QRect(line.at, QSize(kTipWidth * 4, kTipHeight * 2)),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line.text);
    }
}

void CAddTipDlg::showEvent(QShowEvent* event) {
    Initialise();
    // Every showing closes by itself, not only the first.
    m_timer.start(std::max(0, m_nDelay));
    QDialog::showEvent(event);
}

void CAddTipDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Render(painter);
}

void CAddTipDlg::closeEvent(QCloseEvent* event) {
    m_timer.stop();
    QDialog::closeEvent(event);
}
