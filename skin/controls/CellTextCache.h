#pragma once
// Laid-out texts for the item views. A repaint of a list draws the same
// texts at the same widths again and again; laying each out once (fitted
// with an ellipsis where it does not fit) leaves a repaint only the glyphs
// to copy.

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>

class QPainter;
class QRect;

class CCellTextCache {
public:
    // Texts are laid out in this font; a new font starts afresh.
    void SetFont(const QFont& font);
    const QFont& Font() const { return m_font; }

    // `text` cut to `width` pixels with an ellipsis at the end; as it is
    // when it fits.
    QString Fitted(const QString& text, int width);

    // Draws `text` on one line in `area`, aligned horizontally by
    // `alignment` and centred vertically, with an ellipsis at the end when
    // it does not fit. Uses the painter's pen.
    void Draw(QPainter& painter, const QRect& area, const QString& text, Qt::Alignment alignment);

private:
    const QStaticText& LaidOut(const QString& text, int width);

    QFont m_font;
    // Both keyed by the width and the text.
    QHash<QString, QString> m_fitted;
    QHash<QString, QStaticText> m_texts;
};
