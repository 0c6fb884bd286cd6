#pragma once
// A scoped drawing surface of a window: a painter that is begun on the
// widget when the scope opens and ended when it closes. Use it from the
// widget's paint event, the only time Qt allows painting on a widget.

#include <QPainter>

#include <optional>

class QWidget;

class CSafetyDC {
public:
    explicit CSafetyDC(QWidget* window);
    ~CSafetyDC();
    CSafetyDC(const CSafetyDC&) = delete;
    CSafetyDC& operator=(const CSafetyDC&) = delete;

    // The painter, or nullptr when the window has none to give.
    QPainter* get() { return m_painter ? &*m_painter : nullptr; }
    explicit operator bool() const { return m_painter.has_value(); }

private:
    std::optional<QPainter> m_painter;
};
