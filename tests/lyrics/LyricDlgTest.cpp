// The lyric window on the offscreen platform, driven as the player drives
// it: play messages posted through the message layer, commands from its
// menu and buttons, the mouse, the skin and the stored options.

#include "lyrics/LyricDlg.h"
#include "lyrics/LyricWindowIds.h"

#include "LyricTestSupport.h"

#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "platform/Shell.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using lyrictest::Lrc;
using lyrictest::Tag;

namespace {

class LyricDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetupWellKnownPaths(folder.Path());
        folder.Write("TonvikMusic.ini", "[Hosts]\r\nService=svc.test\r\nLyricSearch=lyrics.test:81\r\n");
        tonvik::platform::SetShellRecorder([this](const tonvik::platform::ShellRequest& request) {
            opened.push_back(request.target);
            return true;
        });
    }
    void TearDown() override { tonvik::platform::SetShellRecorder(nullptr); }

    std::unique_ptr<QSettings> Settings() const {
        return std::make_unique<QSettings>(QString::fromStdString((folder / "options.ini").string()),
                                           QSettings::IniFormat);
    }

    std::unique_ptr<CLyricDlg> MakeWindow(const std::string& skin = "Skin2",
                                          std::function<void(uint32_t)> seek = {}) {
        LyricWindowSetup setup;
        setup.seek = std::move(seek);
        setup.skinRoot = TONVIK_DATA_DIR;
        setup.skinFolder = skin;
        setup.settings = Settings();
        setup.chooseFont = [](const QFont& current, QWidget*) {
            QFont font = current;
            font.setPixelSize(30);
            return std::optional<QFont>(font);
        };
        return std::make_unique<CLyricDlg>(std::move(setup));
    }

    // Posts a play message and lets the window take it.
    static void Sync(CLyricDlg& window, WPARAM code, LPARAM argument = 0) {
        ASSERT_TRUE(PostMessage(&window, WM_LYRIC_SYNC, code, argument));
        QCoreApplication::sendPostedEvents(&window);
    }

    // Opens the context menu and picks the entry with this caption.
    static void PickFromMenu(CLyricDlg& window, const QString& caption) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(50, 100), window.mapToGlobal(QPoint(50, 100)));
        QApplication::sendEvent(&window, &event);
        ASSERT_NE(window.ShownMenu(), nullptr);
        QAction* found = nullptr;
        const auto search = [&](auto&& self, QMenu* menu) -> void {
            for (QAction* action : menu->actions()) {
                if (action->menu()) self(self, action->menu());
                else if (action->text() == caption) found = action;
            }
        };
        search(search, window.ShownMenu());
        ASSERT_NE(found, nullptr) << caption.toStdString();
        ASSERT_TRUE(found->isEnabled()) << caption.toStdString();
        found->trigger();
        window.ShownMenu()->close();
    }

    TempDir folder;
    TraceCapture traces;
    std::vector<std::string> opened;
};

const std::string kTwoLines = Lrc({Tag(0) + "first", Tag(10000) + "second"});

}  // namespace

