// The my-music window over its logic: the skin's places, the pages its tabs
// open, and what the user's clicks in the views reach.

#include "PanelFakes.h"

#include "albums/ListManage.h"
#include "platform/Profile.h"
#include "skin/SkinDescription.h"
#include "skin/controls/BitmapSlider.h"
#include "skin/controls/ListCtrlEx.h"
#include "skin/controls/SkinButtonEx.h"
#include "skin/controls/VividTree.h"
#include "tests/support/AccessibleTree.h"
#include "tools/standin/ProgramFolder.h"
#include "tools/support/QuietPlayerPorts.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// The frame: messages are recorded; a question is a real modal box over
// its owner, answered as the user does: a timer finds the modal window that
// is up and clicks the button of `answer`. Player keys are recorded.
class CFakeFrame final : public CQuietFrame {
public:
    int ShowMessageWindow(QWidget* owner, const std::string& text, unsigned flags) override {
        if (flags != kMbOkCancel) {
            messages.push_back(text);
            return kIdOk;
        }
        questions.push_back(text);
        QMessageBox box(QMessageBox::Information, QStringLiteral("Tonvik Player"), FromAnsi(text),
                        QMessageBox::Ok | QMessageBox::Cancel, owner);
        const QMessageBox::StandardButton button = answer == kIdOk ? QMessageBox::Ok : QMessageBox::Cancel;
        QTimer answering;
        QObject::connect(&answering, &QTimer::timeout, [&] {
            if (auto* modal = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                answering.stop();
                QTest::mouseClick(modal->button(button), Qt::LeftButton);
            }
        });
        answering.start(50);
        return box.exec() == QMessageBox::Ok ? kIdOk : kIdCancel;
    }
    bool PerformPlayerKey(PlayerKey action) override {
        keys.push_back(action);
        return true;
    }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<PlayerKey> keys;
    int answer = kIdOk;
};

class ListManageTest : public ::testing::Test {
protected:
    static constexpr int kWaitMs = 20000;

    void SetUp() override {
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        ASSERT_TRUE(standin::PrepareProgramFolder(program.Path(), standIn.Host(), TONVIK_DATA_DIR));
        SetupWellKnownPaths(program.Path());
    }
    void TearDown() override {
        window.reset();
        standIn.Stop();
    }
    void Open(const std::string& skin) {
        window = std::make_unique<CListManage>(frame, CMessageHandle(), player, skin, nullptr, St_PanelOptions{false});
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void Click(int control) {
        QTest::mouseClick(window->Control(control), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(window.get());
    }
    // Signs in through the form; the album tree shows the albums.
    void SignIn() {
        Click(ID_TAB_ALBUMS);
        window->SetUserNameText("tester");
        window->SetPasswordText("secret123");
        Click(ID_SIGN_IN);
        ASSERT_TRUE(QTest::qWaitFor([this] { return window->Logic().Page() == kPageAlbumTree; }, kWaitMs));
        ASSERT_TRUE(window->Tree()->isVisible());
        const int albums = window->Logic().Manager().Albums().GetCount();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->Tree()->model()->rowCount() == albums; }, kWaitMs));
    }

    TempDir state;
    TempDir program;
    standin::CStandIn standIn{standin::OptionsWithState(state.Path())};
    CFakeFrame frame;
    CFakePanelPlayer player;
    std::unique_ptr<CListManage> window;
};

}  // namespace

