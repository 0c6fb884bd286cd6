#pragma once
// The gallery sheet of the song list and the album tree: each shipped skin's
// my-music panel background with a populated list and a populated tree in
// their places, showing a playing row, a selected row and a button under
// the mouse.

#include "model/AlbumList.h"
#include "model/SongList.h"

#include <QImage>
#include <QWidget>

#include <string>

// The lists the views show; a base, so that they outlive the views.
struct ItemViewSheetLists {
    CSongList songs;
    CAlbumList albums;
};

class CItemViewSheet : private ItemViewSheetLists, public QWidget {
public:
    // `root` holds the skin folders and the program's pictures.
    explicit CItemViewSheet(const std::string& root);

    bool Loaded() const { return m_bLoaded; }
    QImage Shoot();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void AddSkin(const std::string& folder, int top);

    std::string m_root;
    bool m_bLoaded = true;
};
