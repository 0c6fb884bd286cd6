#include "skin/controls/EditTrans.h"

#include "skin/controls/ControlColour.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

CEditTrans::CEditTrans(QWidget* parent) : QLineEdit(parent)
{
    setFrame(false);
    ApplyColours();
    connect(this, &QLineEdit::textChanged, this, &CEditTrans::RepaintParent);
}

CEditTrans::~CEditTrans() = default;

void CEditTrans::SetTextColor(ColorRef color)
{
    m_crText = color;
    ApplyColours();
}

void CEditTrans::SetBackColor(ColorRef color)
{
    m_crBack = color;
    ApplyColours();
}

void CEditTrans::ApplyColours()
{
    QPalette colours = palette();
    colours.setColor(QPalette::Text, ColorRefToQColor(m_crText));
    colours.setColor(QPalette::Base, IsTransparent() ? QColor(Qt::transparent) : ColorRefToQColor(m_crBack));
    setPalette(colours);
    setAutoFillBackground(!IsTransparent());
    setAttribute(Qt::WA_TranslucentBackground, IsTransparent());
    RepaintParent();
}

void CEditTrans::RepaintParent()
{
    update();
    if (IsTransparent() && parentWidget() != nullptr)
        parentWidget()->update(geometry());
}

void CEditTrans::SetPlaceholder(bool usePlaceholder) { m_bUsePlaceholder = usePlaceholder; }

void CEditTrans::paintEvent(QPaintEvent* event)
{
    if (!IsTransparent()) {
        QPainter painter(this);
        painter.fillRect(rect(), ColorRefToQColor(m_crBack));
    }
    QLineEdit::paintEvent(event);
}

void CEditTrans::focusOutEvent(QFocusEvent* event)
{
    if (m_bUsePlaceholder) {
        m_strSaved = text();
        setText(PlaceholderText());
    }
    QLineEdit::focusOutEvent(event);
}

void CEditTrans::mousePressEvent(QMouseEvent* event)
{
    if (m_bUsePlaceholder && event->button() == Qt::LeftButton)
        clear();
    QLineEdit::mousePressEvent(event);
}
