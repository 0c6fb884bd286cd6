#include "skin/controls/SongRowDelegate.h"

#include "skin/controls/ControlArithmetic.h"
#include "skin/controls/ControlColour.h"
#include "skin/controls/SongListModel.h"

#include <QPainter>

CSongRowDelegate::CSongRowDelegate(const ListLook& look, QObject* parent) : QStyledItemDelegate(parent), m_look(look)
{
    m_texts.SetFont(look.font);
}

void CSongRowDelegate::PaintRowBack(QPainter& painter, const QRect& row, bool selected) const
{
    if (!selected)
        return;
    if (m_look.skin2 && !m_look.selectionBar.isNull()) {
        painter.save();
        painter.setClipRect(row, Qt::IntersectClip);
        painter.drawPixmap(row.topLeft(), m_look.selectionBar);
        painter.restore();
    } else if (!m_look.skin2) {
        painter.fillRect(row, ColorRefToQColor(kListSelectionFill));
    }
}

void CSongRowDelegate::PaintRowFront(QPainter& painter, const QRect& row, int rowIndex, bool playing, int nameLeft) const
{
    const QRect details = ListDetailsButtonRect(row, m_look.detailsOffset);
    m_look.icons.Draw(painter, rowIndex == m_look.hoverRow ? ItemIcon::DetailsOver : ItemIcon::Details,
                      details.topLeft());
    if (playing)
        m_look.icons.Draw(painter, ItemIcon::PlayMark, ListPlayMarkRect(row, nameLeft).topLeft());
}

void CSongRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QString text = index.data(Qt::DisplayRole).toString();
    const int column = index.column();
    const bool playing = index.data(CSongListModel::kPlayingRole).toBool();
    // The blanks in front of the playing name stand for the room of the play
    // mark, which the indent gives.
    if (playing && column == CSongListModel::kColumnSong && text.startsWith(QLatin1String(CSongListModel::kPlayingIndent)))
        text.remove(0, qsizetype(std::char_traits<char>::length(CSongListModel::kPlayingIndent)));
    if (text.isEmpty())
        return;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QRect area = option.rect.adjusted(ListTextIndent(column, index.row() + 1, playing), 0, 0, 0);
    if (area.width() <= 0)
        return;
    painter->setPen(ColorRefToQColor(ListTextColour(column, selected, playing, m_look.listPlays)));
    const Qt::Alignment alignment(index.data(Qt::TextAlignmentRole).toInt());
    m_texts.Draw(*painter, area, text, alignment & Qt::AlignHorizontal_Mask);
}

QSize CSongRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return {kItemIconSize, kListRowHeight};
}
