#pragma once
// The eight 16 × 16 icons of the song list and the album tree, loaded from
// the sections "Icon0" … "Icon4" of a skin. A missing icon file leaves that
// icon undrawn.

#include <QPixmap>

#include <array>

class CSkinDescription;
class QPainter;
class QPoint;

enum class ItemIcon {
    Details,        // "Icon0": the details button of a song
    DetailsOver,    // "Icon00": under the mouse
    PlayMark,       // "Icon1": in front of the playing song
    Manage,         // "Icon2": the manage button of an album
    ManageOver,     // "Icon20"
    PlayAlbum,      // "Icon3": the play-album button of an album
    PlayAlbumOver,  // "Icon30"
    Album,          // "Icon4": in front of an album's name
};

class CItemIcons {
public:
    // Loads every icon afresh for screens of `devicePixelRatio`.
    void Load(const CSkinDescription& skin, qreal devicePixelRatio);
    bool Has(ItemIcon icon) const { return !m_icons[Slot(icon)].isNull(); }
    // Draws the icon at 16 × 16; nothing for a missing one.
    void Draw(QPainter& painter, ItemIcon icon, const QPoint& topLeft) const;

private:
    static size_t Slot(ItemIcon icon) { return static_cast<size_t>(icon); }
    std::array<QPixmap, 8> m_icons;
};
