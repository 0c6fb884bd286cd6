#include "skin/controls/SkinButtonEx.h"

#include "skin/controls/ControlAccessibility.h"
#include "skin/controls/ControlArithmetic.h"
#include "skin/controls/FocusMark.h"
#include "skin/controls/SkinImage.h"

#include "common/WindowMessage.h"

#include <QEnterEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolTip>

namespace {

QPixmap LoadButtonImage(const std::string& file)
{
    return KeyedPixmap(LoadSkinImage(file, "CSkinButtonEx::SetImages"), kControlKeyColour);
}

}  // namespace

CSkinButtonEx::CSkinButtonEx(QWidget* parent, int controlId)
    : QWidget(parent), m_nControlId(controlId), m_focusColour(DefaultFocusColour())
{
    setMouseTracking(true);
    // Reached with Tab only: a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    InstallControlAccessibility();
}

CSkinButtonEx::~CSkinButtonEx() = default;

void CSkinButtonEx::SetImages(const std::string& normal, const std::string& over, const std::string& click,
                              const QString& tooltip)
{
    m_normal = LoadButtonImage(normal);
    m_over = m_click = QPixmap();
    m_strOverFile = over;
    m_strClickFile = click;
    setToolTip(tooltip);
    Show(State::Normal);
}

const QPixmap& CSkinButtonEx::Image(State state) const
{
    switch (state) {
    case State::Hover: return Lazy(m_over, m_strOverFile);
    case State::Pressed: return Lazy(m_click, m_strClickFile);
    case State::Normal: break;
    }
    return m_normal;
}

const QPixmap& CSkinButtonEx::Lazy(QPixmap& picture, std::string& file) const
{
    if (!file.empty()) {
        picture = LoadButtonImage(file);
        file.clear();
    }
    return picture;
}

void CSkinButtonEx::Show(State state)
{
    m_state = state;
    update();
}

bool CSkinButtonEx::HitTest(const QPoint& point) const { return ButtonHitTest(size(), point, m_bRound); }

void CSkinButtonEx::UpdateCursor(const QPoint& point)
{
    const bool hand = HitTest(point);
    if (hand == m_bHandCursor)
        return;
    m_bHandCursor = hand;
    setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void CSkinButtonEx::SetKeyHint(const QString& key) { m_strKeyHint = key; }

QString CSkinButtonEx::ShownToolTip() const
{
    if (m_strKeyHint.isEmpty() || toolTip().isEmpty())
        return toolTip();
    return toolTip() + QStringLiteral(" (") + m_strKeyHint + QLatin1Char(')');
}

void CSkinButtonEx::SetFocusColour(const QColor& colour)
{
    m_focusColour = colour;
    if (hasFocus())
        update();
}

void CSkinButtonEx::Click()
{
    if (parentWidget() != nullptr)
        PostCommand(parentWidget(), m_nControlId);
    emit clicked();
}

QSize CSkinButtonEx::sizeHint() const { return m_normal.isNull() ? QSize(16, 16) : LayoutSize(m_normal); }

void CSkinButtonEx::enterEvent(QEnterEvent* event)
{
    m_bTracking = true;
    m_bHover = true;
    if (!m_bCaptured)
        Show(State::Hover);
    UpdateCursor(event->position().toPoint());
    QWidget::enterEvent(event);
}

void CSkinButtonEx::leaveEvent(QEvent* event)
{
    m_bTracking = false;
    m_bHover = false;
    if (!m_bCaptured)
        Show(State::Normal);
    QWidget::leaveEvent(event);
}

void CSkinButtonEx::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    UpdateCursor(point);
    // Moves arrive without an enter event when the pointer starts inside.
    if (!m_bTracking && rect().contains(point)) {
        m_bTracking = true;
        m_bHover = true;
        if (!m_bCaptured)
            Show(State::Hover);
    }
    QWidget::mouseMoveEvent(event);
}

void CSkinButtonEx::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_bCaptured = true;
    Show(State::Pressed);
}

void CSkinButtonEx::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_bCaptured) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_bCaptured = false;
    const bool inside = rect().contains(event->position().toPoint());
    Show(State::Normal);
    if (inside) {
        Click();
    } else {
        m_bHover = false;
        m_bTracking = false;
    }
}

void CSkinButtonEx::keyPressEvent(QKeyEvent* event)
{
    const bool press = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!press || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        Click();
    event->accept();
}

void CSkinButtonEx::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void CSkinButtonEx::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

bool CSkinButtonEx::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !m_strKeyHint.isEmpty()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), ShownToolTip(), this, rect());
        return true;
    }
    return QWidget::event(event);
}

void CSkinButtonEx::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_normal.isNull()) {
        // A skin without this button's pictures: a plain button that says
        // what it does, so the window stays usable.
        QStyleOptionButton option;
        option.initFrom(this);
        option.text = toolTip();
        if (m_state == State::Pressed)
            option.state |= QStyle::State_Sunken;
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    } else {
        const QPixmap& image = Image(m_state);
        if (!image.isNull())
            painter.drawPixmap(0, 0, image);
    }
    if (hasFocus())
        DrawFocusMark(painter, rect(), m_focusColour, m_bRound);
}