TEST_F(LyricDlgTest, PlayMessagesSetTheLineTheOffsetsAndTheTimer) {
    auto window = MakeWindow();
    window->show();  // the scroll timer runs only while the window shows
    window->SetLyric("20001", "song", kTwoLines, true);

    Sync(*window, ILyricSink::kJump, 0);
    EXPECT_TRUE(traces.Has("=====>OnMyMessage 0,0"));
    EXPECT_EQ(window->Scroller().CurrentLine(), 0);
    EXPECT_EQ(window->Scroller().ScrollY(), 0);
    EXPECT_EQ(window->Scroller().LyricPos(), 0u);
    ASSERT_TRUE(window->ScrollTimerActive());
    EXPECT_EQ(window->ScrollTimerInterval(), 10000u / window->LineHeight());

    // Beyond the end sentinel (the last line plus ten minutes).
    Sync(*window, ILyricSink::kJump, 10000 + 600000 + 1);
    EXPECT_EQ(window->Scroller().CurrentLine(), -1);
    EXPECT_EQ(window->Scroller().ScrollY(), 0);
    EXPECT_EQ(window->Scroller().ScrollX(), 0);
    EXPECT_FALSE(window->ScrollTimerActive());
    Sync(*window, ILyricSink::kResume);
    EXPECT_FALSE(window->ScrollTimerActive());

    // Pause, resume and stop, and a code the window does not know.
    Sync(*window, ILyricSink::kJump, 2500);
    Sync(*window, ILyricSink::kPause);
    EXPECT_FALSE(window->ScrollTimerActive());
    Sync(*window, ILyricSink::kResume);
    EXPECT_TRUE(window->ScrollTimerActive());
    Sync(*window, 7, 0);
    EXPECT_TRUE(window->ScrollTimerActive());
    Sync(*window, ILyricSink::kStop);
    EXPECT_FALSE(window->ScrollTimerActive());
    EXPECT_FALSE(window->Scroller().IsPlaying());
    EXPECT_EQ(window->Scroller().LyricPos(), 2500u);

    // A negative position from a confused sender counts as the start.
    Sync(*window, ILyricSink::kJump, -5000);
    EXPECT_EQ(window->Scroller().LyricPos(), 0u);
}

TEST_F(LyricDlgTest, AHiddenWindowHoldsItsTimerAndComesBackInStep) {
    auto window = MakeWindow();
    window->SetLyric("20001", "song", kTwoLines, true);
    // Played while hidden (as the program starts it): no timer.
    Sync(*window, ILyricSink::kJump, 1000);
    EXPECT_FALSE(window->ScrollTimerActive());
    QTest::qWait(300);
    window->ShowWindow(true);
    ASSERT_TRUE(window->ScrollTimerActive());
    EXPECT_GE(window->Scroller().LyricPos(), 1300u) << "shown where the song is now";

    window->ShowWindow(false);
    EXPECT_FALSE(window->ScrollTimerActive());
    const uint32_t hiddenAt = window->Scroller().LyricPos();
    QTest::qWait(300);
    EXPECT_EQ(window->Scroller().LyricPos(), hiddenAt) << "nothing ticks while hidden";
    window->ShowWindow(true);
    EXPECT_TRUE(window->ScrollTimerActive());
    EXPECT_GE(window->Scroller().LyricPos(), hiddenAt + 300);
    EXPECT_LT(window->Scroller().LyricPos(), hiddenAt + 5000);

    // Paused while hidden: it stays where the pause left it.
    window->ShowWindow(false);
    Sync(*window, ILyricSink::kPause);
    const uint32_t pausedAt = window->Scroller().LyricPos();
    window->ShowWindow(true);
    EXPECT_EQ(window->Scroller().LyricPos(), pausedAt);
    EXPECT_FALSE(window->ScrollTimerActive());
}

TEST_F(LyricDlgTest, MenuCorrectionsAndTheirRestore) {
    auto window = MakeWindow();
    window->SetLyric("20001", "song", kTwoLines, true);
    Sync(*window, ILyricSink::kJump, 300);
    PickFromMenu(*window, QStringLiteral("退0.5秒"));
    EXPECT_EQ(window->Scroller().LyricPos(), 0u);
    EXPECT_EQ(window->Scroller().UserShift(), -500);
    PickFromMenu(*window, QStringLiteral("恢复"));
    EXPECT_EQ(window->Scroller().LyricPos(), 500u);
    EXPECT_EQ(window->Scroller().UserShift(), 0);

    // The buttons walk the lines of a timed lyric.
    ASSERT_TRUE(PostCommand(window.get(), IDC_LYRIC_DOWN));
    QCoreApplication::sendPostedEvents(window.get());
    EXPECT_EQ(window->Scroller().CurrentLine(), 1);
}

