#include "skin/controls/MemDC.h"

#include <QPaintDevice>

#include <cmath>

namespace {

// The surface holds as many device pixels as the target shows for `rect`,
// so that a high-density screen gets sharp lines and text, not a frame
// drawn at half resolution and stretched.
QPixmap SurfaceFor(const QPainter& target, const QRect& rect)
{
    const qreal ratio = target.device() != nullptr ? target.device()->devicePixelRatioF() : 1.0;
    const QSize logical = rect.size().isEmpty() ? QSize(1, 1) : rect.size();
    QPixmap surface(int(std::ceil(logical.width() * ratio)), int(std::ceil(logical.height() * ratio)));
    surface.setDevicePixelRatio(ratio);
    return surface;
}

}  // namespace

CMemDC::CMemDC(QPainter& target, const QRect& rect)
    : m_target(target)
    , m_rect(rect)
    , m_surface(SurfaceFor(target, rect))
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
