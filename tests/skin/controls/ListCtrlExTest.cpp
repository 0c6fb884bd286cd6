// The skinned song list over a real song list: its layout on rendered
// pixels, the playing mark, the details button's hover and click, and a list
// changed by another thread while the view paints.

#include "skin/controls/ControlArithmetic.h"
#include "skin/controls/ListCtrlEx.h"
#include "skin/controls/SongListModel.h"

#include "common/Text.h"
#include "model/SongList.h"
#include "skin/SkinDescription.h"
#include "tests/skin/controls/ControlTestSupport.h"

#include <QDeadlineTimer>
#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

St_SongInfo Song(int i)
{
    St_SongInfo song;
    song.id = std::to_string(1000 + i);
    song.name = Cp936("晚风") + std::to_string(i);
    song.singer = Cp936("林一");
    return song;
}

void SendMouse(QAbstractItemView& view, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton)
{
    QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &event);
}

// Whether some pixel of `area` is light: the icons and texts of the list
// are, its backgrounds are not.
bool HasLightPixel(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.valid(x, y) && qGray(image.pixel(x, y)) > 0x80)
                return true;
    return false;
}

// The leftmost light pixel of `area`, or -1.
int FirstLightColumn(const QImage& image, const QRect& area)
{
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (image.valid(x, y) && qGray(image.pixel(x, y)) > 0x80)
                return x;
    return -1;
}

class RecordingListOwner : public IListCtrlOwner {
public:
    void OnSongDetails(int listKind, int row) override { details.push_back({listKind, row}); }
    void OnRowDoubleClicked(int, int row) override { doubleClicked.push_back(row); }
    bool OnListKey(int, int, int, Qt::KeyboardModifiers) override { return false; }
    void OnListContextMenu(int, int, const QPoint&) override {}

    std::vector<std::pair<int, int>> details;
    std::vector<int> doubleClicked;
};

class ListCtrlExTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view = new CListCtrlEx(&parent, kListTemporary);
        view->SetSkin(CSkinDescription(TONVIK_DATA_DIR, "Skin2"), "List100");
        view->setGeometry(0, 0, 314, 250);
        view->SetOwner(&owner);
        Fill(12);
        view->SetSongList(&list);
        parent.resize(330, 260);
        parent.show();
        QCoreApplication::processEvents();
    }
    void TearDown() override { view->SetSongList(nullptr); }

    void Fill(int count)
    {
        list.RemoveAll();
        for (int i = 0; i < count; ++i)
            list.Add(Song(i));
    }
    QImage Shot() const { return view->viewport()->grab().toImage(); }
    QRect Row(int row) const { return view->visualRect(view->SongModel()->index(row, 0)); }

    CSongList list;
    CRecordingParent parent;
    RecordingListOwner owner;
    CListCtrlEx* view = nullptr;
};

TEST_F(ListCtrlExTest, NineAndTenSongsPlaceTheDetailsButtonsByTheirOffsets) {
    view->SetDetailsOffsets(30, 50);
    const int right = view->viewport()->width();
    const auto button = [&](int offset) { return QRect(right - offset, Row(0).top(), 16, 16); };
    Fill(9);
    QCoreApplication::processEvents();
    QImage shot = Shot();
    EXPECT_EQ(view->DetailsButtonRect(0), button(30));
    EXPECT_TRUE(HasLightPixel(shot, button(30)));
    EXPECT_FALSE(HasLightPixel(shot, button(50)));
    list.Add(Song(9));
    QCoreApplication::processEvents();
    shot = Shot();
    EXPECT_EQ(view->DetailsButtonRect(0), button(50));
    EXPECT_TRUE(HasLightPixel(shot, button(50)));
    EXPECT_FALSE(HasLightPixel(shot, button(30)));
}

TEST_F(ListCtrlExTest, NumbersBelowTenStandEightInTheOthersFour) {
    const QImage shot = Shot();
    const int numberWidth = view->header()->sectionSize(CSongListModel::kColumnNumber);
    const int seven = FirstLightColumn(shot, QRect(0, Row(6).top(), numberWidth, Row(6).height()));
    const int twelve = FirstLightColumn(shot, QRect(0, Row(11).top(), numberWidth, Row(11).height()));
    // A glyph's own side bearing may add a pixel or two.
    EXPECT_GE(seven, 8);
    EXPECT_LE(seven, 8 + 2);
    EXPECT_GE(twelve, 4);
    EXPECT_LE(twelve, 4 + 2);
}

