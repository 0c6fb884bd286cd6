#include "skin/controls/MemDC.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(MemDC, FrameReachesTheTargetInOneCopyWhenTheSurfaceEnds) {
    QImage target(50, 50, QImage::Format_ARGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    {
        CMemDC memDC(painter, QRect(10, 10, 20, 20));
        memDC->fillRect(QRect(0, 0, 50, 50), Qt::red);        // in the target's coordinates
        memDC->fillRect(QRect(25, 25, 5, 5), Qt::blue);
        EXPECT_EQ(target.pixelColor(15, 15), QColor(Qt::white));  // nothing copied yet
    }
    painter.end();
    EXPECT_EQ(target.pixelColor(15, 15), QColor(Qt::red));
    EXPECT_EQ(target.pixelColor(27, 27), QColor(Qt::blue));
    EXPECT_EQ(target.pixelColor(29, 29), QColor(Qt::blue));
    // Only the surface's rectangle reaches the target.
    EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::white));
    EXPECT_EQ(target.pixelColor(30, 30), QColor(Qt::white));
    EXPECT_EQ(target.pixelColor(9, 20), QColor(Qt::white));
}

TEST(MemDC, UnpaintedPartsLeaveTheTargetAsItWas) {
    QImage target(20, 20, QImage::Format_ARGB32);
    target.fill(Qt::green);
    QPainter painter(&target);
    {
        CMemDC memDC(painter, target.rect());
        memDC->fillRect(QRect(0, 0, 10, 20), Qt::black);
    }
    painter.end();
    EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::black));
    EXPECT_EQ(target.pixelColor(15, 5), QColor(Qt::green));
}

TEST(MemDC, AHighDensityTargetGetsEveryDevicePixel) {
    QImage target(40, 40, QImage::Format_ARGB32);
    target.setDevicePixelRatio(2);  // 20 × 20 logical pixels
    target.fill(Qt::white);
    QPainter painter(&target);
    {
        CMemDC memDC(painter, QRect(0, 0, 20, 20));
        // Half a logical pixel is one device pixel.
        memDC->fillRect(QRectF(5, 5, 0.5, 0.5), Qt::black);
    }
    painter.end();
    EXPECT_EQ(target.pixelColor(10, 10), QColor(Qt::black));
    EXPECT_EQ(target.pixelColor(11, 10), QColor(Qt::white));
    EXPECT_EQ(target.pixelColor(10, 11), QColor(Qt::white));
}

TEST(MemDC, EmptyRectangleCopiesNothing) {
    QImage target(10, 10, QImage::Format_ARGB32);
    target.fill(Qt::green);
    QPainter painter(&target);
    {
        CMemDC memDC(painter, QRect(3, 3, 0, 0));
        memDC->fillRect(QRect(0, 0, 10, 10), Qt::black);
    }
    painter.end();
    EXPECT_EQ(target.pixelColor(3, 3), QColor(Qt::green));
}

}  // namespace
