#pragma once
// An off-screen surface for flicker-free painting: a control paints a whole
// frame into it, and the frame reaches the target in one copy when the
// surface goes out of scope.

#include <QPainter>
#include <QPixmap>
#include <QRect>

class CMemDC {
public:
    // A surface the size of `rect` of the target painter's device; drawing
    // on it uses the target's coordinates.
    CMemDC(QPainter& target, const QRect& rect);
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    QPainter& Painter() { return m_painter; }
    QPainter* operator->() { return &m_painter; }
    const QRect& Rect() const { return m_rect; }

private:
    QPainter& m_target;
    QRect m_rect;
    QPixmap m_surface;
    QPainter m_painter;
};
