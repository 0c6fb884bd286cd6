#pragma once
// The album tree as the album logic sees it (the tree part of IAlbumView):
// items known by handles, inserted, renamed, given data and deleted one by
// one, while the skinned tree itself shows an album list. This class keeps
// that list, the albums as the tree shows them, apart from the album
// manager's (a new album has an item before it exists at the service), and
// gives each album item a handle; a song item's handle is its album's plus
// its position (1 = first). A rebuild gives every album a new handle, so a
// handle kept across it names no item any more.

#include "albums/AlbumPorts.h"
#include "model/AlbumList.h"
#include "skin/controls/AlbumTreeModel.h"
#include "skin/controls/ItemViewOwners.h"

#include <string>
#include <vector>

// The tree control, as this class drives it.
class IAlbumTreeControl {
public:
    virtual ~IAlbumTreeControl() = default;
    // The current item and every selected item (album -1: none).
    virtual TreeItemRef CurrentItem() const = 0;
    virtual std::vector<TreeItemRef> SelectedItems() const = 0;
    // Makes `item` the current and only selected item, in sight.
    virtual void Select(const TreeItemRef& item) = 0;
    virtual void Expand(int album) = 0;
    virtual void SetPlayIcon(const TreeItemRef& song) = 0;
    // Starts naming the album at `album`: a new one or a rename.
    virtual bool EditLabel(int album, bool newAlbum) = 0;
    // The name the last label edit ended with, handed over once.
    virtual std::string TakeEditedName() = 0;
};

class CAlbumTreeItems {
public:
    explicit CAlbumTreeItems(IAlbumTreeControl& control);
    CAlbumTreeItems(const CAlbumTreeItems&) = delete;
    CAlbumTreeItems& operator=(const CAlbumTreeItems&) = delete;

    // The albums the tree shows (hand it to the tree control).
    CAlbumList& Shown() { return m_shown; }

    // The handle of an album item at `album`, of a song item (song >= 0),
    // and the place of a handle; kNoAlbumItem / album -1 when there is none.
    AlbumItem HandleOf(const TreeItemRef& item) const;
    TreeItemRef PlaceOf(AlbumItem item) const;

    // A new album item being named, in a tree emptied first.
    AlbumItem StartNewAlbum(const std::string& defaultName);
    bool EditName(AlbumItem album);

    // IAlbumView's tree.
    void Rebuild(const CAlbumList& albums);
    void RebuildSongs(AlbumItem album, const St_Album& songs);
    AlbumItem AlbumItemAt(int index) const;
    AlbumItem Insert(const std::string& name, long long data);
    void Delete(AlbumItem item);
    long long ItemData(AlbumItem item) const;
    void SetItemData(AlbumItem item, long long data);
    void SetName(AlbumItem album, const std::string& name);
    void MarkPlaying(AlbumItem album, int position);
    void Expand(AlbumItem album);
    void Select(AlbumItem item);
    bool SelectSong(AlbumItem album, int position);
    St_AlbumSelection Selection() const;
    std::string TakeLabelEditText() { return m_control.TakeEditedName(); }

private:
    // Song handles lie between two album handles.
    static constexpr AlbumItem kHandleStep = 1000;

    int IndexOf(AlbumItem album) const;
    AlbumItem NewHandle() { return m_nextHandle += kHandleStep; }

    IAlbumTreeControl& m_control;
    CAlbumList m_shown;
    std::vector<AlbumItem> m_handles;  // one per shown album, in order
    AlbumItem m_nextHandle = 0;
};
