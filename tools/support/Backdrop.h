#pragma once
// A light desktop picture for the screenshot tools, behind the windows they
// show: the skinned windows' cut corners and shadows show against it.

#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

class CBackdrop : public QWidget {
public:
    CBackdrop() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, QColor(236, 240, 246));
        gradient.setColorAt(1, QColor(200, 210, 224));
        painter.fillRect(rect(), gradient);
    }
};