TEST_F(ListManageTest, ControlsSitWhereEachSkinPutsThemAndTabsOpenTheirPages) {
    for (const char* skinName : {"Skin2", "Skin"}) {
        SCOPED_TRACE(skinName);
        Open(skinName);
        const CSkinDescription skin(skinName);
        EXPECT_EQ(window->size(), skin.Rect("Wnd1").size());
        EXPECT_EQ(window->Control(ID_SORT_MENU)->geometry(), skin.Rect("Btn106"));
        EXPECT_EQ(window->Control(IDC_RECOMMEND_VIEW)->geometry(), skin.Rect("List101"));
        EXPECT_EQ(window->Logic().Page(), kPageEmptyPlayList);
        EXPECT_TRUE(window->Control(ID_GO_SEARCH)->isVisible());
        EXPECT_FALSE(window->Control(IDC_PLAYLIST_VIEW)->isVisible());

        Click(ID_TAB_ALBUMS);
        EXPECT_EQ(window->Logic().Page(), kPageSignIn);
        EXPECT_TRUE(window->Control(ID_SIGN_IN)->isVisible());
        EXPECT_FALSE(window->Control(ID_GO_SEARCH)->isVisible());
        window.reset();
    }
}

TEST_F(ListManageTest, ADoubleClickOnARowPlaysItsSongAndTheScrollBarFollowsTheView) {
    std::string text;
    for (int i = 1; i <= 30; ++i) text += std::to_string(i) + "\tsong" + std::to_string(i) + "\tsinger\t\t\r\n";
    program.Write("Playlist.xls", text);
    Open("Skin2");
    ASSERT_EQ(window->Logic().Page(), kPagePlayList);
    CListCtrlEx* view = window->SongView(kListTemporary);
    ASSERT_TRUE(view->isVisible());
    const QRect second = view->visualRect(view->model()->index(1, 1));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_FALSE(player.plays.empty());
    EXPECT_EQ(player.plays.back(), (CFakePanelPlayer::St_Play{"2", 1, kListTemporary}));

    // Ten rows down by the button; the panel's scroll bar shows where.
    Click(ID_SCROLL_PAGE_DOWN);
    EXPECT_EQ(view->ScrollPosition(), 10);
    EXPECT_EQ(window->ScrollBar()->GetValue(), 10);
    EXPECT_EQ(window->ScrollBar()->Maximum(), view->ScrollMaximum());
}

// The keys of a focused song list: it moves with the arrows, Home and End,
// Enter plays as a double click does, Delete removes as the menu's "删除"
// does, and the player's keys reach the player.
TEST_F(ListManageTest, KeysMoveInTheListPlayTheRowRemoveItAndReachThePlayer) {
    std::string text;
    for (int i = 1; i <= 30; ++i) text += std::to_string(i) + "\tsong" + std::to_string(i) + "\tsinger\t\t\r\n";
    program.Write("Playlist.xls", text);
    Open("Skin2");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    CListCtrlEx* view = window->SongView(kListTemporary);
    view->setFocus(Qt::TabFocusReason);
    view->setCurrentIndex(view->model()->index(0, 1));
    const auto key = [&](Qt::Key which, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), which, modifiers);
        QCoreApplication::sendPostedEvents(window.get());
    };
    key(Qt::Key_End);
    EXPECT_EQ(view->currentIndex().row(), 29);
    key(Qt::Key_Home);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Up);
    EXPECT_EQ(view->currentIndex().row(), 1);
    key(Qt::Key_Return);
    ASSERT_FALSE(player.plays.empty());
    EXPECT_EQ(player.plays.back(), (CFakePanelPlayer::St_Play{"2", 1, kListTemporary}));

    key(Qt::Key_Delete);
    EXPECT_EQ(window->Logic().PlayList().List().GetCount(), 29);
    St_SongInfo second;
    ASSERT_TRUE(window->Logic().PlayList().List().GetAt(1, second));
    EXPECT_EQ(second.id, "3");
    EXPECT_TRUE(frame.questions.empty()) << "the menu's delete asks nothing either";

    key(Qt::Key_Space);
    key(Qt::Key_Right, Qt::ControlModifier);
    key(Qt::Key_M);
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(frame.keys, (std::vector<PlayerKey>{PlayerKey::PlayPause, PlayerKey::Next, PlayerKey::Mute,
                                                  PlayerKey::FocusSearch}));
    // The focus off the list (the panel itself): the arrows are the player's.
    window->setFocus(Qt::OtherFocusReason);
    key(Qt::Key_Up);
    key(Qt::Key_Left);
    EXPECT_EQ(frame.keys.size(), 6u);
    EXPECT_EQ(frame.keys.back(), PlayerKey::SeekBack);

    // Tab walks the page's controls: the tabs first, then the view.
    window->setFocus(Qt::OtherFocusReason);
    key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->Control(ID_TAB_PLAYLIST));
    for (int i = 0; i < 3; ++i) key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view);
}

