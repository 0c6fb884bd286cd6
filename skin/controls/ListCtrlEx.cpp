#include "skin/controls/ListCtrlEx.h"

#include "skin/controls/ControlArithmetic.h"
#include "skin/controls/ControlColour.h"
#include "skin/controls/SkinImage.h"
#include "skin/controls/SongListModel.h"

#include "common/Trace.h"
#include "model/SongList.h"
#include "skin/SkinChoice.h"
#include "skin/SkinDescription.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <exception>
#include <string>
#include <utility>

namespace {

// The widths of the number, song and singer columns; the details column
// takes the rest.
constexpr int kClassicColumns[] = {40, 118, 85};
constexpr int kOrangeColumns[] = {40, 130, 90};

}  // namespace

CListCtrlEx::CListCtrlEx(QWidget* parent, int listKind) : CSkinnedItemView(parent), m_nListKind(listKind)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The skin's list background has no room for a header; the panel may
    // show it. Its sections can be dragged.
    header()->hide();
    header()->setSectionsMovable(true);
    header()->setStretchLastSection(false);
    header()->setMinimumSectionSize(0);
    m_look.font = RowFont();
    m_pDelegate = new CSongRowDelegate(m_look, this);
    setItemDelegate(m_pDelegate);
}

CListCtrlEx::~CListCtrlEx() = default;

void CListCtrlEx::SetSongList(CSongList* list)
{
    m_pModel = list != nullptr ? new CSongListModel(*list, this) : nullptr;
    ReplaceModel(m_pModel);
    SetHoverRow(-1);
    ApplyColumnWidths();
}

void CListCtrlEx::ApplyColumnWidths()
{
    const int* widths = m_look.skin2 ? kClassicColumns : kOrangeColumns;
    for (int column = 0; m_pModel != nullptr && column < 3; ++column)
        header()->resizeSection(column, widths[column]);
    updateGeometries();
}

void CListCtrlEx::updateGeometries()
{
    // The details column takes what the others leave of the width.
    if (m_pModel != nullptr) {
        int others = 0;
        for (int column = 0; column < CSongListModel::kColumnIcon; ++column)
            others += header()->sectionSize(column);
        header()->resizeSection(CSongListModel::kColumnIcon, std::max(0, viewport()->width() - others));
    }
    CSkinnedItemView::updateGeometries();
}

void CListCtrlEx::SetSkin(const CSkinDescription& skin, std::string_view section)
{
    m_look.skin2 = IsClassicFamily(skin.Paths().Folder());
    m_look.icons.Load(skin, devicePixelRatioF());
    const std::string background = skin.Name(section).empty() ? std::string() : skin.BitmapFile(section);
    m_look.background = QPixmap::fromImage(ScreenPicture(LoadSkinImage(background, "CListCtrlEx::SetSkin")));
    m_look.selectionBar = SelectionBar(skin);
    ApplyColumnWidths();
    viewport()->update();
}

void CListCtrlEx::SetPlayIcon(int row)
{
    if (m_pModel == nullptr)
        return;
    CSongList& list = m_pModel->List();
    try {
        CMFAutoLock lock(list);
        const int count = list.GetCount();
        for (int i = 0; i < count; ++i) {
            St_SongInfo song;
            list.GetAt(i, song);
            std::string mark = i == row ? kPlayingMark : "0";
            if (song.playing == mark)
                continue;
            song.playing = std::move(mark);
            list.SetAt(i, song);
        }
        list.AdjustPlayingItem();
    } catch (const std::exception&) {
        Trace("ListCtrl SetPlayIcon exception!");
    }
    // Shown at once, not only when the news of the change arrives.
    m_pModel->Refresh();
}

void CListCtrlEx::SetListPlays(bool plays)
{
    m_look.listPlays = plays;
    viewport()->update();
}

void CListCtrlEx::SetDetailsOffsets(int fewSongs, int manySongs)
{
    m_nFewOffset = fewSongs;
    m_nManyOffset = manySongs;
    viewport()->update();
}

int CListCtrlEx::DetailsOffset() const
{
    return ListDetailsOffset(m_pModel != nullptr ? m_pModel->rowCount() : 0, m_nFewOffset, m_nManyOffset);
}

void CListCtrlEx::SetSeparatorX(int x)
{
    m_nSeparatorX = x;
    viewport()->update();
}

QRect CListCtrlEx::DetailsButtonRect(int row) const
{
    if (m_pModel == nullptr || row < 0 || row >= m_pModel->rowCount())
        return {};
    return ListDetailsButtonRect(RowRect(m_pModel->index(row, 0)), DetailsOffset());
}

int CListCtrlEx::DetailsButtonAt(const QPoint& point) const
{
    const QModelIndex index = indexAt(point);
    return index.isValid() && DetailsButtonRect(index.row()).contains(point) ? index.row() : -1;
}

