#include "tools/gallery/ItemViewSheet.h"

#include "tools/gallery/GallerySheet.h"

#include "common/Text.h"
#include "skin/SkinDescription.h"
#include "skin/controls/AlbumTreeModel.h"
#include "skin/controls/ListCtrlEx.h"
#include "skin/controls/SongListModel.h"
#include "skin/controls/VividTree.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kGap = 14;
constexpr int kCaptionHeight = 34;

struct SongText {
    const char* name;
    const char* singer;
};

constexpr SongText kSongs[] = {
    {"晚风吹过的街", "林小夕"},  {"星河入梦", "周一禾"},    {"灯塔", "林一"},
    {"雨后的小镇", "沈默"},      {"旧时光", "陈未央"},      {"一路向北的列车与远方的海", "Tonvik Band"},
    {"月光码头", "苏念"},        {"夏夜晚风", "许安"},      {"山谷回声", "陆遥"},
    {"在云端", "白鹭"},          {"慢慢走", "林小夕"},      {"Morning Light", "Aria"},
};

St_SongInfo Song(int i)
{
    St_SongInfo song;
    song.id = std::to_string(100000 + i);
    song.name = Cp936(kSongs[i % std::size(kSongs)].name);
    song.singer = Cp936(kSongs[i % std::size(kSongs)].singer);
    return song;
}

St_Album Album(const char* id, const char* name, int first, int count)
{
    St_Album album;
    album.albumId = id;
    album.albumName = Cp936(name);
    for (int i = 0; i < count; ++i)
        album.songs.Add(Song(first + i));
    return album;
}

// The mouse stands still over `point` of a view.
void HoverAt(QAbstractItemView* view, QPoint point)
{
    QMouseEvent move(QEvent::MouseMove, point, view->viewport()->mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &move);
}

QLabel* Caption(QWidget* parent, const QString& text, QPoint at)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: #c8c8c8; font-size: 10px;"));
    label->move(at);
    label->adjustSize();
    return label;
}

}  // namespace

CItemViewSheet::CItemViewSheet(const std::string& root) : m_root(root)
{
    for (int i = 0; i < int(std::size(kSongs)); ++i)
        songs.Add(Song(i));
    albums.Add(Album("17", "我喜欢的音乐", 0, 5));
    albums.Add(Album("23", "旅途中的歌", 5, 3));
    albums.Add(Album("31", "夜晚", 8, 0));

    auto* title = new QLabel(QStringLiteral("CListCtrlEx and VividTree over the my-music panel of each skin"), this);
    title->setStyleSheet(QStringLiteral("color: #f0f0f0; font-weight: bold;"));
    title->move(kGap, kGap);
    title->adjustSize();
    AddSkin("Skin2", 40);
    AddSkin("Skin", 40 + 360 + kCaptionHeight + kGap);
}

void CItemViewSheet::AddSkin(const std::string& folder, int top)
{
    const CSkinDescription skin(m_root, folder);
    m_bLoaded = m_bLoaded && skin.Loaded();
    const QImage panel = QImage(QString::fromStdString(skin.BitmapFile("Wnd1")));
    const QSize panelSize = panel.isNull() ? QSize(355, 360) : panel.size();

    // The panel's background, shown as a picture behind each view.
    auto backdrop = [&](int left) {
        auto* back = new QLabel(this);
        back->setPixmap(QPixmap::fromImage(panel));
        back->setGeometry(left, top, panelSize.width(), panelSize.height());
        return back;
    };

    QLabel* listBack = backdrop(kGap);
    auto* list = new CListCtrlEx(listBack, 0);
    list->setGeometry(skin.Rect("List100"));
    list->SetSkin(skin, "List100");
    list->SetSongList(&songs);
    list->SetListPlays(true);
    list->SetPlayIcon(2);
    list->selectionModel()->select(list->SongModel()->index(4, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list->SetSeparatorX(list->header()->sectionViewportPosition(3) - 1);
    HoverAt(list, list->DetailsButtonRect(0).center());
    Caption(this,
            QString::fromStdString("\"" + folder + "\" list: 12 songs, row 3 playing, row 5 selected,\n"
                                   "the details button of row 1 under the mouse (tip \"详细\")"),
            QPoint(kGap, top + panelSize.height() + 4));

    const int treeLeft = kGap + panelSize.width() + kGap;
    QLabel* treeBack = backdrop(treeLeft);
    auto* tree = new VividTree(treeBack);
    tree->setGeometry(skin.Rect("List102"));
    tree->SetSkin(skin, "List102");
    tree->SetAlbumList(&albums);
    tree->expandAll();
    tree->SetPlayIcon({0, 1, CAlbumTreeModel::kSongItemData});
    tree->selectionModel()->select(tree->AlbumModel()->SongIndex(0, 3), QItemSelectionModel::Select);
    HoverAt(tree, tree->ButtonRect({1, -1, 1023}, TreeButton::PlayAlbum).center());
    Caption(this,
            QString::fromStdString("\"" + folder + "\" tree: three albums, song 2 of the first playing,\n"
                                   "song 4 selected, the play-album button of the second under the mouse"),
            QPoint(treeLeft, top + panelSize.height() + 4));
    resize(std::max(width(), treeLeft + panelSize.width() + kGap), top + panelSize.height() + kCaptionHeight + kGap);
}

QImage CItemViewSheet::Shoot()
{
    QCoreApplication::processEvents();
    return grab().toImage();
}

void CItemViewSheet::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintSheetBackground(painter, rect());
}
