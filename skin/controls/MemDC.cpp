#include "skin/controls/MemDC.h"

CMemDC::CMemDC(QPainter& target, const QRect& rect)
    : m_target(target)
    , m_rect(rect)
    , m_surface(rect.size().isEmpty() ? QSize(1, 1) : rect.size())
{
    m_surface.fill(Qt::transparent);
    m_painter.begin(&m_surface);
    m_painter.translate(-rect.topLeft());
}

CMemDC::~CMemDC()
{
    m_painter.end();
    if (!m_rect.isEmpty())
        m_target.drawPixmap(m_rect.topLeft(), m_surface);
}
