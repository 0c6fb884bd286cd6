#include "skin/controls/FocusMark.h"

#include <QPen>
#include <QWidget>

#include <algorithm>

void DrawFocusMark(QPainter& painter, const QRect& rect, const QColor& colour, bool round)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, round);
    painter.setPen(QPen(colour, 2));
    painter.setBrush(Qt::NoBrush);
    const QRect inside = rect.adjusted(1, 1, -1, -1);
    if (round)
        painter.drawEllipse(inside);
    else
        painter.drawRect(inside);
    painter.restore();
}

bool MoveFocusInOrder(const std::vector<QWidget*>& order, const QWidget* focused, bool next)
{
    const int count = static_cast<int>(order.size());
    if (count == 0)
        return false;
    const auto found = std::find(order.begin(), order.end(), focused);
    int at = found == order.end() ? (next ? -1 : count) : static_cast<int>(found - order.begin());
    for (int step = 0; step < count; ++step) {
        at = next ? (at + 1) % count : (at - 1 + count) % count;
        QWidget* widget = order[static_cast<size_t>(at)];
        if (widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus)) {
            widget->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}
