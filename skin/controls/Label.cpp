#include "skin/controls/Label.h"

#include "skin/controls/ControlAccessibility.h"
#include "skin/controls/ControlColour.h"
#include "skin/controls/ControlFont.h"

#include "common/Text.h"
#include "common/Trace.h"
#include "common/WindowMessage.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

CLabel::CLabel(QWidget* parent, int controlId)
    : QWidget(parent)
    , m_nControlId(controlId)
    , m_crText(QApplication::palette().color(QPalette::WindowText))
    // The system menu colour stands behind an opaque label.
    , m_crBk(QApplication::palette().color(QPalette::Window))
    , m_font(QApplication::font())
{
    InstallControlAccessibility();
    m_font.setWeight(QFont::Normal);
}

CLabel::~CLabel() = default;

void CLabel::Changed()
{
    updateGeometry();
    update();
}

void CLabel::SetText(const QString& text)
{
    m_strText = text;
    Changed();
}

void CLabel::SetTextColor(ColorRef color) { SetTextColor(ColorRefToQColor(color)); }

void CLabel::SetTextColor(const QColor& color)
{
    m_crText = color;
    update();
}

void CLabel::SetBkColor(ColorRef color) { SetBkColor(ColorRefToQColor(color)); }

void CLabel::SetBkColor(const QColor& color)
{
    m_crBk = color;
    update();
}

void CLabel::SetTransparent(bool transparent)
{
    m_bTransparent = transparent;
    update();
}

void CLabel::SetFontUnderline(bool underline)
{
    m_font.setUnderline(underline);
    Changed();
}

void CLabel::SetFontBold(bool bold)
{
    m_font.setWeight(bold ? QFont::Bold : QFont::Normal);
    Changed();
}

void CLabel::SetFontPointSize(int points)
{
    if (points > 0) {
        m_font.setPointSize(points);
        Changed();
    }
}

void CLabel::SetFontName(const QString& face)
{
    m_font.setFamilies(WithCjkFallback(face));
    Changed();
}

void CLabel::SetLink(bool link, bool notifyParent)
{
    m_bLink = link;
    m_bNotifyParent = notifyParent;
    ApplyCursor();
}

void CLabel::SetLinkUrl(const QString& url) { m_strUrl = url; }

void CLabel::SetLinkCursor(const QCursor& cursor)
{
    m_linkCursor = cursor;
    ApplyCursor();
}

void CLabel::SetHorizontalAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void CLabel::ApplyCursor()
{
    if (m_bLink)
        setCursor(m_linkCursor);
    else
        unsetCursor();
}

QSize CLabel::sizeHint() const
{
    const QFontMetrics metrics(m_font);
    return QSize(metrics.horizontalAdvance(m_strText) + 2, metrics.height() + 2);
}

void CLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_bTransparent)
        painter.fillRect(rect(), m_crBk);
    painter.setFont(m_font);
    painter.setPen(m_crText);
    painter.drawText(rect(), m_alignment | Qt::AlignVCenter | Qt::TextSingleLine, m_strText);
}

void CLabel::mousePressEvent(QMouseEvent* event)
{
    m_bPressed = m_bLink && event->button() == Qt::LeftButton;
    if (m_bPressed)
        event->accept();
    else
        QWidget::mousePressEvent(event);
}

void CLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_bPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_bPressed = false;
    if (!click || !m_bLink) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (m_bNotifyParent) {
        if (parentWidget() != nullptr)
            PostCommand(parentWidget(), m_nControlId);
    } else {
        const QString url = LinkUrl();
        if (url.isEmpty() || !tonvik::platform::OpenUrl(url.toStdString()))
            Trace("CLabel::OnClick : cannot open link [%s]", url.toUtf8().constData());
    }
    emit clicked();
}
