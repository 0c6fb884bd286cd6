#include "notify/TaskbarNotifier.h"

#include "common/Text.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "common/WindowMessage.h"
#include "notify/NotifyIds.h"
#include "skin/ProgramResources.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>

namespace {

constexpr ColorRef kKeyColour = Rgb(255, 0, 255);
constexpr int kTextLeft = 60;
constexpr int kTextTop = 20;
constexpr int kTextRightMargin = 10;
constexpr int kTextBottomMargin = 10;

QColor ToQColor(ColorRef colour) { return QColor(int(RedOf(colour)), int(GreenOf(colour)), int(BlueOf(colour))); }

QFont StyledFont(int style) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setWeight((style & 1) ? QFont::Bold : QFont::Normal);
    font.setItalic((style & 2) != 0);
    font.setUnderline(false);
    return font;
}

}  // namespace

CTaskbarNotifier::CTaskbarNotifier()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_normalFont(StyledFont(0)),
      m_hoverFont(StyledFont(0)),
      m_crNormalText(Rgb(133, 146, 181)),
      m_crHoverText(Rgb(10, 36, 106)) {}

CTaskbarNotifier::~CTaskbarNotifier() = default;

bool CTaskbarNotifier::Create(QWidget* owner) {
    m_owner = owner;
    setParent(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover, true);
    setGeometry(QRect());
    hide();
    return true;
}

bool CTaskbarNotifier::SetSkin(int bitmapResource, unsigned char, unsigned char, unsigned char) {
    std::string root = g_strAppDir;
    while (!root.empty() && (root.back() == '/' || root.back() == '\\')) root.pop_back();
    return SetSkin(ResourceBitmapFile(root, bitmapResource));
}

bool CTaskbarNotifier::SetSkin(const std::string& bitmapFile) {
    const std::optional<CDib> dib = LoadBitmapFile(bitmapFile);
    if (!dib) {
        Trace("CTaskbarNotifier::SetSkin : %s not loaded", bitmapFile.c_str());
        return false;
    }
    m_skin = dib->ToImage();
    m_nSkinWidth = dib->width;
    m_nSkinHeight = dib->height;
    // Left, top, right, bottom; a bitmap too small for the margins leaves
    // an empty rectangle.
    const int right = m_nSkinWidth - kTextRightMargin;
    const int bottom = m_nSkinHeight - kTextBottomMargin;
    m_rcText = QRect(kTextLeft, kTextTop, std::max(0, right - kTextLeft), std::max(0, bottom - kTextTop));
    m_skinRegion = BitmapToRegion(*dib, kKeyColour);
    setMask(m_skinRegion);
    update();
    return true;
}

void CTaskbarNotifier::SetTextFont(const char*, int, int normalStyle, int hoverStyle) {
    m_normalFont = StyledFont(normalStyle);
    m_hoverFont = StyledFont(hoverStyle);
}

void CTaskbarNotifier::SetTextColor(ColorRef normal, ColorRef hover) {
    m_crNormalText = normal;
    m_crHoverText = hover;
    repaint();
}

void CTaskbarNotifier::SetText(const std::string& text) {
    m_text = FromAnsi(text);
    update();
}

QString CTaskbarNotifier::FitText(const QString& text, const QFont& font, const QRect& rect) {
    if (text.isEmpty() || rect.isEmpty()) return {};
    const QFontMetrics metrics(font);
    QTextLayout layout(text, font);
    layout.beginLayout();
    QString fitted;
    qreal height = 0;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(rect.width());
        const qreal next = height + line.height();
        const QString lineText = text.mid(line.textStart(), line.textLength());
        if (next + line.height() > rect.height() && line.textStart() + line.textLength() < text.size()) {
            // The last line that fits: whatever follows goes into its ellipsis.
            fitted += metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, rect.width());
            break;
        }
        if (next > rect.height()) break;
        fitted += lineText;
        height = next;
    }
    layout.endLayout();
    return fitted;
}

void CTaskbarNotifier::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Pictures without a double-size twin are enlarged smoothly on high-density screens.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_skin.isNull()) painter.drawImage(0, 0, m_skin);
    const QFont& font = m_bHover ? m_hoverFont : m_normalFont;
    painter.setFont(font);
    painter.setPen(ToQColor(m_bHover ? m_crHoverText : m_crNormalText));
    painter.drawText(m_rcText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, FitText(m_text, font, m_rcText));
}

void CTaskbarNotifier::enterEvent(QEnterEvent* event) {
    m_bHover = true;
    update();
    QWidget::enterEvent(event);
}

void CTaskbarNotifier::leaveEvent(QEvent* event) {
    m_bHover = false;
    update();
    QWidget::leaveEvent(event);
}

void CTaskbarNotifier::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_owner) PostMessage(m_owner.data(), WM_NOTIFIER_CLICKED);
    QWidget::mouseReleaseEvent(event);
}
