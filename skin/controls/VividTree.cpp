#include "skin/controls/VividTree.h"

#include "skin/controls/AlbumTreeModel.h"
#include "skin/controls/ControlColour.h"

#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "common/WindowMessage.h"
#include "model/AlbumList.h"
#include "skin/SkinChoice.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <exception>
#include <utility>

VividTree::VividTree(QWidget* parent) : CSkinnedItemView(parent)
{
    header()->hide();
    setRootIsDecorated(false);
    setIndentation(16);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_look.font = RowFont();
    m_pDelegate = new CAlbumItemDelegate(m_look, this);
    setItemDelegate(m_pDelegate);
}

VividTree::~VividTree() = default;

void VividTree::SetAlbumList(CAlbumList* albums)
{
    m_pModel = albums != nullptr ? new CAlbumTreeModel(*albums, this) : nullptr;
    ReplaceModel(m_pModel);
    SetHover({}, TreeButton::None);
}

void VividTree::SetSkin(const CSkinDescription& skin, std::string_view section)
{
    m_look.skin2 = IsClassicFamily(skin.Paths().Folder());
    m_look.icons.Load(skin, devicePixelRatioF());
    m_look.colours = skin.TreeColours(section);
    m_look.selectionBar = SelectionBar(skin);
    viewport()->update();
}

void VividTree::SetPlayIcon(const TreeItemRef& song)
{
    if (m_pModel == nullptr)
        return;
    CAlbumList& albums = m_pModel->Albums();
    try {
        CMFAutoLock lock(albums);
        for (int a = 0; a < albums.GetCount(); ++a) {
            St_Album album = albums.GetAt(a);
            bool changed = false;
            for (int s = 0; s < album.songs.GetCount(); ++s) {
                St_SongInfo info;
                album.songs.GetAt(s, info);
                std::string mark = song.IsSong() && a == song.album && s == song.song ? kPlayingMark : "0";
                if (info.playing == mark)
                    continue;
                info.playing = std::move(mark);
                album.songs.SetAt(s, info);
                changed = true;
            }
            if (changed) {
                album.songs.AdjustPlayingItem();
                albums.SetAt(a, album);
            }
        }
    } catch (const std::exception&) {
        Trace("CTreeCtrl SetPlayIcon exception!");
    }
    m_pModel->Refresh();
}

QModelIndex VividTree::IndexOf(const TreeItemRef& item) const
{
    if (m_pModel == nullptr)
        return {};
    return item.IsSong() ? m_pModel->SongIndex(item.album, item.song) : m_pModel->AlbumIndex(item.album);
}

QRect VividTree::ButtonRect(const TreeItemRef& item, TreeButton button) const
{
    const QModelIndex index = IndexOf(item);
    const QRect rect = visualRect(index);
    return index.isValid() && !rect.isEmpty() ? TreeButtonRect(rect, button) : QRect();
}

TreeItemRef VividTree::ItemAt(const QPoint& point, TreeButton* button) const
{
    const QModelIndex index = indexAt(point);
    const TreeItemRef item = m_pModel != nullptr ? m_pModel->ItemOf(index) : TreeItemRef();
    *button = index.isValid() ? TreeButtonAt(visualRect(index), item.IsAlbum(), point) : TreeButton::None;
    return item;
}

void VividTree::UpdateItem(const TreeItemRef& item)
{
    const QModelIndex index = IndexOf(item);
    if (index.isValid())
        viewport()->update(RowRect(index));
}

void VividTree::SetHover(const TreeItemRef& item, TreeButton button)
{
    if (item == m_look.hoverItem && button == m_look.hoverButton)
        return;
    UpdateItem(m_look.hoverItem);
    m_look.hoverItem = item;
    m_look.hoverButton = button;
    UpdateItem(item);
    SetTip(TreeButtonTip(button));
}

void VividTree::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(viewport());
        painter.fillRect(event->rect(), ColorRefToQColor(m_look.colours.background));
    }
    CSkinnedItemView::paintEvent(event);
}

void VividTree::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (painter == nullptr || m_pModel == nullptr || !index.isValid())
        return;
    try {
        const bool selected = selectionModel() != nullptr && selectionModel()->isSelected(index);
        const TreeItemRef item = m_pModel->ItemOf(index);
        m_pDelegate->PaintRowBack(*painter, RowRect(index), item.IsAlbum(), selected);
        QStyleOptionViewItem itemOption = option;
        itemOption.rect = visualRect(index);
        itemOption.state.setFlag(QStyle::State_Selected, selected);
        m_pDelegate->paint(painter, itemOption, index);
    } catch (const std::exception& error) {
        Trace("tree DrawItems exception! %s", error.what());
    }
}

void VividTree::mouseMoveEvent(QMouseEvent* event)
{
    TreeButton button = TreeButton::None;
    const TreeItemRef item = ItemAt(event->position().toPoint(), &button);
    SetHover(item, button);
    CSkinnedItemView::mouseMoveEvent(event);
}

void VividTree::MouseLeft() { SetHover({}, TreeButton::None); }

void VividTree::mousePressEvent(QMouseEvent* event)
{
    m_pressedButton = TreeButton::None;
    if (event->button() == Qt::LeftButton)
        m_pressedItem = ItemAt(event->position().toPoint(), &m_pressedButton);
    CSkinnedItemView::mousePressEvent(event);
}