void CListCtrlEx::SetHoverRow(int row)
{
    if (row == m_look.hoverRow)
        return;
    for (const int changed : {m_look.hoverRow, row}) {
        if (changed >= 0 && m_pModel != nullptr && changed < m_pModel->rowCount())
            viewport()->update(RowRect(m_pModel->index(changed, 0)));
    }
    m_look.hoverRow = row;
    SetTip(row >= 0 ? QStringLiteral("详细") : QString());
}

void CListCtrlEx::PaintBackground(QPainter& painter, const QRect& area) const
{
    if (m_look.background.isNull()) {
        painter.fillRect(area, palette().color(QPalette::Base));
        return;
    }
    // The stripes of the background stay with their rows as they scroll.
    const int height = LayoutSize(m_look.background).height();
    const int shift = int((static_cast<long long>(ScrollPosition()) * kListRowHeight) % height);
    painter.drawTiledPixmap(viewport()->rect(), m_look.background, QPoint(0, shift));
}

void CListCtrlEx::paintEvent(QPaintEvent* event)
{
    m_look.detailsOffset = DetailsOffset();
    {
        QPainter painter(viewport());
        painter.setClipRegion(event->region());
        PaintBackground(painter, event->rect());
    }
    CSkinnedItemView::paintEvent(event);
    if (m_nSeparatorX >= 0) {
        QPainter painter(viewport());
        painter.setPen(ColorRefToQColor(kItemSeparator));
        painter.drawLine(m_nSeparatorX, 0, m_nSeparatorX, kListSeparatorBottom);
    }
}

void CListCtrlEx::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (painter == nullptr) {
        Trace("CListCtrlEx::DrawItem DC is Null!");
        return;
    }
    if (!index.isValid()) {
        Trace("CListCtrlEx::DrawItem nItem < 0!");
        return;
    }
    try {
        const QRect row = RowRect(index);
        const bool selected = selectionModel() != nullptr && selectionModel()->isRowSelected(index.row(), {});
        m_pDelegate->PaintRowBack(*painter, row, selected);
        QStyleOptionViewItem cell = option;
        cell.state.setFlag(QStyle::State_Selected, selected);
        const QHeaderView* head = header();
        for (int column = 0; column < CSongListModel::kColumnCount; ++column) {
            if (head->isSectionHidden(column))
                continue;
            cell.rect = QRect(head->sectionViewportPosition(column), row.top(), head->sectionSize(column), row.height());
            m_pDelegate->paint(painter, cell, index.siblingAtColumn(column));
        }
        m_pDelegate->PaintRowFront(*painter, row, index.row(), index.data(CSongListModel::kPlayingRole).toBool(),
                                   head->sectionViewportPosition(CSongListModel::kColumnSong));
    } catch (const std::exception& error) {
        // The row stays as drawn so far.
        Trace("CListCtrlEx::DrawItem exception! %s", error.what());
    }
}

void CListCtrlEx::mouseMoveEvent(QMouseEvent* event)
{
    SetHoverRow(DetailsButtonAt(event->position().toPoint()));
    CSkinnedItemView::mouseMoveEvent(event);
}

void CListCtrlEx::mousePressEvent(QMouseEvent* event)
{
    m_nPressedDetails = event->button() == Qt::LeftButton ? DetailsButtonAt(event->position().toPoint()) : -1;
    CSkinnedItemView::mousePressEvent(event);
}

void CListCtrlEx::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = m_nPressedDetails;
    m_nPressedDetails = -1;
    CSkinnedItemView::mouseReleaseEvent(event);
    if (pressed >= 0 && event->button() == Qt::LeftButton && DetailsButtonAt(event->position().toPoint()) == pressed &&
        m_pOwner != nullptr)
        m_pOwner->OnSongDetails(m_nListKind, pressed);
}

void CListCtrlEx::mouseDoubleClickEvent(QMouseEvent* event)
{
    CSkinnedItemView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton && m_pOwner != nullptr)
        m_pOwner->OnRowDoubleClicked(m_nListKind, index.row());
}

void CListCtrlEx::keyPressEvent(QKeyEvent* event)
{
    const int row = currentIndex().isValid() ? currentIndex().row() : -1;
    if (m_pOwner != nullptr && m_pOwner->OnListKey(m_nListKind, row, event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    CSkinnedItemView::keyPressEvent(event);
}

void CListCtrlEx::contextMenuEvent(QContextMenuEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    if (m_pOwner != nullptr)
        m_pOwner->OnListContextMenu(m_nListKind, index.isValid() ? index.row() : -1, event->globalPos());
    event->accept();
}

void CListCtrlEx::MouseLeft() { SetHoverRow(-1); }
