#pragma once
// Draws the rows of the skinned song list: the selection under a row, each
// cell's text in the colours of the list, and over the row the details
// button and the play mark.

#include "skin/controls/CellTextCache.h"
#include "skin/controls/ItemIcons.h"

#include <QFont>
#include <QPixmap>
#include <QStyledItemDelegate>

// What the list looks like now; kept by the list, read by its delegate.
struct ListLook {
    CItemIcons icons;
    QPixmap background;    // tiled behind the rows; null: the window colour
    QPixmap selectionBar;  // under a selected row in the "Skin2" family
    bool skin2 = false;
    QFont font;             // set before the delegate is made
    int detailsOffset = 0;  // for the list's present count of songs
    int hoverRow = -1;      // whose details button is under the mouse
    bool listPlays = false; // the player plays from this list
};

class CSongRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    CSongRowDelegate(const ListLook& look, QObject* parent = nullptr);

    // Under the cells: the selection of a selected row.
    void PaintRowBack(QPainter& painter, const QRect& row, bool selected) const;
    // Over the cells: the details button, and the play mark in front of
    // the name that starts at `nameLeft`.
    void PaintRowFront(QPainter& painter, const QRect& row, int rowIndex, bool playing, int nameLeft) const;

    // One cell's text.
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const ListLook& m_look;
    mutable CCellTextCache m_texts;
};