TEST_F(LyricDlgTest, StoredOptionsModeSwitchAndFonts) {
    {
        auto settings = Settings();
        settings->setValue("Options/Lyric/Align", 5);
        settings->setValue("Options/Lyric/Horizontal", 7);
    }
    auto window = MakeWindow();
    EXPECT_EQ(window->Align(), kAlignLeft);
    EXPECT_EQ(window->Scroller().Mode(), LyricMode::Horizontal);

    window->SetLyric("20001", "song", kTwoLines, true);
    Sync(*window, ILyricSink::kJump, 5000);
    const int64_t halfFirst = window->Scroller().ScrollX();
    EXPECT_GT(halfFirst, 0);

    // Horizontal mode has no alignment; vertical mode gets it back.
    EXPECT_FALSE(FindLyricSubmenu(window->ContextMenu(), kLyricAlignMenu)->enabled);
    PickFromMenu(*window, QStringLiteral("垂直模式"));
    EXPECT_EQ(window->Scroller().Mode(), LyricMode::Vertical);
    EXPECT_EQ(window->Scroller().ScrollY(), window->LineHeight() / 2);
    EXPECT_EQ(Settings()->value("Options/Lyric/Horizontal").toInt(), 0);
    PickFromMenu(*window, QStringLiteral("中"));
    EXPECT_EQ(Settings()->value("Options/Lyric/Align").toInt(), kAlignCentre);

    // A font of the dialog: line height from its size, still half way.
    PickFromMenu(*window, QStringLiteral("其它字体..."));
    EXPECT_EQ(window->FontChoice(), LyricFontChoice::Custom);
    EXPECT_EQ(window->LineHeight(), 34);
    EXPECT_EQ(window->Scroller().ScrollY(), 17);
    EXPECT_EQ(window->ScrollTimerInterval(), 10000u / 34);
}

TEST_F(LyricDlgTest, ResizingStopsAtTheSkinsOwnSizeAndTheCaptionRestoresIt) {
    auto window = MakeWindow("Skin");
    const QSize natural = window->NaturalSize();
    ASSERT_EQ(natural, QSize(300, 340));
    // Cut along the key colour of the rounded corners.
    EXPECT_FALSE(window->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(window->mask().contains(QPoint(150, 170)));
    window->show();
    window->resize(120, 90);
    EXPECT_EQ(window->size(), natural);

    window->resize(500, 400);
    EXPECT_EQ(window->ButtonRect(IDC_LYRIC_CLOSE).topLeft(), QPoint(474, 4));
    EXPECT_EQ(window->ButtonRect(IDC_LYRIC_DOWN).topLeft(), QPoint(235, 361));
    EXPECT_EQ(window->LyricArea(), QRect(10, 42, 480, 316));
    EXPECT_TRUE(traces.Has("=====>CLyricDlg::OnSize:UPDATE_EASYSIZE"));

    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(60, 10));
    EXPECT_EQ(window->size(), natural);
}

TEST_F(LyricDlgTest, NoLyricFaceLinksToTheSearchAndTheReportIsEncoded) {
    auto window = MakeWindow();
    const std::string name = Cp936("雾港 晨钟");
    window->SetLyric("12 3&x", name, "", true);
    window->show();
    (void)window->grab();
    const QRect link = window->SearchLinkRect();
    ASSERT_FALSE(link.isEmpty());

    QTest::mouseMove(window.get(), link.center());
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, link.center());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "http://lyrics.test:81/g?k=" + UrlEncode(name) + "&ss=lyric");

    // The error report needs lines; with them, the id goes out encoded.
    window->SetLyric("12 3&x", name, kTwoLines, true);
    PickFromMenu(*window, QStringLiteral("歌词纠错"));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], "http://svc.test/songhall/findbug/suebug.php?id=12+3%26x");
}

TEST_F(LyricDlgTest, CopyHideMinimiseAndRestore) {
    auto window = MakeWindow();
    window->SetLyric("20001", "song", Lrc({Tag(0) + Cp936("雾起的港口"), Tag(2000) + "second"}), true);
    PickFromMenu(*window, QStringLiteral("复制"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("雾起的港口\r\nsecond\r\n"));

    window->ShowWindow(true);
    EXPECT_TRUE(window->IsShown());
    window->MinimizeWindow();
    EXPECT_FALSE(window->IsShown());
    window->RestoreWindow();
    EXPECT_TRUE(window->IsShown());

    // Its own close button hides it, and so does the program's close when
    // it ends (which must not be refused); both store where it was.
    window->move(40, 50);
    ASSERT_TRUE(PostCommand(window.get(), IDC_LYRIC_CLOSE));
    QCoreApplication::sendPostedEvents(window.get());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Settings()->value("Options/Lyric/LyricWindowLeft").toInt(), 40);
    window->ShowWindow(true);
    window->move(70, 50);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Settings()->value("Options/Lyric/LyricWindowLeft").toInt(), 70);
}

