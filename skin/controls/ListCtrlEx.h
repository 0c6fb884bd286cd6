#pragma once
// CListCtrlEx: the skinned song list of the my-music panel (the play list,
// list kind 0, or the random-listen list, kind 2). It shows a song list row
// by row over the skin's list background, marks the playing song, and
// offers a details button on every row; clicks on it, double clicks, keys
// and right clicks go to its owner.

#include "skin/controls/ItemViewOwners.h"
#include "skin/controls/SkinnedItemView.h"
#include "skin/controls/SongRowDelegate.h"

#include <string_view>

class CSkinDescription;
class CSongList;
class CSongListModel;

class CListCtrlEx : public CSkinnedItemView {
    Q_OBJECT
public:
    // The details button's distance from the right edge of a row, while
    // the list holds fewer than 10 songs and from 10 songs on. The panel's
    // scroll bar stands beside the list, so both are the same unless the
    // panel says otherwise.
    static constexpr int kDefaultDetailsOffset = 36;

    explicit CListCtrlEx(QWidget* parent = nullptr, int listKind = 0);
    ~CListCtrlEx() override;

    int ListKind() const { return m_nListKind; }
    // Shows `list` (nullptr: nothing). The list must outlive the view or be
    // taken away first.
    void SetSongList(CSongList* list);
    CSongListModel* SongModel() const { return m_pModel; }

    // The icons of the skin's "Icon" sections and the background named by
    // `section` ("List100", "List101"); in the "Skin2" family also the
    // selection bar of the program's pictures and the narrower columns.
    void SetSkin(const CSkinDescription& skin, std::string_view section);
    void SetOwner(IListCtrlOwner* owner) { m_pOwner = owner; }

    // Marks `row` as the playing song: its `playing` field becomes "1" and
    // that of every other song "0" (-1 clears the mark).
    void SetPlayIcon(int row);
    // Whether the player plays from this list (the playing row's number is
    // highlighted only then).
    void SetListPlays(bool plays);

    void SetDetailsOffsets(int fewSongs, int manySongs);
    int DetailsOffset() const;
    // The x of the vertical separator line; -1 for none.
    void SetSeparatorX(int x);

    // The details button of `row`, in viewport coordinates.
    QRect DetailsButtonRect(int row) const;
    // The row whose details button is under the mouse, or -1.
    int HoverRow() const { return m_look.hoverRow; }
    const ListLook& Look() const { return m_look; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void MouseLeft() override;
    void updateGeometries() override;

private:
    void ApplyColumnWidths();
    // The row whose details button is at `point`, or -1.
    int DetailsButtonAt(const QPoint& point) const;
    void SetHoverRow(int row);
    void PaintBackground(QPainter& painter, const QRect& area) const;

    int m_nListKind;
    CSongListModel* m_pModel = nullptr;
    CSongRowDelegate* m_pDelegate = nullptr;
    IListCtrlOwner* m_pOwner = nullptr;
    ListLook m_look;
    int m_nFewOffset = kDefaultDetailsOffset;
    int m_nManyOffset = kDefaultDetailsOffset;
    int m_nSeparatorX = -1;
    int m_nPressedDetails = -1;
};