// A screen reader walking the panel: the tabs by name, the rows of the
// play list and the songs of the album tree as "title — singer".
TEST_F(ListManageTest, ScreenReadersReadTheTabsAndEverySongAsTitleAndSinger) {
    program.Write("Playlist.xls", "1\tsong1\tsinger1\t\t\r\n2\tsong2\tsinger2\t\t\r\n");
    Open("Skin2");
    AccessibleTree tree = WalkAccessibleTree(window.get());
    for (auto [tab, name] : {std::pair{ID_TAB_PLAYLIST, "播放列表"}, std::pair{ID_TAB_RECOMMEND, "随意听"},
                             std::pair{ID_TAB_ALBUMS, "我的专辑"}}) {
        ASSERT_TRUE(tree.byObject.count(window->Control(tab))) << tab;
        EXPECT_EQ(tree.byObject.at(window->Control(tab))->role(), QAccessible::Button);
        EXPECT_EQ(tree.byObject.at(window->Control(tab))->text(QAccessible::Name), QString::fromUtf8(name));
    }
    EXPECT_EQ(tree.byObject.at(window->Control(ID_SORT_MENU))->text(QAccessible::Name), QStringLiteral("排序"));
    QAccessibleInterface* list = tree.byObject.at(window->SongView(kListTemporary));
    EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("播放列表"));
    std::vector<QString> cells;
    for (QAccessibleInterface* node : tree.all)
        if (node->text(QAccessible::Name).contains(QStringLiteral(" — "))) cells.push_back(node->text(QAccessible::Name));
    EXPECT_EQ(cells, (std::vector<QString>{QStringLiteral("song1 — singer1"), QStringLiteral("song2 — singer2")}));
    QAccessibleInterface* scroll = tree.byObject.at(window->ScrollBar());
    EXPECT_EQ(scroll->role(), QAccessible::Slider);
    EXPECT_NE(scroll->valueInterface(), nullptr);

    ASSERT_NO_FATAL_FAILURE(SignIn());
    const St_Album album = window->Logic().Manager().Albums().GetAt(0);
    ASSERT_GE(album.songs.GetCount(), 1);
    St_SongInfo first;
    ASSERT_TRUE(album.songs.GetAt(0, first));
    window->SelectSongItem(window->AlbumItemAt(0), 1);
    tree = WalkAccessibleTree(window.get());
    const std::vector<QString> items = tree.Names(QAccessible::TreeItem);
    const QString expected = FromAnsi(first.name) + QStringLiteral(" — ") + FromAnsi(first.singer);
    EXPECT_NE(std::find(items.begin(), items.end(), expected), items.end()) << expected.toStdString();
}

TEST_F(ListManageTest, SigningInThroughTheFormShowsTheAlbumTree) {
    Open("Skin");
    ASSERT_NO_FATAL_FAILURE(SignIn());
    const int albums = window->Logic().Manager().Albums().GetCount();

    // Renaming an album in place reaches the service.
    ASSERT_GT(albums, 0);
    window->SelectItem(window->AlbumItemAt(0));
    window->Logic().OnCommand(ID_RENAME_ALBUM);
    ASSERT_TRUE(window->Tree()->IsEditingLabel());
    auto* editor = window->Tree()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("renamed"));
    QTest::keyClick(editor, Qt::Key_Return);  // the commit comes from the event queue
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Tree()->IsEditingLabel(); }, kWaitMs));
    ASSERT_TRUE(standIn.WaitForRequests(1, std::chrono::milliseconds(kWaitMs), "/shequ/port/tonvik/edituseralbum.php"));
    EXPECT_EQ(window->Logic().Manager().Albums().GetAt(0).albumName, "renamed");
}

