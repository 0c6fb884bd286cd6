#include "skin/controls/LabelEx.h"

#include "skin/controls/ControlArithmetic.h"
#include "skin/controls/ControlColour.h"
#include "skin/controls/ControlFont.h"

#include "common/WindowMessage.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

CLabelEx::CLabelEx(QWidget* parent, int controlId)
    : QWidget(parent)
    , m_nControlId(controlId)
    , m_crText(QApplication::palette().color(QPalette::WindowText))
    , m_crBk(QApplication::palette().color(QPalette::Button))
    , m_font(QApplication::font())
{
    m_flashTimer.setInterval(kFlashIntervalMs);
    connect(&m_flashTimer, &QTimer::timeout, this, &CLabelEx::OnFlashTimer);
}

CLabelEx::~CLabelEx() = default;

CLabelEx& CLabelEx::Changed()
{
    update();
    if (m_bTransparent && parentWidget() != nullptr)
        parentWidget()->update(geometry());
    return *this;
}

CLabelEx& CLabelEx::SetText(const QString& text)
{
    m_strText = text;
    return Changed();
}

CLabelEx& CLabelEx::SetTextColor(ColorRef color)
{
    m_crText = ColorRefToQColor(color);
    return Changed();
}

CLabelEx& CLabelEx::SetBkColor(ColorRef color, ColorRef gradientTo)
{
    m_crBk = ColorRefToQColor(color);
    m_bGradient = gradientTo != kNoGradient;
    if (m_bGradient)
        m_crGradientTo = ColorRefToQColor(gradientTo);
    return Changed();
}

CLabelEx& CLabelEx::SetFontName(const QString& face, int /*charset*/)
{
    // The character set only told the font mapper which script to expect;
    // the CJK fallback covers the Chinese texts.
    m_font.setFamilies(WithCjkFallback(face));
    return Changed();
}

CLabelEx& CLabelEx::SetFontSize(int points)
{
    if (points > 0)
        m_font.setPointSize(points);
    return Changed();
}

CLabelEx& CLabelEx::SetFontBold(bool bold)
{
    m_font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return Changed();
}

CLabelEx& CLabelEx::SetFontItalic(bool italic)
{
    m_font.setItalic(italic);
    return Changed();
}

CLabelEx& CLabelEx::SetFontUnderline(bool underline)
{
    m_font.setUnderline(underline);
    return Changed();
}

CLabelEx& CLabelEx::SetBorder(bool border)
{
    m_bBorder = border;
    return Changed();
}

CLabelEx& CLabelEx::SetSunken(bool sunken)
{
    m_bSunken = sunken;
    return Changed();
}

CLabelEx& CLabelEx::SetTransparent(bool transparent)
{
    m_bTransparent = transparent;
    if (parentWidget() != nullptr)
        parentWidget()->update(geometry());
    return Changed();
}

CLabelEx& CLabelEx::SetLink(bool link)
{
    m_bLink = link;
    if (link)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    return Changed();
}

CLabelEx& CLabelEx::SetRotationAngle(int degrees)
{
    m_nAngle = degrees % 360;
    return Changed();
}

CLabelEx& CLabelEx::FlashText(bool flash)
{
    m_bFlashText = flash;
    UpdateFlashTimer();
    return Changed();
}

CLabelEx& CLabelEx::FlashBackground(bool flash)
{
    m_bFlashBackground = flash;
    UpdateFlashTimer();
    return Changed();
}

void CLabelEx::UpdateFlashTimer()
{
    if (m_bFlashText || m_bFlashBackground) {
        if (!m_flashTimer.isActive())
            m_flashTimer.start();
    } else {
        m_flashTimer.stop();
        // Switched off: the label shows everything again.
        m_bFlashPhase = false;
    }
}

void CLabelEx::OnFlashTimer()
{
    m_bFlashPhase = !m_bFlashPhase;
    Changed();
}

void CLabelEx::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_bLink && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        if (parentWidget() != nullptr)
            PostCommand(parentWidget(), m_nControlId);
        emit clicked();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CLabelEx::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (BackgroundShown()) {
        if (m_bGradient) {
            for (const GradientBand& band : GradientBands(m_crBk, m_crGradientTo, width()))
                painter.fillRect(QRect(band.left, 0, band.width, height()), band.colour);
        } else {
            painter.fillRect(rect(), m_crBk);
        }
    }
    if (m_bSunken) {
        const QRect edge = rect().adjusted(0, 0, -1, -1);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(edge.topLeft(), edge.topRight());
        painter.drawLine(edge.topLeft(), edge.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(edge.bottomLeft(), edge.bottomRight());
        painter.drawLine(edge.topRight(), edge.bottomRight());
    } else if (m_bBorder) {
        painter.setPen(m_crText);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (!TextShown() || m_strText.isEmpty())
        return;
    painter.setFont(m_font);
    painter.setPen(m_crText);
    if (m_nAngle == 0) {
        painter.drawText(rect().adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         m_strText);
        return;
    }
    // Rotated text turns about the label's centre, counter-clockwise.
    painter.translate(rect().center());
    painter.rotate(-m_nAngle);
    const QRect box(-width(), -height(), 2 * width(), 2 * height());
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, m_strText);
}