void VividTree::mouseReleaseEvent(QMouseEvent* event)
{
    const TreeButton pressed = std::exchange(m_pressedButton, TreeButton::None);
    CSkinnedItemView::mouseReleaseEvent(event);
    TreeButton released = TreeButton::None;
    const TreeItemRef item = ItemAt(event->position().toPoint(), &released);
    if (event->button() != Qt::LeftButton || pressed == TreeButton::None || released != pressed ||
        !(item == m_pressedItem) || m_pOwner == nullptr)
        return;
    switch (pressed) {
    case TreeButton::Manage: m_pOwner->OnManageAlbum(item); break;
    case TreeButton::PlayAlbum: m_pOwner->OnPlayAlbum(item); break;
    case TreeButton::Details: m_pOwner->OnSongDetails(item); break;
    case TreeButton::None: break;
    }
}

void VividTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    CSkinnedItemView::mouseDoubleClickEvent(event);
    TreeButton button = TreeButton::None;
    const TreeItemRef item = ItemAt(event->position().toPoint(), &button);
    if (event->button() == Qt::LeftButton && item.album >= 0 && m_pOwner != nullptr)
        m_pOwner->OnItemDoubleClicked(item);
}

void VividTree::keyPressEvent(QKeyEvent* event)
{
    const TreeItemRef item = m_pModel != nullptr ? m_pModel->ItemOf(currentIndex()) : TreeItemRef();
    if (m_pOwner != nullptr && m_pOwner->OnTreeKey(item, event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    CSkinnedItemView::keyPressEvent(event);
}

void VividTree::contextMenuEvent(QContextMenuEvent* event)
{
    TreeButton button = TreeButton::None;
    const TreeItemRef item = ItemAt(event->pos(), &button);
    if (m_pOwner != nullptr)
        m_pOwner->OnTreeContextMenu(item, event->globalPos());
    event->accept();
}

// ---- Renaming an album in place ----------------------------------------------

bool VividTree::EditLabel(int album, bool newAlbum)
{
    const QModelIndex index = m_pModel != nullptr ? m_pModel->AlbumIndex(album) : QModelIndex();
    if (!index.isValid())
        return false;
    Trace("OnBeginlabeledit");
    m_editIndex = index;
    m_bNewAlbum = newAlbum;
    m_bAccepted = m_bRefused = false;
    setCurrentIndex(index);
    scrollTo(index);
    edit(index);
    return IsEditingLabel();
}

bool VividTree::IsEditingLabel() const
{
    return m_editIndex.isValid() && state() == QAbstractItemView::EditingState;
}

void VividTree::EndLabelEdit()
{
    if (!IsEditingLabel())
        return;
    // The editor is the one line box on the rows.
    auto* editor = viewport()->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
    if (editor == nullptr)
        return;
    m_bEndingForPageChange = true;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
    m_bEndingForPageChange = false;
}

std::string VividTree::TakeLabelEditText() { return std::exchange(m_strEditText, std::string()); }

void VividTree::commitData(QWidget* editor)
{
    // While the notice of a refusal is up the editor loses the focus: that
    // is no answer from the user.
    if (m_bShowingNotice)
        return;
    const auto* line = qobject_cast<QLineEdit*>(editor);
    if (line == nullptr)
        return;
    const bool onAlbumPage = !m_bEndingForPageChange && (m_pOwner == nullptr || m_pOwner->IsAlbumPageShown());
    const AlbumNameCheck check = CheckAlbumName(line->text(), onAlbumPage);
    if (check.verdict != AlbumNameVerdict::Accepted) {
        m_bRefused = true;
        if (m_pOwner != nullptr) {
            m_bShowingNotice = true;
            m_pOwner->ShowNotice(ToAnsi(AlbumNameNotice(check.verdict)));
            m_bShowingNotice = false;
        }
        KeepEditing(editor);
        return;
    }
    m_bAccepted = true;
    m_strAccepted = check.name;
}

void VividTree::KeepEditing(QWidget* editor)
{
    // The item stays in edit with the name selected, to be typed anew.
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setFocus(Qt::OtherFocusReason);
        line->selectAll();
    }
}

void VividTree::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (m_bShowingNotice)
        return;
    if (std::exchange(m_bRefused, false)) {
        KeepEditing(editor);
        return;
    }
    const QPersistentModelIndex edited = m_editIndex;
    m_editIndex = QPersistentModelIndex();
    CSkinnedItemView::closeEditor(editor, hint);
    Trace("OnEndlabeledit");
    const bool accepted = std::exchange(m_bAccepted, false);
    // A cancelled rename changes nothing; a new album still needs its name
    // (the panel gives it the default one).
    if ((!accepted && !m_bNewAlbum) || !edited.isValid() || m_pModel == nullptr)
        return;
    m_strEditText = accepted ? ToAnsi(m_strAccepted) : std::string();
    const TreeItemRef item = m_pModel->ItemOf(edited);
    if (parentWidget() != nullptr)
        SendMessage(parentWidget(), m_bNewAlbum ? WM_PANEL_ALBUMNAMED : WM_PANEL_ALBUMRENAMED, WPARAM(item.album),
                    LPARAM(item.itemData));
}
