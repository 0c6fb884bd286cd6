#pragma once
// A light, plain desktop for the screenshot tools, behind the windows they
// show: a frameless window with a soft gradient, so that shaped windows, their
// cut corners and their shadows stand out.

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

class CBackdrop : public QWidget {
public:
    explicit CBackdrop(const QRect& geometry = {})
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint) {
        if (geometry.isValid()) setGeometry(geometry);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, QColor(236, 240, 246));
        gradient.setColorAt(1, QColor(200, 210, 224));
        painter.fillRect(rect(), gradient);
    }
};