TEST_F(LyricDlgTest, HostileLyricsPaintScrollAndResize) {
    std::string tagged;
    for (int line = 0; line < kMaxSourceLines; ++line) {
        for (int tag = 0; tag < kTimeSlots; ++tag) tagged += Tag(static_cast<uint32_t>((tag * 1000 + line) * 300));
        tagged += "line " + std::to_string(line) + "\n";
    }
    std::string wide;
    for (int line = 0; line < 12; ++line) wide += Tag(static_cast<uint32_t>(line) * 1500) + std::string(5000, 'w') + "\n";
    const std::vector<std::string> lyrics = {tagged, wide, Lrc({"no", "times", "at all"}), "\n\n\n", ""};

    auto window = MakeWindow();
    window->show();
    for (const std::string& lyric : lyrics) {
        for (const char* mode : {"垂直模式", "水平模式"}) {
            window->SetLyric("1", "song", lyric, true);
            if (window->Model().displayCount() > 0) PickFromMenu(*window, QString::fromUtf8(mode));
            for (LPARAM position : {LPARAM{0}, LPARAM{4000}, LPARAM{2700000}, LPARAM{0x7FFFFFFF}}) {
                Sync(*window, ILyricSink::kJump, position);
                // One real tick of the scroll timer, where it runs.
                if (window->ScrollTimerActive()) {
                    const uint32_t before = window->Scroller().LyricPos();
                    EXPECT_TRUE(QTest::qWaitFor([&] { return window->Scroller().LyricPos() != before; }, 10000));
                }
                (void)window->grab();
            }
            window->resize(window->size() + QSize(37, 23));
            (void)window->grab();
            Sync(*window, ILyricSink::kStop);
        }
    }
    // Still a sound window: the last lyric had no lines.
    EXPECT_EQ(window->Model().displayCount(), 0);
    EXPECT_FALSE(window->ScrollTimerActive());
}

TEST_F(LyricDlgTest, AClickOnATimedLineMovesTheSongThereInBothModes) {
    std::vector<uint32_t> seeks;
    auto window = MakeWindow("Skin2", [&seeks](uint32_t position) { seeks.push_back(position); });
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->SetLyric("20001", "song", Lrc({Tag(0) + "zero", Tag(10000) + "one", Tag(20000) + "two", Tag(30000) + "three"}),
                     true);
    Sync(*window, ILyricSink::kJump, 0);
    const QRect area = window->LyricArea();
    const int lineHeight = window->LineHeight();
    // The column starts two lines down: the middle of line 2.
    const QPoint lineTwo(area.center().x(), area.top() + 4 * lineHeight + lineHeight / 2 + 2);
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, lineTwo);
    ASSERT_EQ(seeks, std::vector<uint32_t>{20000});

    // A drag moves the text and nothing else.
    QTest::mousePress(window.get(), Qt::LeftButton, {}, lineTwo);
    QTest::mouseMove(window.get(), lineTwo + QPoint(0, 40));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, lineTwo + QPoint(0, 40));
    EXPECT_EQ(seeks.size(), 1u);

    // With the lyric half a second ahead, the song goes to where the lyric
    // shows the line, and the jump back lights that line.
    Sync(*window, ILyricSink::kJump, 0);
    PickFromMenu(*window, QStringLiteral("进0.5秒"));
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, lineTwo - QPoint(0, window->Scroller().ScrollY()));
    ASSERT_EQ(seeks.back(), 19500u);
    Sync(*window, ILyricSink::kJump, seeks.back());
    EXPECT_EQ(window->Scroller().CurrentLine(), 2);

    // Horizontal: the current line starts in the middle of the area.
    PickFromMenu(*window, QStringLiteral("水平模式"));
    Sync(*window, ILyricSink::kJump, 29500);
    ASSERT_EQ(window->Scroller().CurrentLine(), 3);
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(area.center().x() + 4, area.center().y()));
    EXPECT_EQ(seeks.back(), 29500u);
    EXPECT_EQ(seeks.size(), 3u);
}

