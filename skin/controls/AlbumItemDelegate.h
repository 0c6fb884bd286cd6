#pragma once
// Draws the items of the skinned album tree: album items with their icon,
// "name( songs )", and the manage and play-album buttons; song items with
// the play mark, "position title", the singer and the details button; and
// the box in which an album is renamed.

#include "skin/controls/CellTextCache.h"
#include "skin/controls/ControlArithmetic.h"
#include "skin/controls/ItemIcons.h"
#include "skin/controls/ItemViewOwners.h"

#include "skin/SkinDescription.h"

#include <QFont>
#include <QPixmap>
#include <QStyledItemDelegate>

// What the tree looks like now; kept by the tree, read by its delegate.
struct TreeLook {
    CItemIcons icons;
    SkinTreeColours colours;
    QPixmap selectionBar;  // under a selected item in the "Skin2" family
    bool skin2 = false;
    QFont font;  // set before the delegate is made
    TreeItemRef hoverItem;  // the item under the mouse
    TreeButton hoverButton = TreeButton::None;
};

class CAlbumItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    CAlbumItemDelegate(const TreeLook& look, QObject* parent = nullptr);

    // Under the item: its stripe or selection, across the whole `row`; an
    // album's row ends in a separator line.
    void PaintRowBack(QPainter& painter, const QRect& row, bool album, bool selected) const;
    // The item in `option.rect`, from its left edge.
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

private:
    void PaintAlbum(QPainter& painter, const QRect& item, const QModelIndex& index, const TreeItemRef& ref,
                    bool over) const;
    void PaintSong(QPainter& painter, const QRect& item, const QModelIndex& index, const TreeItemRef& ref,
                   bool over) const;
    // The icon of `button` on `ref`, lit while the mouse is over it.
    void PaintButton(QPainter& painter, const QRect& item, const TreeItemRef& ref, TreeButton button) const;

    const TreeLook& m_look;
    mutable CCellTextCache m_texts;
};
