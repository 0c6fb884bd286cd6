#include "skin/controls/BitmapSlider.h"

#include "skin/controls/ControlAccessibility.h"
#include "skin/controls/FocusMark.h"
#include "skin/controls/MemDC.h"
#include "skin/controls/SkinImage.h"

#include "common/Trace.h"
#include "common/WindowMessage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

// Loads one picture of the slider; false only when a named file fails.
bool LoadSliderPixmap(const std::string& file, bool transparent, ColorRef key, int keyX, int keyY, QPixmap& out)
{
    out = QPixmap();
    if (file.empty())
        return true;
    const QImage image = LoadSkinImage(file, "CBitmapSlider::LoadBitmap");
    if (image.isNull())
        return false;
    if (!transparent)
        out = QPixmap::fromImage(ScreenPicture(image));
    else if (key == kKeyFromPixel)
        out = PixelKeyedPixmap(image, keyX, keyY);
    else
        out = KeyedPixmap(image, key);
    return true;
}

}  // namespace

CBitmapSlider::CBitmapSlider(QWidget* parent, int controlId)
    : QWidget(parent), m_nControlId(controlId), m_focusColour(DefaultFocusColour())
{
    setFocusPolicy(Qt::StrongFocus);
    InstallControlAccessibility();
}

void CBitmapSlider::SetFocusColour(const QColor& colour)
{
    m_focusColour = colour;
    if (m_bFocus)
        update();
}

CBitmapSlider::~CBitmapSlider() = default;

bool CBitmapSlider::SetChannelImages(const std::string& channel, const std::string& active, bool transparent,
                                     ColorRef key, int keyX, int keyY)
{
    if (channel.empty()) {
        m_channel = m_activeChannel = m_thumb = m_activeThumb = QPixmap();
        update();
        return true;
    }
    // Both pictures are replaced even when the first fails: a picture of the
    // previous skin must not stay on the new one.
    const bool channelLoaded = LoadSliderPixmap(channel, transparent, key, keyX, keyY, m_channel);
    const bool activeLoaded = LoadSliderPixmap(active, transparent, key, keyX, keyY, m_activeChannel);
    const bool ok = channelLoaded && activeLoaded;
    if (!m_channel.isNull())
        resize(LayoutSize(m_channel));
    update();
    return ok;
}

bool CBitmapSlider::SetThumbImages(const std::string& thumb, const std::string& active, bool transparent,
                                   ColorRef key, int keyX, int keyY)
{
    const bool thumbLoaded = LoadSliderPixmap(thumb, transparent, key, keyX, keyY, m_thumb);
    const bool activeLoaded = LoadSliderPixmap(active, transparent, key, keyX, keyY, m_activeThumb);
    const bool ok = thumbLoaded && activeLoaded;
    update();
    return ok;
}

void CBitmapSlider::SetThumbImage(const QImage& thumb, ColorRef key)
{
    m_thumb = thumb.isNull() ? QPixmap() : KeyedPixmap(thumb, key);
    m_activeThumb = QPixmap();
    update();
}

void CBitmapSlider::SetValueRange(int minimum, int maximum, bool redraw)
{
    // A reversed range would make every value "outside"; keep it ordered.
    m_nMin = std::min(minimum, maximum);
    m_nMax = std::max(minimum, maximum);
    m_nPos = std::clamp(m_nPos, m_nMin, m_nMax);
    if (redraw)
        update();
}

void CBitmapSlider::SetValue(int value)
{
    const int clamped = std::clamp(value, m_nMin, m_nMax);
    if (clamped != m_nPos) {
        m_nPos = clamped;
        update();
    }
}

void CBitmapSlider::SetMargins(int left, int top, int right, int bottom)
{
    m_nMarginLeft = left;
    m_nMarginTop = top;
    m_nMarginRight = right;
    m_nMarginBottom = bottom;
    update();
}

void CBitmapSlider::SetOrientation(bool vertical)
{
    m_bVertical = vertical;
    update();
}

void CBitmapSlider::SetEnabled(bool enabled)
{
    m_bEnable = enabled;
    if (!enabled && m_bDragging) {
        m_bDragging = false;
    }
    update();
}

void CBitmapSlider::SetCircleTrack(int centreX, int centreY, int radius)
{
    m_bCircle = true;
    m_nCircleX = centreX;
    m_nCircleY = centreY;
    m_nRadius = radius;
    update();
}

SliderAxis CBitmapSlider::Axis() const
{
    if (m_bVertical)
        return {height(), LayoutSize(m_thumb).height(), m_nMarginTop, m_nMarginBottom};
    return {width(), LayoutSize(m_thumb).width(), m_nMarginLeft, m_nMarginRight};
}

int CBitmapSlider::AxisCoordinate(const QPointF& point) const
{
    return m_bVertical ? int(point.y()) : int(point.x());
}

