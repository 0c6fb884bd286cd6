#pragma once
// VividTree: the skinned album tree of the my-music panel. An item per
// album of the signed-in user and under it an item per song, drawn in the
// colours of the skin's "List102" section, with the manage and play-album
// buttons on albums and the details button on songs. Clicks on them,
// double clicks, keys and right clicks go to its owner. Albums are renamed
// in place: the name typed is checked, then handed to the tree's parent
// (the panel) with message 0x040F for a new album or 0x0436 for a renamed
// one; the panel changes the album list.

#include "skin/controls/AlbumItemDelegate.h"
#include "skin/controls/ItemViewOwners.h"
#include "skin/controls/SkinnedItemView.h"

#include <QPersistentModelIndex>

#include <string>
#include <string_view>

class CAlbumList;
class CAlbumTreeModel;
class CSkinDescription;

class VividTree : public CSkinnedItemView {
    Q_OBJECT
public:
    explicit VividTree(QWidget* parent = nullptr);
    ~VividTree() override;

    // Shows `albums` (nullptr: nothing). The list must outlive the tree or
    // be taken away first.
    void SetAlbumList(CAlbumList* albums);
    CAlbumTreeModel* AlbumModel() const { return m_pModel; }

    // The icons of the skin's "Icon" sections and the colours of `section`
    // ("List102"); in the "Skin2" family also the selection bar.
    void SetSkin(const CSkinDescription& skin, std::string_view section);
    void SetOwner(ITreeOwner* owner) { m_pOwner = owner; }

    // Marks a song item as playing: that song's `playing` field in the album
    // list becomes "1" and that of every other song "0" (an item that is
    // no song clears the mark).
    void SetPlayIcon(const TreeItemRef& song);

    // Starts renaming an album in place: a new album (its name goes to the
    // panel as 0x040F) or an existing one (0x0436). False when there is no
    // such album.
    bool EditLabel(int album, bool newAlbum);
    bool IsEditingLabel() const;
    // Ends an open rename as the panel leaves the album page: an empty name
    // becomes the default name, nothing is refused.
    void EndLabelEdit();
    // The name the last rename ended with (CP936), handed over once.
    std::string TakeLabelEditText();

    // What is under the mouse.
    TreeItemRef HoverItem() const { return m_look.hoverItem; }
    TreeButton HoverButton() const { return m_look.hoverButton; }
    // Where `button` of an item is, in viewport coordinates (empty when the
    // item is not shown).
    QRect ButtonRect(const TreeItemRef& item, TreeButton button) const;
    const TreeLook& Look() const { return m_look; }

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

protected slots:
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    QModelIndex IndexOf(const TreeItemRef& item) const;
    // The item and button at a viewport point.
    TreeItemRef ItemAt(const QPoint& point, TreeButton* button) const;
    void SetHover(const TreeItemRef& item, TreeButton button);
    void UpdateItem(const TreeItemRef& item);
    void KeepEditing(QWidget* editor);

    CAlbumTreeModel* m_pModel = nullptr;
    CAlbumItemDelegate* m_pDelegate = nullptr;
    ITreeOwner* m_pOwner = nullptr;
    TreeLook m_look;
    TreeItemRef m_pressedItem;
    TreeButton m_pressedButton = TreeButton::None;

    // The rename in progress.
    QPersistentModelIndex m_editIndex;
    bool m_bNewAlbum = false;
    bool m_bEndingForPageChange = false;  // EndLabelEdit: nothing is refused
    bool m_bShowingNotice = false;        // a refusal's notice is up
    bool m_bRefused = false;              // the last commit was refused
    bool m_bAccepted = false;
    QString m_strAccepted;
    std::string m_strEditText;
};