TEST_F(LyricDlgTest, UpAndDownChooseALineThatEnterPlaysFromAndTheChosenLineIsMarked) {
    std::vector<uint32_t> seeks;
    auto window = MakeWindow("Skin2", [&seeks](uint32_t position) { seeks.push_back(position); });
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->setFocus(Qt::OtherFocusReason);
    window->SetLyric("20001", "song", Lrc({Tag(0) + "zero", Tag(10000) + "one", Tag(20000) + "two", Tag(30000) + "three"}),
                     true);
    Sync(*window, ILyricSink::kJump, 10500);
    Sync(*window, ILyricSink::kPause);  // the text holds still between the pictures
    const QImage before = window->grab().toImage();
    QTest::keyClick(window.get(), Qt::Key_Down);
    EXPECT_EQ(window->KeyLine(), 1) << "the first key starts on the line being sung";
    QTest::keyClick(window.get(), Qt::Key_Down);
    QTest::keyClick(window.get(), Qt::Key_Down);
    QTest::keyClick(window.get(), Qt::Key_Down);
    EXPECT_EQ(window->KeyLine(), 3) << "not past the last line";
    QTest::keyClick(window.get(), Qt::Key_Up);
    QTest::keyClick(window.get(), Qt::Key_Return);
    ASSERT_EQ(seeks, std::vector<uint32_t>{20000});

    // The mark in the skin's colour of the current line, along line 2 (the
    // column starts two lines down, less the margin and what has scrolled).
    const QImage marked = window->grab().toImage();
    const QRect area = window->LyricArea();
    const int lineHeight = window->LineHeight();
    const int top = area.top() + 4 * lineHeight - window->Scroller().ScrollY();
    int changed = 0;
    ASSERT_GE(top, area.top());
    for (int x = area.left() + 8; x < area.right() - 8; ++x)
        for (int y = top; y < top + lineHeight + 8; ++y)
            if (marked.pixel(x, y) != before.pixel(x, y)) ++changed;
    EXPECT_GT(changed, area.width() / 2) << "a frame drawn along the chosen line";

    // Enter without a chosen line plays from the line being sung; a lyric
    // without timing is not played from.
    window->SetLyric("20002", "song", Lrc({Tag(0) + "zero", Tag(10000) + "one"}), true);
    Sync(*window, ILyricSink::kJump, 10200);
    QTest::keyClick(window.get(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(seeks.back(), 10000u);
    window->SetLyric("20003", "song", "no timing\r\nat all", true);
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_EQ(seeks.size(), 2u);
}

TEST_F(LyricDlgTest, ACorrectionComesBackWithItsSongUntilRestored) {
    {
        auto window = MakeWindow();
        window->SetLyric("20001", "song", kTwoLines, true);
        Sync(*window, ILyricSink::kJump, 300);
        PickFromMenu(*window, QStringLiteral("进0.5秒"));
        PickFromMenu(*window, QStringLiteral("进0.5秒"));
    }
    auto window = MakeWindow();
    window->SetLyric("20001", "song", kTwoLines, true);
    EXPECT_EQ(window->Scroller().UserShift(), 1000);
    Sync(*window, ILyricSink::kJump, 2000);
    EXPECT_EQ(window->Scroller().LyricPos(), 3000u) << "the lyric runs a second ahead of the song";
    window->SetLyric("20002", "other", kTwoLines, true);
    EXPECT_EQ(window->Scroller().UserShift(), 0) << "another song has its own";

    window->SetLyric("20001", "song", kTwoLines, true);
    Sync(*window, ILyricSink::kJump, 2000);
    PickFromMenu(*window, QStringLiteral("恢复"));
    EXPECT_EQ(window->Scroller().LyricPos(), 2000u);
    window = MakeWindow();
    window->SetLyric("20001", "song", kTwoLines, true);
    EXPECT_EQ(window->Scroller().UserShift(), 0) << "restored: forgotten";
}
