#pragma once
// What the song list and the album tree hand over to the window that owns
// them (the my-music panel): clicks on their per-item buttons, double
// clicks, keys and context menus. Every call comes on the user-interface
// thread; texts are CP936 like every text of the program.

#include <Qt>

#include <string>

class QPoint;

class IListCtrlOwner {
public:
    virtual ~IListCtrlOwner() = default;

    // The details button of `row` in the list of `listKind` was clicked.
    virtual void OnSongDetails(int listKind, int row) = 0;
    virtual void OnRowDoubleClicked(int listKind, int row) = 0;
    // A key pressed in the list; true when the owner took it, otherwise the
    // list moves its selection as usual. `row` is the current row or -1.
    virtual bool OnListKey(int listKind, int row, int key, Qt::KeyboardModifiers modifiers) = 0;
    // A right click on `row` (-1 below the rows) at a screen position.
    virtual void OnListContextMenu(int listKind, int row, const QPoint& globalPos) = 0;
};

// An item of the album tree: the album's index in the album list, the
// song's index in that album (-1 on the album's own item), and the item's
// data (1000 + album identifier on an album item).
struct TreeItemRef {
    int album = -1;
    int song = -1;
    long long itemData = 0;

    bool IsAlbum() const { return album >= 0 && song < 0; }
    bool IsSong() const { return album >= 0 && song >= 0; }
    bool operator==(const TreeItemRef&) const = default;
};

class ITreeOwner {
public:
    virtual ~ITreeOwner() = default;

    virtual void OnManageAlbum(const TreeItemRef& album) = 0;
    virtual void OnPlayAlbum(const TreeItemRef& album) = 0;
    virtual void OnSongDetails(const TreeItemRef& song) = 0;
    virtual void OnItemDoubleClicked(const TreeItemRef& item) = 0;
    // As for the list; `item` is the current item (album -1 for none).
    virtual bool OnTreeKey(const TreeItemRef& item, int key, Qt::KeyboardModifiers modifiers) = 0;
    virtual void OnTreeContextMenu(const TreeItemRef& item, const QPoint& globalPos) = 0;

    // Whether the album page is shown: there a refused album name keeps the
    // label edit open.
    virtual bool IsAlbumPageShown() const = 0;
    // Shows a notice in the program's message window.
    virtual void ShowNotice(const std::string& text) = 0;
};