int CBitmapSlider::ThumbPixel() const { return SliderValueToPixel(Axis(), m_nMin, m_nMax, m_nPos); }

QPoint CBitmapSlider::ThumbTopLeft() const
{
    const int p = ThumbPixel();
    if (m_bVertical)
        return {m_nMarginLeft, p - LayoutSize(m_thumb).height() / 2};
    const int x = p - LayoutSize(m_thumb).width() / 2;
    if (m_bCircle)
        return {x - 6, CircleTrackY(x, m_nCircleX, m_nCircleY, m_nRadius) - 6};
    return {x, m_nMarginTop + 6};
}

QSize CBitmapSlider::sizeHint() const { return m_channel.isNull() ? QSize(100, 20) : LayoutSize(m_channel); }

void CBitmapSlider::Notify(unsigned message)
{
    if (parentWidget() != nullptr)
        PostMessage(parentWidget(), message, WPARAM(m_nControlId), LPARAM(m_nPos));
}

void CBitmapSlider::DragTo(int pixel)
{
    const SliderAxis axis = Axis();
    const int value = SliderPixelToValue(axis, m_nMin, m_nMax, SliderClampPixel(axis, pixel - m_nDragOffset));
    if (value != m_nPos) {
        m_nPos = value;
        update();
        Notify(kSliderMoving);
    }
}

void CBitmapSlider::mousePressEvent(QMouseEvent* event)
{
    if (!m_bEnable || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The press grabs the mouse (Qt's implicit grab) until the release.
    setFocus(Qt::MouseFocusReason);
    m_bDragging = true;
    const int pixel = AxisCoordinate(event->position());
    const int distance = pixel - ThumbPixel();
    const int half = Axis().thumb / 2;
    if (std::abs(distance) <= half) {
        // A press on the thumb keeps the grip and leaves the value alone
        // (pixel and value do not always map back onto each other).
        m_nDragOffset = distance;
    } else {
        m_nDragOffset = 0;
        DragTo(pixel);
    }
    update();
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bDragging)
        DragTo(AxisCoordinate(event->position()));
    else
        QWidget::mouseMoveEvent(event);
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_bDragging || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_bDragging = false;
    update();
    Notify(kSliderMoved);
}

int CBitmapSlider::ReadValue() const { return m_bReadReversed ? m_nMax + m_nMin - m_nPos : m_nPos; }

void CBitmapSlider::SetReadValue(int value)
{
    if (!m_bEnable)
        return;
    const int clamped = std::clamp(value, m_nMin, m_nMax);
    m_nPos = m_bReadReversed ? m_nMax + m_nMin - clamped : clamped;
    update();
    Notify(kSliderMoved);
}

void CBitmapSlider::keyPressEvent(QKeyEvent* event)
{
    if (!m_bEnable) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Wide arithmetic: a page added at the end of the range must not wrap.
    long long target = m_nPos;
    switch (event->key()) {
    case Qt::Key_PageUp: target -= m_nPage; break;
    case Qt::Key_PageDown: target += m_nPage; break;
    case Qt::Key_End: target = m_nMax; break;
    case Qt::Key_Home: target = m_nMin; break;
    case Qt::Key_Right:
    case Qt::Key_Down: target += 1; break;
    case Qt::Key_Left:
    case Qt::Key_Up: target -= 1; break;
    default: QWidget::keyPressEvent(event); return;
    }
    m_nPos = int(std::clamp<long long>(target, m_nMin, m_nMax));
    update();
    Notify(kSliderMoved);
}

void CBitmapSlider::focusInEvent(QFocusEvent* event)
{
    m_bFocus = true;
    update();
    QWidget::focusInEvent(event);
}

void CBitmapSlider::focusOutEvent(QFocusEvent* event)
{
    m_bFocus = false;
    update();
    QWidget::focusOutEvent(event);
}

void CBitmapSlider::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    CMemDC memDC(target, rect());
    QPainter& painter = memDC.Painter();
    if (!m_channel.isNull())
        painter.drawPixmap(0, 0, m_channel);
    if (!m_activeChannel.isNull()) {
        const int p = ThumbPixel();
        const QRect filled = m_bVertical ? QRect(0, 0, width(), p) : QRect(0, 0, p, height());
        painter.save();
        painter.setClipRect(filled);
        painter.drawPixmap(0, 0, m_activeChannel);
        painter.restore();
    }
    const QPixmap& thumb = (m_bDragging && !m_activeThumb.isNull()) ? m_activeThumb : m_thumb;
    if (!thumb.isNull())
        painter.drawPixmap(ThumbTopLeft(), thumb);
    if (m_bFocus)
        DrawFocusMark(painter, rect(), m_focusColour);
}
