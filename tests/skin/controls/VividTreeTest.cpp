// The skinned album tree over a real album list: its buttons reach the
// owner, the playing mark goes into the album list, and renaming an album
// in place refuses bad names and hands good ones to the panel.

#include "skin/controls/AlbumTreeModel.h"
#include "skin/controls/VividTree.h"

#include "common/MessageIds.h"
#include "common/Text.h"
#include "model/AlbumList.h"
#include "skin/SkinDescription.h"
#include "tests/skin/controls/ControlTestSupport.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

St_Album Album(const std::string& id, int songs)
{
    St_Album album;
    album.albumId = id;
    album.albumName = Cp936("专辑") + id;
    for (int i = 0; i < songs; ++i) {
        St_SongInfo song;
        song.id = id + "0" + std::to_string(i);
        song.name = Cp936("歌") + std::to_string(i);
        album.songs.Add(song);
    }
    return album;
}

void SendMouse(QAbstractItemView& view, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton)
{
    QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &event);
}

class RecordingTreeOwner : public ITreeOwner {
public:
    void OnManageAlbum(const TreeItemRef& item) override { managed.push_back(item); }
    void OnPlayAlbum(const TreeItemRef& item) override { played.push_back(item); }
    void OnSongDetails(const TreeItemRef& item) override { details.push_back(item); }
    void OnItemDoubleClicked(const TreeItemRef&) override {}
    bool OnTreeKey(const TreeItemRef&, int, Qt::KeyboardModifiers) override { return false; }
    void OnTreeContextMenu(const TreeItemRef&, const QPoint&) override {}
    bool IsAlbumPageShown() const override { return albumPage; }
    void ShowNotice(const std::string& text) override { notices.push_back(FromAnsi(text)); }

    bool albumPage = true;
    std::vector<TreeItemRef> managed, played, details;
    std::vector<QString> notices;
};

class VividTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        albums.Add(Album("17", 3));
        albums.Add(Album("23", 2));
        tree = new VividTree(&parent);
        tree->SetSkin(CSkinDescription(TONVIK_DATA_DIR, "Skin2"), "List102");
        tree->setGeometry(0, 0, 314, 196);
        tree->SetOwner(&owner);
        tree->SetAlbumList(&albums);
        tree->expandAll();
        parent.show();
        QCoreApplication::processEvents();
    }
    void TearDown() override { tree->SetAlbumList(nullptr); }

    QLineEdit* Editor() const { return tree->viewport()->findChild<QLineEdit*>(); }
    // Types a name into the open editor and presses Enter.
    void Type(const QString& name)
    {
        QLineEdit* editor = Editor();
        ASSERT_NE(editor, nullptr);
        editor->setText(name);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }

    CAlbumList albums;
    CRecordingParent parent;
    RecordingTreeOwner owner;
    VividTree* tree = nullptr;
};

TEST_F(VividTreeTest, ButtonsShowTheirTipsAndReachTheOwnerWithTheirItem) {
    const QPoint play = tree->ButtonRect({1, -1, 1023}, TreeButton::PlayAlbum).center();
    SendMouse(*tree, QEvent::MouseMove, play);
    EXPECT_EQ(tree->HoverButton(), TreeButton::PlayAlbum);
    EXPECT_EQ(tree->CurrentTip(), QStringLiteral("播放专辑"));
    SendMouse(*tree, QEvent::MouseButtonPress, play, Qt::LeftButton);
    SendMouse(*tree, QEvent::MouseButtonRelease, play, Qt::LeftButton);
    ASSERT_EQ(owner.played.size(), 1u);
    EXPECT_EQ(owner.played[0], (TreeItemRef{1, -1, 1023}));
    EXPECT_EQ(albums.FindByItemData(owner.played[0].itemData), 1);

    const QPoint details = tree->ButtonRect({0, 2, CAlbumTreeModel::kSongItemData}, TreeButton::Details).center();
    SendMouse(*tree, QEvent::MouseMove, details);
    EXPECT_EQ(tree->CurrentTip(), QStringLiteral("详细"));
    SendMouse(*tree, QEvent::MouseButtonPress, details, Qt::LeftButton);
    SendMouse(*tree, QEvent::MouseButtonRelease, details, Qt::LeftButton);
    ASSERT_EQ(owner.details.size(), 1u);
    EXPECT_EQ(owner.details[0], (TreeItemRef{0, 2, CAlbumTreeModel::kSongItemData}));
    // A song has no manage button.
    EXPECT_EQ(TreeButtonAt(tree->visualRect(tree->AlbumModel()->SongIndex(0, 2)), false,
                           tree->ButtonRect({0, 2, 33}, TreeButton::Manage).center()),
              TreeButton::None);
    EXPECT_TRUE(owner.managed.empty());
}

TEST_F(VividTreeTest, MarkingASongPlayingMarksOnlyItInTheAlbumList) {
    St_Album first = albums.GetAt(0);
    St_SongInfo song;
    first.songs.GetAt(0, song);
    song.playing = kPlayingMark;
    first.songs.SetAt(0, song);
    albums.SetAt(0, first);
    tree->SetPlayIcon({1, 1, CAlbumTreeModel::kSongItemData});
    for (int a = 0; a < albums.GetCount(); ++a) {
        const St_Album album = albums.GetAt(a);
        for (int s = 0; s < album.songs.GetCount(); ++s) {
            album.songs.GetAt(s, song);
            EXPECT_EQ(song.playing, a == 1 && s == 1 ? "1" : "0") << a << "," << s;
        }
    }
    EXPECT_TRUE(tree->AlbumModel()->SongIndex(1, 1).data(CAlbumTreeModel::kPlayingRole).toBool());
}

TEST_F(VividTreeTest, ARenameOfTwentyOneCharactersIsRefusedAndKeptInEditTwentyPass) {
    ASSERT_TRUE(tree->EditLabel(1, false));
    Type(QString(21, QChar(0x6B4C)));
    EXPECT_EQ(owner.notices, std::vector<QString>{QStringLiteral("专辑名称不能超过20个字符！")});
    EXPECT_TRUE(tree->IsEditingLabel());
    EXPECT_TRUE(parent.Of(WM_PANEL_ALBUMRENAMED).empty());

    Type(QString(20, QChar(0x6B4C)));
    EXPECT_FALSE(tree->IsEditingLabel());
    const auto renamed = parent.Of(WM_PANEL_ALBUMRENAMED);
    ASSERT_EQ(renamed.size(), 1u);
    EXPECT_EQ(renamed[0].wParam, WPARAM(1));
    EXPECT_EQ(renamed[0].lParam, LPARAM(1023));
    EXPECT_EQ(tree->TakeLabelEditText(), ToAnsi(QString(20, QChar(0x6B4C))));
    EXPECT_EQ(owner.notices.size(), 1u);
}

TEST_F(VividTreeTest, AnEmptyNewAlbumNameIsRefusedOnTheAlbumPageAndDefaultedWhenLeavingIt) {
    ASSERT_TRUE(tree->EditLabel(0, true));
    Type(QString());
    EXPECT_EQ(owner.notices, std::vector<QString>{QStringLiteral("专辑名称不能为空！")});
    EXPECT_TRUE(tree->IsEditingLabel());
    tree->EndLabelEdit();
    EXPECT_FALSE(tree->IsEditingLabel());
    ASSERT_EQ(parent.Of(WM_PANEL_ALBUMNAMED).size(), 1u);
    EXPECT_EQ(tree->TakeLabelEditText(), Cp936("我的专辑"));
}

}  // namespace
