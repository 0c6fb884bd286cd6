#pragma once
// The bitmap slider of the player (volume, play position) and of the list
// scroll bars: a channel bitmap, the channel filled up to the thumb, and a
// thumb, on a straight or circular track. It tells its parent about drags
// and keyboard moves with posted messages carrying its control number and
// the new position.

#include "common/Bitmap.h"
#include "common/MessageIds.h"
#include "skin/controls/ControlArithmetic.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <string>

inline constexpr unsigned kSliderMoving = WM_SLIDER_DRAGSTART;  // 0x28D1, while dragging
inline constexpr unsigned kSliderMoved = WM_SLIDER_DRAGEND;     // 0x28D2, released or keyboard

class CBitmapSlider : public QWidget {
    Q_OBJECT
public:
    explicit CBitmapSlider(QWidget* parent = nullptr, int controlId = 0);
    ~CBitmapSlider() override;

    void SetControlId(int controlId) { m_nControlId = controlId; }
    int ControlId() const { return m_nControlId; }

    // Channel and filled channel (the second may be empty). With
    // `transparent` the pictures are masked by `key`, or by the colour of
    // their pixel (keyX, keyY) when `key` is kKeyFromPixel. The control takes
    // the channel's size. An empty channel name removes every bitmap. False
    // when a named file cannot be loaded; that picture is then not drawn.
    bool SetChannelImages(const std::string& channel, const std::string& active, bool transparent = false,
                          ColorRef key = 0xFF000000, int keyX = 0, int keyY = 0);
    // Thumb and the thumb shown while dragging (may be empty), masked alike.
    bool SetThumbImages(const std::string& thumb, const std::string& active, bool transparent = false,
                        ColorRef key = 0xFF000000, int keyX = 0, int keyY = 0);
    // A thumb made in memory (the panel's scroll bar composes its own),
    // masked by `key`; shown while dragging too.
    void SetThumbImage(const QImage& thumb, ColorRef key);

    void SetValueRange(int minimum, int maximum, bool redraw = false);
    int Minimum() const { return m_nMin; }
    int Maximum() const { return m_nMax; }
    void SetValue(int value);
    int GetValue() const { return m_nPos; }
    void SetStep(int pageSize) { m_nPage = pageSize; }
    int Step() const { return m_nPage; }
    void SetMargins(int left, int top, int right, int bottom);
    void SetOrientation(bool vertical);
    bool IsVertical() const { return m_bVertical; }
    void SetEnabled(bool enabled);
    bool IsSliderEnabled() const { return m_bEnable; }
    // A circular track for the thumb (the play-position slider of some skins).
    void SetCircleTrack(int centreX, int centreY, int radius);
    bool IsCircle() const { return m_bCircle; }

    bool IsDragging() const { return m_bDragging; }
    // The colour of the focus mark.
    void SetFocusColour(const QColor& colour);
    // What the value stands for, as screen readers hear it: the value, or
    // with `reversed` the same amount counted from the other end (a volume
    // slider whose skin puts loud at the low end).
    void SetReadReversed(bool reversed) { m_bReadReversed = reversed; }
    int ReadValue() const;
    // A reader sets the value it reads: moved there as by the keyboard.
    void SetReadValue(int value);
    int DragOffset() const { return m_nDragOffset; }
    QSize ThumbSize() const { return m_thumb.size(); }

    // The centre pixel of the thumb along the axis, and where the thumb's
    // picture goes.
    int ThumbPixel() const;
    QPoint ThumbTopLeft() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    SliderAxis Axis() const;
    int AxisCoordinate(const QPointF& point) const;
    void DragTo(int pixel);
    void Notify(unsigned message);

    int m_nControlId = 0;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nPos = 0;
    int m_nPage = 20;
    int m_nMarginLeft = 0, m_nMarginTop = 0, m_nMarginRight = 0, m_nMarginBottom = 0;
    bool m_bVertical = false;
    bool m_bEnable = true;
    bool m_bDragging = false;
    bool m_bFocus = false;
    QColor m_focusColour;
    bool m_bReadReversed = false;
    int m_nDragOffset = 0;
    bool m_bCircle = false;
    int m_nCircleX = 0, m_nCircleY = 0, m_nRadius = 0;

    QPixmap m_channel;
    QPixmap m_activeChannel;
    QPixmap m_thumb;
    QPixmap m_activeThumb;
};