TEST_F(ListManageTest, UncheckingRememberPasswordTakesThePasswordOutOfTheSettingsFile) {
    const std::filesystem::path ini = program / "TonvikMusic.ini";
    program.Write("TonvikMusic.ini", TempDir::Read(ini) + "[Logon]\r\nUser=tester\r\nPass=c2VjcmV0MTIz\r\nRemberPass=1\r\n");
    Open("Skin2");
    Click(ID_TAB_ALBUMS);
    ASSERT_EQ(window->PasswordText(), "secret123");
    ASSERT_TRUE(window->RememberPassChecked());

    // The box where the skin puts it, clicked as the user does.
    QCheckBox* remember = nullptr;
    for (QCheckBox* box : window->findChildren<QCheckBox*>())
        if (box->geometry() == CSkinDescription("Skin2").Rect("Check100")) remember = box;
    ASSERT_NE(remember, nullptr);
    QTest::mouseClick(remember, Qt::LeftButton, {}, QPoint(4, remember->height() / 2));
    EXPECT_FALSE(window->RememberPassChecked());
    EXPECT_EQ(window->PasswordText(), "");
    const std::string settings = TempDir::Read(ini);
    EXPECT_EQ(settings.find("\nPass="), std::string::npos) << settings;
    EXPECT_EQ(GetPrivateProfileString("Logon", "Pass", "<none>", ini), "<none>");
    EXPECT_NE(settings.find("RemberPass=0"), std::string::npos) << settings;
    EXPECT_NE(settings.find("User=tester"), std::string::npos) << "the name may stay";
}

// The Delete key on an album of the tree deletes it at the service only when
// the user says so to the question; on a song it removes the song.
TEST_F(ListManageTest, TheDeleteKeyOnAnAlbumAsksBeforeTheAlbumIsDeleted) {
    Open("Skin2");
    ASSERT_NO_FATAL_FAILURE(SignIn());
    const std::string deletePath = "/shequ/port/tonvik/deluseralbum.php";
    const St_Album first = window->Logic().Manager().Albums().GetAt(0);
    const auto stored = [&] {
        const auto albums = standIn.AlbumsOf("100001");
        return std::any_of(albums.begin(), albums.end(), [&](const auto& album) { return album.albumId == first.albumId; });
    };
    window->SelectItem(window->AlbumItemAt(0));
    frame.answer = kIdCancel;
    QTest::keyClick(window->Tree(), Qt::Key_Delete);
    EXPECT_EQ(frame.questions, std::vector<std::string>{CMusicPanel::DeleteAlbumQuestion(first.albumName)});
    EXPECT_EQ(window->Logic().Manager().Albums().FindById(first.albumId), 0);
    EXPECT_TRUE(standIn.RequestsFor(deletePath).empty());

    frame.answer = kIdOk;
    QTest::keyClick(window->Tree(), Qt::Key_Delete);
    EXPECT_EQ(frame.questions.size(), 2u);
    EXPECT_EQ(window->Logic().Manager().Albums().FindById(first.albumId), -1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stored(); }, kWaitMs));

    // A song goes without a question.
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->IsThreadUse(0, "Test"); }, kWaitMs));
    const St_Album album = window->Logic().Manager().Albums().GetAt(0);
    ASSERT_GE(album.songs.GetCount(), 2);
    window->SelectSongItem(window->AlbumItemAt(0), 1);
    QTest::keyClick(window->Tree(), Qt::Key_Delete);
    EXPECT_EQ(frame.questions.size(), 2u);
    EXPECT_EQ(window->Logic().Manager().Albums().GetAt(0).songs.GetCount(), album.songs.GetCount() - 1);
}
