#include "skin/controls/CellTextCache.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

// More than a screenful of lists; beyond it the cache starts again.
constexpr qsizetype kMostTexts = 2000;

QString Key(const QString& text, int width) { return QString::number(width) + QLatin1Char('\n') + text; }

// The value kept under `key`, made by `make` the first time.
template <typename Value, typename Make>
const Value& Cached(QHash<QString, Value>& cache, const QString& key, Make make)
{
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    if (cache.size() >= kMostTexts)
        cache.clear();
    return *cache.insert(key, make());
}

}  // namespace

void CCellTextCache::SetFont(const QFont& font)
{
    m_font = font;
    m_fitted.clear();
    m_texts.clear();
}

QString CCellTextCache::Fitted(const QString& text, int width)
{
    return Cached(m_fitted, Key(text, width), [&] {
        const QFontMetrics metrics(m_font);
        return metrics.horizontalAdvance(text) <= width ? text : metrics.elidedText(text, Qt::ElideRight, width);
    });
}

const QStaticText& CCellTextCache::LaidOut(const QString& text, int width)
{
    return Cached(m_texts, Key(text, width), [&] {
        QStaticText laidOut(Fitted(text, width));
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
        laidOut.prepare(QTransform(), m_font);
        return laidOut;
    });
}

void CCellTextCache::Draw(QPainter& painter, const QRect& area, const QString& text, Qt::Alignment alignment)
{
    if (text.isEmpty() || area.width() <= 0)
        return;
    const QStaticText& laidOut = LaidOut(text, area.width());
    const QSizeF size = laidOut.size();
    qreal x = area.left();
    if (alignment & Qt::AlignRight)
        x = area.right() + 1 - size.width();
    else if (alignment & Qt::AlignHCenter)
        x = area.left() + (area.width() - size.width()) / 2;
    const qreal y = area.top() + (area.height() - size.height()) / 2;
    painter.setFont(m_font);
    painter.drawStaticText(QPointF(x, y), laidOut);
}