TEST_F(ListCtrlExTest, MarkingRowThreePlayingMarksOnlyItsSong) {
    list.SetAt(7, [] { St_SongInfo song = Song(7); song.playing = kPlayingMark; return song; }());
    view->SetPlayIcon(3);
    for (int i = 0; i < list.GetCount(); ++i) {
        St_SongInfo song;
        list.GetAt(i, song);
        EXPECT_EQ(song.playing, i == 3 ? "1" : "0") << i;
    }
    EXPECT_EQ(list.GetPlayingIndex(), 3);
    const QModelIndex name = view->SongModel()->index(3, CSongListModel::kColumnSong);
    EXPECT_EQ(name.data().toString(), QStringLiteral("   晚风3"));
    EXPECT_TRUE(name.data(CSongListModel::kPlayingRole).toBool());
}

TEST_F(ListCtrlExTest, TheDetailsButtonShowsItsTipUnderTheMouseAndReportsItsClick) {
    const QPoint over = view->DetailsButtonRect(2).center();
    SendMouse(*view, QEvent::MouseMove, over);
    EXPECT_EQ(view->HoverRow(), 2);
    EXPECT_EQ(view->CurrentTip(), QStringLiteral("详细"));
    SendMouse(*view, QEvent::MouseButtonPress, over, Qt::LeftButton);
    SendMouse(*view, QEvent::MouseButtonRelease, over, Qt::LeftButton);
    ASSERT_EQ(owner.details.size(), 1u);
    EXPECT_EQ(owner.details[0], std::make_pair(int(kListTemporary), 2));
    // A click in the last column does not shift the rows sideways.
    EXPECT_EQ(view->header()->sectionViewportPosition(CSongListModel::kColumnNumber), 0);

    SendMouse(*view, QEvent::MouseMove, Row(2).topLeft() + QPoint(60, 5));
    EXPECT_EQ(view->HoverRow(), -1);
    EXPECT_TRUE(view->CurrentTip().isEmpty());
    SendMouse(*view, QEvent::MouseButtonDblClick, Row(4).topLeft() + QPoint(60, 5), Qt::LeftButton);
    EXPECT_EQ(owner.doubleClicked, std::vector<int>{4});
}

TEST_F(ListCtrlExTest, ExposesItsScrollingInRowsForThePanelsScrollBar) {
    view->resize(314, 10 * kListRowHeight);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->ScrollPage(), 10);
    EXPECT_EQ(view->ScrollMaximum(), 2);
    QSignalSpy changes(view, &CSkinnedItemView::scrollChanged);
    view->SetScrollPosition(40);
    EXPECT_EQ(view->ScrollPosition(), 2);
    EXPECT_EQ(Row(2).top(), 0);
    view->ScrollRows(-1);
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes[0], (QList<QVariant>{2, 2, 10}));
    EXPECT_EQ(changes[1].value(0).toInt(), 1);
}

TEST_F(ListCtrlExTest, BadSkinFilesAndTextsDrawWhatTheyCan) {
    // No icons, no background: the plain window colour, and nothing where
    // the details button would be.
    view->SetSkin(CSkinDescription("/nonexistent", "Skin2"), "List100");
    St_SongInfo broken = Song(0);
    broken.name = std::string("\x81\x30\xFF", 3);  // not CP936
    list.SetAt(0, broken);
    QCoreApplication::processEvents();
    const QImage shot = Shot();
    const QColor window = view->palette().color(QPalette::Base);
    EXPECT_EQ(shot.pixelColor(view->viewport()->width() - 2, Row(11).bottom() + 5), window);
    const QRect details = view->DetailsButtonRect(5);
    for (const QPoint at : {details.topLeft(), details.center(), details.bottomRight()})
        EXPECT_EQ(shot.pixelColor(at), window);
    EXPECT_TRUE(view->SongModel()->index(0, CSongListModel::kColumnSong).data().toString().contains(QChar(0xFFFD)));
}

TEST_F(ListCtrlExTest, AListChangedByAnotherThreadWhileTheViewPaints) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int round = 0; round < 300; ++round) {
            list.RemoveAll();
            for (int i = 0; i < round % 50; ++i)
                list.Add(Song(i));
        }
        list.RemoveAll();
        list.Add(Song(1));
        done = true;
    });
    const QDeadlineTimer deadline(60000);
    while (!done && !deadline.hasExpired()) {
        view->viewport()->repaint();
        QCoreApplication::processEvents();
    }
    worker.join();
    ASSERT_TRUE(done);
    // The last news of the list arrives: the view shows what the list holds.
    const QDeadlineTimer settle(10000);
    while (view->SongModel()->rowCount() != 1 && !settle.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(view->SongModel()->rowCount(), 1);
    EXPECT_EQ(view->SongModel()->index(0, CSongListModel::kColumnSong).data().toString(), QStringLiteral("晚风1"));
}

}  // namespace
