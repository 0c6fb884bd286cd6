#include "skin/controls/AlbumItemDelegate.h"

#include "skin/controls/AlbumTreeModel.h"
#include "skin/controls/ControlColour.h"
#include "skin/controls/SkinImage.h"

#include <QLineEdit>
#include <QPainter>

CAlbumItemDelegate::CAlbumItemDelegate(const TreeLook& look, QObject* parent) : QStyledItemDelegate(parent), m_look(look)
{
    m_texts.SetFont(look.font);
}

void CAlbumItemDelegate::PaintRowBack(QPainter& painter, const QRect& row, bool album, bool selected) const
{
    if (selected && m_look.skin2 && !m_look.selectionBar.isNull()) {
        painter.save();
        painter.setClipRect(row, Qt::IntersectClip);
        painter.drawPixmap(row.left(), row.top() + (row.height() - LayoutSize(m_look.selectionBar).height()) / 2,
                           m_look.selectionBar);
        painter.restore();
    } else if (!m_look.skin2) {
        painter.fillRect(row, ColorRefToQColor(selected ? kListSelectionFill : kTreeStripe));
    }
    if (album) {
        painter.setPen(ColorRefToQColor(kItemSeparator));
        painter.drawLine(row.left(), row.bottom(), row.right(), row.bottom());
    }
}

void CAlbumItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* model = qobject_cast<const CAlbumTreeModel*>(index.model());
    if (model == nullptr)
        return;
    const TreeItemRef ref = model->ItemOf(index);
    const bool over = option.state.testFlag(QStyle::State_Selected) || ref == m_look.hoverItem;
    if (ref.IsAlbum())
        PaintAlbum(*painter, option.rect, index, ref, over);
    else if (ref.IsSong())
        PaintSong(*painter, option.rect, index, ref, over);
}

void CAlbumItemDelegate::PaintAlbum(QPainter& painter, const QRect& item, const QModelIndex& index,
                                    const TreeItemRef& ref, bool over) const
{
    m_look.icons.Draw(painter, ItemIcon::Album, TreeIconRect(item, true).topLeft());
    const QString text = QStringLiteral("%1( %2 )")
                             .arg(m_texts.Fitted(index.data(Qt::EditRole).toString(), kTreeAlbumNameWidth))
                             .arg(index.data(CAlbumTreeModel::kSongCountRole).toInt());
    const int left = item.left() + TreeTextIndent(true);
    const int right = TreeButtonRect(item, TreeButton::Manage).left() - 2;
    painter.setPen(ColorRefToQColor(over ? m_look.colours.albumOver : m_look.colours.album));
    m_texts.Draw(painter, QRect(left, item.top(), right - left, item.height()), text, Qt::AlignLeft);
    PaintButton(painter, item, ref, TreeButton::Manage);
    PaintButton(painter, item, ref, TreeButton::PlayAlbum);
}

void CAlbumItemDelegate::PaintSong(QPainter& painter, const QRect& item, const QModelIndex& index,
                                   const TreeItemRef& ref, bool over) const
{
    const bool playing = index.data(CAlbumTreeModel::kPlayingRole).toBool();
    if (playing)
        m_look.icons.Draw(painter, ItemIcon::PlayMark, TreeIconRect(item, false).topLeft());
    const QString head = QString::number(ref.song + 1) + QLatin1Char(' ') +
                         m_texts.Fitted(index.data(CAlbumTreeModel::kTitleRole).toString(), kTreeTitleWidth);
    const int left = item.left() + TreeTextIndent(false);
    const int singerLeft = TreeButtonRect(item, TreeButton::Details).left() - 2 - kTreeSingerWidth;
    painter.setPen(ColorRefToQColor(over || playing ? m_look.colours.songOver : m_look.colours.song));
    m_texts.Draw(painter, QRect(left, item.top(), singerLeft - 4 - left, item.height()), head, Qt::AlignLeft);
    m_texts.Draw(painter, QRect(singerLeft, item.top(), kTreeSingerWidth, item.height()),
                 index.data(CAlbumTreeModel::kSingerRole).toString(), Qt::AlignLeft);
    PaintButton(painter, item, ref, TreeButton::Details);
}

void CAlbumItemDelegate::PaintButton(QPainter& painter, const QRect& item, const TreeItemRef& ref,
                                     TreeButton button) const
{
    const bool lit = ref == m_look.hoverItem && button == m_look.hoverButton;
    ItemIcon icon = ItemIcon::Details;
    switch (button) {
    case TreeButton::Manage: icon = lit ? ItemIcon::ManageOver : ItemIcon::Manage; break;
    case TreeButton::PlayAlbum: icon = lit ? ItemIcon::PlayAlbumOver : ItemIcon::PlayAlbum; break;
    case TreeButton::Details: icon = lit ? ItemIcon::DetailsOver : ItemIcon::Details; break;
    case TreeButton::None: return;
    }
    m_look.icons.Draw(painter, icon, TreeButtonRect(item, button).topLeft());
}

QSize CAlbumItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return {kItemIconSize, kTreeItemHeight};
}

QWidget* CAlbumItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* editor = new QLineEdit(parent);
    editor->setFont(m_look.font);
    editor->setFrame(true);
    // In the tree's own colours, not a white box on the skin.
    QPalette colours = editor->palette();
    colours.setColor(QPalette::Base, ColorRefToQColor(m_look.colours.background));
    colours.setColor(QPalette::Text, ColorRefToQColor(m_look.colours.albumOver));
    colours.setColor(QPalette::Highlight, ColorRefToQColor(kItemSeparator));
    colours.setColor(QPalette::HighlightedText, ColorRefToQColor(m_look.colours.albumOver));
    editor->setPalette(colours);
    return editor;
}

void CAlbumItemDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex&) const
{
    // Over the album's name, up to the manage button.
    const QRect& item = option.rect;
    const int left = item.left() + TreeTextIndent(true) - 2;
    editor->setGeometry(left, item.top() + 1, TreeButtonRect(item, TreeButton::Manage).left() - 2 - left,
                        item.height() - 2);
}
