#include "skin/controls/HoverButton.h"

#include "skin/controls/ControlArithmetic.h"
#include "skin/controls/SkinImage.h"

#include "common/WindowMessage.h"

#include <QPainter>

CHoverButton::CHoverButton(QWidget* parent, int controlId) : QAbstractButton(parent), m_nControlId(controlId)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, &CHoverButton::NotifyParent);
}

CHoverButton::~CHoverButton() = default;

bool CHoverButton::LoadImages(const std::string& normal, const std::string& over, const std::string& pressed,
                              const std::string& disabled)
{
    m_images.clear();
    const QImage first = LoadSkinImage(normal, "CHoverButton::LoadImages");
    if (first.isNull()) {
        update();
        return false;
    }
    m_images.push_back(KeyedPixmap(first, kControlKeyColour));
    const std::string* rest[] = {&over, &pressed, &disabled};
    for (size_t i = 0; i < 3; ++i) {
        const QImage image = LoadSkinImage(*rest[i], "CHoverButton::LoadImages");
        if (image.isNull())
            break;
        // The hover picture is keyed on black, the others on the skin's key.
        const QImage sized = LayoutSize(image) == LayoutSize(first)
                                 ? image
                                 : image.copy(QRect(QPoint(0, 0), LayoutSize(first) * image.devicePixelRatio()));
        m_images.push_back(KeyedPixmap(sized, i == 0 ? Rgb(0, 0, 0) : kControlKeyColour));
    }
    resize(LayoutSize(first));
    update();
    return true;
}

void CHoverButton::SetTip(const QString& text, bool activate) { setToolTip(activate ? text : QString()); }

int CHoverButton::CurrentImageIndex() const
{
    return HoverButtonImageIndex(ImageCount(), isDown(), !isEnabled(), m_bHover);
}

QSize CHoverButton::sizeHint() const { return m_images.empty() ? QSize(16, 16) : LayoutSize(m_images.front()); }

void CHoverButton::enterEvent(QEnterEvent* event)
{
    m_bHover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CHoverButton::leaveEvent(QEvent* event)
{
    m_bHover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CHoverButton::NotifyParent()
{
    if (m_nControlId != 0 && parentWidget() != nullptr)
        PostCommand(parentWidget(), m_nControlId);
}

void CHoverButton::paintEvent(QPaintEvent*)
{
    const int index = CurrentImageIndex();
    if (index < 0 || index >= ImageCount())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_images[size_t(index)]);
}
