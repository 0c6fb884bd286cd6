#include "skin/controls/SkinnedItemView.h"

#include "skin/controls/ControlArithmetic.h"
#include "skin/controls/SkinImage.h"

#include "skin/ProgramResources.h"
#include "skin/SkinChoice.h"
#include "skin/SkinDescription.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

CSkinnedItemView::CSkinnedItemView(QWidget* parent) : QTreeView(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    // The rows paint the background themselves, down to the bottom.
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    const QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &CSkinnedItemView::NotifyScroll);
    connect(bar, &QScrollBar::rangeChanged, this, &CSkinnedItemView::NotifyScroll);
}

CSkinnedItemView::~CSkinnedItemView() = default;

int CSkinnedItemView::ScrollPosition() const { return verticalScrollBar()->value(); }

int CSkinnedItemView::ScrollMaximum() const { return verticalScrollBar()->maximum(); }

int CSkinnedItemView::ScrollPage() const { return verticalScrollBar()->pageStep(); }

void CSkinnedItemView::SetScrollPosition(int position)
{
    verticalScrollBar()->setValue(std::clamp(position, 0, ScrollMaximum()));
}

void CSkinnedItemView::ScrollRows(int delta)
{
    // Wide sum: a caller's large step must not wrap.
    SetScrollPosition(int(std::clamp<long long>(static_cast<long long>(ScrollPosition()) + delta, 0, ScrollMaximum())));
}

void CSkinnedItemView::NotifyScroll() { emit scrollChanged(ScrollPosition(), ScrollMaximum(), ScrollPage()); }

QFont CSkinnedItemView::RowFont()
{
    QFont font = QApplication::font();
    font.setWeight(QFont::Normal);
    return FontOfLogicalHeight(font, -12);
}

QPixmap CSkinnedItemView::SelectionBar(const CSkinDescription& skin)
{
    if (!IsClassicFamily(skin.Paths().Folder()))
        return {};
    return QPixmap::fromImage(ScreenPicture(
        LoadSkinImage(ResourceBitmapFile(skin.Paths().Root(), kResSelectionBar), "CSkinnedItemView::SelectionBar")));
}

void CSkinnedItemView::ReplaceModel(QAbstractItemModel* model)
{
    QAbstractItemModel* oldModel = this->model();
    QItemSelectionModel* oldSelection = selectionModel();
    setModel(model);
    // The view does not delete the selection model it made for the old one.
    delete oldSelection;
    if (oldModel != nullptr && oldModel->parent() == this)
        delete oldModel;
}

void CSkinnedItemView::SetTip(const QString& tip)
{
    if (tip == m_strTip)
        return;
    m_strTip = tip;
    if (tip.isEmpty())
        QToolTip::hideText();
}

QRect CSkinnedItemView::RowRect(const QModelIndex& index) const
{
    const QRect item = visualRect(index);
    return {0, item.top(), viewport()->width(), item.height()};
}

bool CSkinnedItemView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        MouseLeft();
    // Only the buttons have tips; the items themselves have none.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (m_strTip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), m_strTip, viewport());
        return true;
    }
    return QTreeView::viewportEvent(event);
}

void CSkinnedItemView::updateGeometries()
{
    QTreeView::updateGeometries();
    // The rows are laid out to the view's width: nothing to scroll sideways
    // (a click on the last column would otherwise shift the rows).
    horizontalScrollBar()->setRange(0, 0);
}

void CSkinnedItemView::drawBranches(QPainter*, const QRect&, const QModelIndex&) const
{
    // No branch lines or expand marks: the rows draw all there is.
}
