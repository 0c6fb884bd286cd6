// The main frame with its four windows against a service stand-in: what it
// makes and in which order it lets them go, the commands the tray and the
// menus share, messages that lock every window, and the requests of the
// windows (songs chosen on pages, a song's page, an album's page). The
// media engine, the notification area, the message box and the tip are
// stand-ins; the system browser is a recorder.

#include "albums/ListManage.h"
#include "albums/PanelIds.h"
#include "app/DesktopControls.h"
#include "app/LibSongAdmission.h"
#include "app/MainFrame.h"
#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "lyrics/LyricDlg.h"
#include "lyrics/LyricWindowIds.h"
#include "notify/MprisService.h"
#include "notify/TaskbarNotifier.h"
#include "platform/Network.h"
#include "platform/PrivateFile.h"
#include "service/ServiceXml.h"
#include "platform/Shell.h"
#include "playback/PlayMainDlg.h"
#include "playback/PlayerIds.h"
#include "skin/controls/BitmapSlider.h"
#include "skin/controls/EditTrans.h"
#include "skin/controls/SkinButtonEx.h"
#include "notify/NotifyIds.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tests/notify/TrayIconTestSupport.h"
#include "tests/playback/PlayFakes.h"
#include "tests/support/EngineView.h"
#include "tests/support/FakeOpener.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"
#include "tools/standin/ProgramFolder.h"
#include "tools/standin/StandIn.h"
#include "skin/controls/ListCtrlEx.h"
#include "web/MiniWebBrowserDlg.h"

#include <QApplication>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>

namespace {

constexpr int kWaitMs = 20000;

class MainFrameWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tonvik::platform::SetNetworkStateOverride(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settings.Path()));
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        ASSERT_TRUE(standin::PrepareProgramFolder(program.Path(), standIn.Host(), TONVIK_DATA_DIR));
        // The tray's pictures.
        std::filesystem::create_directory_symlink(std::filesystem::path(TONVIK_DATA_DIR) / "res", program / "res");
        SetupWellKnownPaths(program.Path());

        frame = std::make_unique<CMainFrame>([this](unsigned code) { exitCodes.push_back(code); });
        frame->SetUpdateCheck([this] { return updateCheckPasses; });
        frame->SetNetworkState([this] { return online; });
        frame->SetEngineFactory([this](std::string*) {
            auto made = std::make_unique<CScriptedEngine>();
            engine = made.get();
            return made;
        });
        frame->SetBoxPresenter([this](QWidget*, const QString& text, unsigned) {
            boxes.push_back(text);
            lockedWhileShown.push_back(AllLocked());
            return kIdOk;
        });
        frame->SetTipPresenter([this](QWidget*, const CMainFrame::St_Tip& tip) {
            tips.push_back(tip);
            lockedWhileShown.push_back(AllLocked());
        });
        // The service's own answer, held back while a test keeps the gate shut.
        frame->SetSongInfoFetch([this](CSongList& songs) {
            std::unique_lock lock(fetchMutex);
            fetchOpened.wait_for(lock, std::chrono::milliseconds(kWaitMs), [this] { return fetchOpen; });
            lock.unlock();
            return GetSongInfoWithoutPlayUrl(songs);
        });
        auto host = std::make_unique<FakeTrayHost>();
        tray = host.get();
        frame->SetTrayHost(std::move(host));
        // No page pane in the panel unless a test asks for it: the library
        // pane is the only page here.
        frame->SetPanelPagePane(PanelPagePane());
        ASSERT_TRUE(frame->Create());
        ASSERT_TRUE(QTest::qWaitFor([this] { return frame->CompanionsReady(); }, kWaitMs));
    }
    void TearDown() override {
        OpenFetch(true);
        frame.reset();
        tonvik::platform::SetShellRecorder({});
        tonvik::platform::SetNetworkStateOverride(std::nullopt);
        standIn.Stop();
    }

    virtual bool PanelPagePane() const { return false; }

    bool AllLocked() const {
        return !frame->Player()->isEnabled() && !frame->ListManage()->isEnabled() && !frame->MiniWeb()->isEnabled() &&
               !frame->LyricDlg()->isEnabled();
    }
    bool AllUnlocked() const {
        return frame->Player()->isEnabled() && frame->ListManage()->isEnabled() && frame->MiniWeb()->isEnabled() &&
               frame->LyricDlg()->isEnabled();
    }
    void Command(int command) { SendMessage(frame.get(), WM_COMMAND, static_cast<WPARAM>(command), 0); }
    void OpenFetch(bool open) {
        {
            std::lock_guard lock(fetchMutex);
            fetchOpen = open;
        }
        fetchOpened.notify_all();
    }
    void ClickPanel(int control) {
        QTest::mouseClick(frame->ListManage()->Control(control), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }
    void SignIn() {
        CListManage& panel = *frame->ListManage();
        ClickPanel(ID_TAB_ALBUMS);
        panel.SetUserNameText("tester");
        panel.SetPasswordText("secret123");
        ClickPanel(ID_SIGN_IN);
        ASSERT_TRUE(QTest::qWaitFor([&] { return panel.Logic().Page() == kPageAlbumTree; }, kWaitMs));
    }
    // Opens the player's main menu with a click on its button, as the user
    // does, and looks at the entry `text` (choosing it with `choose`);
    // whether it was checked, nothing when the menu did not show it.
    std::optional<bool> MainMenuEntry(const QString& text, bool choose) {
        std::optional<bool> checked;
        int tries = 0;
        std::function<void()> look = [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) {
                if (++tries < 500) QTimer::singleShot(10, look);
                return;
            }
            for (QAction* action : menu->actions()) {
                if (action->text() != text) continue;
                checked = action->isChecked();
                if (choose) {
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            menu->close();
        };
        QTimer::singleShot(0, look);
        QTest::mouseClick(frame->Player()->Button(IDC_MAIN_MENU), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();  // the button's command: the menu, until it closes
        return checked;
    }
    std::vector<QWidget*> FourWindows() const {
        return {frame->Player(), frame->ListManage(), frame->MiniWeb(), frame->LyricDlg()};
    }
    int OnTop() const {
        const std::vector<QWidget*> windows = FourWindows();
        return static_cast<int>(std::count_if(windows.begin(), windows.end(), [](QWidget* window) {
            return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        }));
    }
    std::vector<std::string> SongsOfAlbum(const std::string& albumId) const {
        for (const auto& album : standIn.AlbumsOf("100001"))
            if (album.albumId == albumId) return album.songIds;
        return {};
    }
    std::vector<std::string> PlayListIds() const {
        std::vector<std::string> ids;
        for (const St_SongInfo& song : frame->ListManage()->Logic().PlayList().List().Snapshot()) ids.push_back(song.id);
        return ids;
    }

    IsolatedRuntime runtime;
    TempDir state;
    TempDir program;
    TempDir settings;
    standin::CStandIn standIn{standin::OptionsWithState(state.Path())};
    TraceCapture traces;
    std::vector<unsigned> exitCodes;
    std::vector<QString> boxes;
    std::vector<CMainFrame::St_Tip> tips;
    std::vector<bool> lockedWhileShown;
    std::mutex fetchMutex;
    std::condition_variable fetchOpened;
    bool fetchOpen = true;
    bool updateCheckPasses = true;
    bool online = true;
    CScriptedEngine* engine = nullptr;
    FakeTrayHost* tray = nullptr;
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace

TEST_F(MainFrameWindowsTest, TheFrameMakesItsFourWindowsTheTrayIconAndTheNotifier) {
    ASSERT_NE(frame->Player(), nullptr);
    ASSERT_NE(frame->ListManage(), nullptr);
    ASSERT_NE(frame->MiniWeb(), nullptr);
    ASSERT_NE(frame->LyricDlg(), nullptr);
    EXPECT_EQ(frame->ListManage()->windowTitle(), QStringLiteral("Tonvik音乐--管理"));
    EXPECT_EQ(frame->MiniWeb()->windowTitle(), QStringLiteral("Tonvik音乐--乐库"));
    EXPECT_EQ(frame->LyricDlg()->windowTitle(), QStringLiteral("Tonvik音乐--歌词"));
    EXPECT_EQ(frame->Browser(), static_cast<IBrowserWindow*>(frame->MiniWeb()));
    EXPECT_EQ(frame->Lyric(), static_cast<ILyricWindow*>(frame->LyricDlg()));
    EXPECT_EQ(frame->Panel(), static_cast<IPanelWindow*>(frame->ListManage()));

    // The player shows with its panel; the library pane waits hidden, and
    // its page view (the web engine) with it.
    EXPECT_TRUE(frame->Player()->isVisible());
    EXPECT_TRUE(frame->ListManage()->IsShown());
    EXPECT_FALSE(frame->MiniWeb()->IsShown());
    EXPECT_EQ(frame->MiniWeb()->PageView(), nullptr);
    EXPECT_FALSE(frame->LyricDlg()->IsShown());
    EXPECT_FALSE(frame->isVisible());

    EXPECT_TRUE(tray->present);
    EXPECT_EQ(tray->shown.tip, "Tonvik Player");
    EXPECT_EQ(tray->shown.id, 218u);
    EXPECT_EQ(frame->TrayIcon()->IconResource(), 239);
    EXPECT_FALSE(frame->Notifier()->isVisible());
    EXPECT_EQ(frame->Notifier()->Owner(), frame.get());
    EXPECT_TRUE(traces.Has("OnCreate===Full window mode :1"));

    // Going away: the panel, the library pane and the lyric window before
    // the player.
    traces.Clear();
    frame.reset();
    const std::vector<std::string> lines = traces.Lines();
    const auto at = [&](const std::string& scope) {
        return std::find(lines.begin(), lines.end(), scope + std::string(kTraceEnterSuffix)) - lines.begin();
    };
    EXPECT_LT(at("~CMainFrame..."), at("~CListManage..."));
    EXPECT_LT(at("~CListManage..."), at("~CLyricDlg..."));
    EXPECT_LT(at("~CLyricDlg..."), static_cast<long>(lines.size()));
}

TEST_F(MainFrameWindowsTest, TheTrayAndTheMenusShareThePlayersCommands) {
    // The tray's left button gives the default command: the player shows.
    frame->Player()->hide();
    frame->TrayIcon()->HandleNotification(218, WM_LBUTTONDOWN_MSG);
    EXPECT_TRUE(frame->Player()->isVisible());

    Command(ID_LYRIC);
    EXPECT_TRUE(frame->LyricDlg()->IsShown());
    Command(ID_LYRIC);
    EXPECT_FALSE(frame->LyricDlg()->IsShown());

    const int volume = engine->get_volume();
    Command(ID_VOLUME_UP);
    EXPECT_GT(engine->get_volume(), volume);
    Command(ID_VOLUME_DOWN);
    EXPECT_EQ(engine->get_volume(), volume);
    Command(ID_MUTE);
    EXPECT_TRUE(engine->get_mute());

    Command(ID_PLAYMODE_FIRST + 1);
    EXPECT_EQ(frame->ListManage()->PlayMode(), 1);
    Command(ID_PLAYMODE_LAST);
    EXPECT_EQ(frame->ListManage()->PlayMode(), 4);

    Command(ID_MINIMIZE);
    EXPECT_TRUE(frame->Player()->isMinimized());
    Command(ID_SHOW_MAIN);
    EXPECT_FALSE(frame->Player()->isMinimized());
    EXPECT_TRUE(frame->Player()->isVisible());

    // The tray's menu knows what the windows show.
    frame->TrayIcon()->HandleNotification(218, WM_RBUTTONUP_MSG);
    ASSERT_TRUE(tray->lastMenu.has_value());
    EXPECT_EQ(tray->lastMenuTarget, frame.get());
    ASSERT_NE(tray->lastMenu->FindCommand(ID_MUTE), nullptr);
    EXPECT_TRUE(tray->lastMenu->FindCommand(ID_MUTE)->checked);
    EXPECT_TRUE(tray->lastMenu->FindCommand(ID_PLAYMODE_LAST)->checked);
    // The song note is off until switched on from the menu.
    ASSERT_NE(tray->lastMenu->FindCommand(ID_SONG_NOTICE), nullptr);
    EXPECT_FALSE(tray->lastMenu->FindCommand(ID_SONG_NOTICE)->checked);
    Command(ID_SONG_NOTICE);
    frame->TrayIcon()->HandleNotification(218, WM_RBUTTONUP_MSG);
    EXPECT_TRUE(tray->lastMenu->FindCommand(ID_SONG_NOTICE)->checked);

    // "退出" is the player's orderly close.
    Command(ID_EXIT);
    EXPECT_EQ(exitCodes, (std::vector<unsigned>{0}));
}

TEST_F(MainFrameWindowsTest, AMessageLocksAllFourWindowsWhileItShows) {
    frame->ShowMessageWindow(frame->Player(), Cp936("缓存中...请稍候！"));
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(FromAnsi(tips[0].text), QStringLiteral("   缓存中...请稍候！"));
    frame->ShowMessageWindow(frame->Player(), Cp936("网络连接异常，请联网后使用本软件"));
    ASSERT_EQ(tips.size(), 2u);
    EXPECT_EQ(tips[1].delayMs, 8000);
    frame->ShowMessageWindow(frame->ListManage(), Cp936("确定要注销吗？"), kMbOkCancel);
    ASSERT_EQ(boxes.size(), 1u);

    EXPECT_EQ(lockedWhileShown, (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(AllUnlocked());
    EXPECT_TRUE(frame->TipShown());
}

// The orderly close asked for by another process (the close tool, the
// installer) while a sign-in is about to fail: the failure comes inside the
// close's wait for the album worker and is traced; no message box holds the
// close until somebody clicks it.
TEST_F(MainFrameWindowsTest, AnOrderlyCloseDuringAFailingSignInLeavesNoBoxWaitingForAClick) {
    frame->SetBoxPresenter([](QWidget* owner, const QString& text, unsigned) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Tonvik Player"), text, QMessageBox::Ok, owner);
        return box.exec() == QMessageBox::Ok ? kIdOk : kIdCancel;
    });
    // A box that shows is taken down (and recorded), so the test ends.
    std::vector<QString> waiting;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            waiting.push_back(box->text());
            box->reject();
        }
    });
    watch.start(50);

    const std::string loginPath = "/shequ/port/tonvik/login.php";
    standIn.SetFault(loginPath, standin::MakeFault(standin::FaultKind::None, 1000));
    CListManage& panel = *frame->ListManage();
    panel.Logic().OnCommand(ID_TAB_ALBUMS);
    panel.SetUserNameText("tester");
    panel.SetPasswordText("wrong");
    panel.Logic().OnCommand(ID_SIGN_IN);
    ASSERT_TRUE(standIn.WaitForRequests(1, std::chrono::milliseconds(kWaitMs), loginPath));
    const auto closing = std::chrono::steady_clock::now();
    SendMessage(frame.get(), WM_FRAME_CLOSEAPP, 0, 0);
    const auto took = std::chrono::steady_clock::now() - closing;

    EXPECT_EQ(exitCodes, (std::vector<unsigned>{0}));
    EXPECT_TRUE(waiting.empty()) << waiting.front().toStdString();
    EXPECT_TRUE(traces.Has("OnAlbulComplete===Closing, not shown : " + Cp936("用户名或密码错误")));
    // Its waits: the album worker 3 s, the sign-out 0.5 s, the settling 1 s.
    EXPECT_LT(took, std::chrono::milliseconds(4500 + 2000));
}

TEST_F(MainFrameWindowsTest, SongsChosenOnAPageArePlayedOrAddedThroughThePlayList) {
    ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, 1, u"20001_20002_"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !tips.empty(); }, kWaitMs));
    EXPECT_EQ(PlayListIds(), (std::vector<std::string>{"20001", "20002"}));
    EXPECT_EQ(FromAnsi(tips[0].text), QStringLiteral("歌曲已经添加到播放列表！"));
    // The first of them plays: its stream address reaches the engine.
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return !engine->urls.empty() && engine->urls.back().find("20001") != std::string::npos; }, kWaitMs));

    ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, 0, u"20003_"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return tips.size() == 2; }, kWaitMs));
    EXPECT_EQ(PlayListIds(), (std::vector<std::string>{"20001", "20002", "20003"}));
    EXPECT_EQ(FromAnsi(tips[1].text), QStringLiteral("歌曲已经添加到播放列表！"));

    // An lParam that is no text of this program is not read.
    SendMessage(frame.get(), WM_FRAME_LIBSONG, 1, 0x1234);
    EXPECT_TRUE(traces.Has("OnLibSong===No song text."));
}

TEST_F(MainFrameWindowsTest, AFullPlayListLosesNoSongToALinkThatAddsNothing) {
    // A full list of 50: a song of the service in row 10, the rest the user's.
    CSongList& list = frame->ListManage()->Logic().PlayList().List();
    for (int i = 0; i < CSongList::kCapacity; ++i) {
        St_SongInfo song;
        song.id = i == 10 ? "20003" : std::to_string(90000 + i);
        song.name = "song" + song.id;
        list.Add(song);
    }
    // The requests to play come a second apart, as a user's clicks would
    // (the admission takes one a second).
    auto now = std::chrono::steady_clock::now();
    frame->LibSongs()->Admission().SetClock([&now] { return now += std::chrono::seconds(2); });
    // The linked song is in the list already: it plays from its row.
    ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, 1, u"20003_"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return tips.size() == 1; }, kWaitMs));
    EXPECT_EQ(FromAnsi(tips[0].text), QStringLiteral("歌曲已经添加到播放列表！"));
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return !engine->urls.empty() && engine->urls.back().find("20003") != std::string::npos; }, kWaitMs));
    EXPECT_EQ(frame->Player()->Controller().ListKind(), kListTemporary);
    // A song the service does not know, played or added: nothing comes in.
    ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, 1, u"99999_"));
    ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, 0, u"99999_"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return tips.size() == 3; }, kWaitMs));
    EXPECT_EQ(FromAnsi(tips[2].text), QStringLiteral("     添加歌曲失败！"));

    // None of the three cost the list its oldest song.
    const std::vector<std::string> ids = PlayListIds();
    ASSERT_EQ(ids.size(), 50u);
    EXPECT_EQ(ids.front(), "90000");
    EXPECT_EQ(ids.at(10), "20003");
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "99999"), 0);
}

TEST_F(MainFrameWindowsTest, ALinksSongsGoWhereTheUserWasWhenHeClickedIt) {
    ASSERT_NO_FATAL_FAILURE(SignIn());
    CListManage& panel = *frame->ListManage();
    const CAlbumList& albums = panel.Logic().Manager().Albums();
    ASSERT_GE(albums.GetCount(), 2);
    const std::string chosen = albums.GetAt(0).albumId;
    const std::string other = albums.GetAt(1).albumId;
    const std::vector<std::string> otherBefore = SongsOfAlbum(other);

    // "添加" on the album page with the first album selected; before the
    // service answers the user turns to the play list and selects another album.
    panel.SelectItem(panel.AlbumItemAt(0));
    OpenFetch(false);
    ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, 0, u"20004_"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->LibSongs()->Pending() == 1; }, kWaitMs));
    panel.SelectItem(panel.AlbumItemAt(1));
    ClickPanel(ID_TAB_PLAYLIST);
    ASSERT_NE(panel.Logic().Page(), kPageAlbumTree);
    OpenFetch(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->LibSongs()->Pending() == 0; }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const std::vector<std::string> songs = SongsOfAlbum(chosen);
        return std::find(songs.begin(), songs.end(), "20004") != songs.end();
    }, kWaitMs)) << "the songs reach the album chosen at the click";
    EXPECT_EQ(SongsOfAlbum(other), otherBefore);
    EXPECT_TRUE(PlayListIds().empty());

    // "添加" on the play list; the album page shows when the answer comes.
    std::vector<std::vector<std::string>> before;
    for (const auto& album : standIn.AlbumsOf("100001")) before.push_back(album.songIds);
    OpenFetch(false);
    ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, 0, u"20005_"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->LibSongs()->Pending() == 1; }, kWaitMs));
    ClickPanel(ID_TAB_ALBUMS);
    ASSERT_EQ(panel.Logic().Page(), kPageAlbumTree);
    OpenFetch(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->LibSongs()->Pending() == 0; }, kWaitMs));
    EXPECT_EQ(PlayListIds(), std::vector<std::string>{"20005"});
    EXPECT_EQ(FromAnsi(tips.back().text), QStringLiteral("歌曲已经添加到播放列表！"));
    std::vector<std::vector<std::string>> after;
    for (const auto& album : standIn.AlbumsOf("100001")) after.push_back(album.songIds);
    EXPECT_EQ(after, before) << "no album changed";
}

TEST_F(MainFrameWindowsTest, ThePanelsPlayListLightsThePlayingNumberAndDrawsItsSeparator) {
    ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, 0, u"20001_20002_20003_"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return PlayListIds().size() == 3; }, kWaitMs));
    CListCtrlEx& view = *frame->ListManage()->SongView(kListTemporary);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.isVisible(); }, kWaitMs));
    // The second song played by a double click, then the third selected.
    const auto cell = [&](int row, int column) { return view.visualRect(view.model()->index(row, column)); };
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cell(1, 1).center());
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return !engine->urls.empty() && engine->urls.back().find("20002") != std::string::npos; }, kWaitMs));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell(2, 1).center());

    // What the panel draws: the playing row's number in the lit colour, the
    // separator line before the details column.
    const auto litPixels = [&] {
        const QImage image = view.viewport()->grab().toImage();
        int lit = 0;
        const QRect number = cell(1, 0).intersected(image.rect());
        for (int y = number.top(); y <= number.bottom(); ++y)
            for (int x = number.left(); x <= number.right(); ++x) {
                const QColor colour = image.pixelColor(x, y);
                // 0x4CFFBA is a COLORREF (blue in the high byte): a yellow green.
                lit += colour.green() > 200 && colour.red() > 150 && colour.blue() < 120 ? 1 : 0;
            }
        return lit;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return litPixels() > 4; }, kWaitMs)) << "the playing number is lit";
    const QImage image = view.viewport()->grab().toImage();
    const int separatorX = view.header()->sectionViewportPosition(3) - 1;
    int separator = 0;
    for (int y = 0; y < std::min(image.height(), 180); ++y) separator += image.pixel(separatorX, y) == 0xFF616161u ? 1 : 0;
    EXPECT_GE(separator, std::min(image.height(), 180) - 2) << "the separator at x " << separatorX;
}

TEST_F(MainFrameWindowsTest, MovingThePositionSliderTellsTheDesktopWhereTheSongWent) {
    std::vector<qlonglong> seeked;
    frame->Desktop()->MediaService().Player().SetSignalSink([&](const QDBusMessage& signal) {
        if (signal.member() == QLatin1String("Seeked")) seeked.push_back(signal.arguments()[0].toLongLong());
    });
    ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, 1, u"20001_"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !engine->urls.empty(); }, kWaitMs));
    engine->duration = 200;
    engine->Report(wmppsPlaying);
    CBitmapSlider& slider = *frame->Player()->PositionSlider();
    ASSERT_TRUE(slider.IsSliderEnabled());

    // The user takes the slider off its thumb and lets it go there.
    const QPoint middle(slider.width() / 2, slider.height() / 2);
    QTest::mousePress(&slider, Qt::LeftButton, {}, middle);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, middle);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seeked.size() == 1; }, kWaitMs));
    EXPECT_GT(engine->position, 0);
    EXPECT_EQ(seeked[0], static_cast<qlonglong>(engine->position) * 1'000'000);
    // Then a step back with the keyboard.
    QTest::keyClick(&slider, Qt::Key_Left);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seeked.size() == 2; }, kWaitMs));
    EXPECT_EQ(seeked[1], seeked[0] - 1'000'000);
}

// 200 requests from pages in a second (a page, or anyone on its way, may
// send them): a few are taken, at most one plays, the rest are dropped and
// traced, and the play list keeps the user's songs.
TEST_F(MainFrameWindowsTest, AFloodOfSongsFromPagesIsCutToAFewRequests) {
    ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, 0, u"20010_"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return tips.size() == 1; }, kWaitMs));
    const int before = frame->ListManage()->Logic().PlayList().List().GetCount();
    traces.Clear();
    for (int i = 0; i < 200; ++i) {
        const std::u16string id = QString::number(20001 + i % 8).toStdU16String();
        ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, i % 2, id + u"_"));
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return int(tips.size()) - 1 + traces.CountContaining("OnLibSong===Dropped") == 200; }, kWaitMs));
    // All 200 come before the first answer: add, play, add, a second play
    // (too soon), add, and then the queue is full.
    const int taken = int(tips.size()) - 1;
    EXPECT_EQ(taken, int(CLibSongAdmission::kPendingLimit));
    EXPECT_EQ(traces.CountContaining("OnLibSong===Dropped : a song was played"), 1);
    const std::vector<std::string> ids = PlayListIds();
    EXPECT_LE(int(ids.size()), before + taken);
    EXPECT_EQ(ids.front(), "20010") << "the user's songs stay";
    // What was taken is done with: a request later is taken again.
    ASSERT_TRUE(PostMessageWithText(frame->Handle(), WM_FRAME_LIBSONG, 0, u"20009_"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return int(tips.size()) == taken + 2; }, kWaitMs));
}

TEST_F(MainFrameWindowsTest, ASongsPageShowsInTheLibraryPane) {
    SendMessage(frame.get(), WM_FRAME_SONGINFO, 20001, 0);
    EXPECT_TRUE(frame->MiniWeb()->IsShown());
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return frame->MiniWeb()->Browser().CurrentUrl() == standIn.Url("/songhall/tonvik/songinfo.php?song_id=20001"); },
        kWaitMs))
        << frame->MiniWeb()->Browser().CurrentUrl();

    // The tray's "乐库" hides it again.
    Command(ID_LIBRARY);
    EXPECT_FALSE(frame->MiniWeb()->IsShown());
}

TEST_F(MainFrameWindowsTest, AnAlbumsPageOpensSignedInInTheSystemBrowserOverATopMostPlayer) {
    // The traces go to a file, as the options file can ask.
    const auto log = settings / "trace.log";
    SetTraceSink(MakeFileTraceSink(log.string()));
    CListManage& panel = *frame->ListManage();
    panel.Logic().OnCommand(ID_TAB_ALBUMS);
    panel.SetUserNameText("tester");
    panel.SetPasswordText("secret123");
    panel.Logic().OnCommand(ID_SIGN_IN);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.Logic().Page() == kPageAlbumTree; }, kWaitMs));

    // The system's opener, as every local user sees it: its arguments hold
    // no password, nor does its environment hold the web engine's variables.
    FakeOpener opener;
    SendMessage(frame.get(), WM_FRAME_ALBUMINFO, 77, 0);
    ASSERT_GT(opener.WaitForStart(), 0);
    const std::vector<std::string> arguments = opener.Arguments();
    ASSERT_EQ(arguments.size(), 3u);
    for (const std::string& argument : arguments) EXPECT_EQ(argument.find("secret123"), std::string::npos) << argument;
    for (const char* engineOnly : tonvik::platform::kEngineOnlyVariables)
        EXPECT_EQ(opener.Environment().count(engineOnly), 0u) << engineOnly;
    ASSERT_TRUE(qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS")) << "this process has them";
    const std::filesystem::path page = arguments[2];
    EXPECT_EQ(page.parent_path(), runtime.Folder());
    EXPECT_EQ(tonvik::platform::PermissionBits(page), 0600);
    opener.Release();
    EXPECT_TRUE(frame->Player()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // What a browser makes of the page: the service signs the user in and
    // shows the album's editing page.
    standIn.ClearLogs();
    QWebEnginePage browser;
    // (A local page may lead on to the web in a browser; not so in Qt's by default.)
    browser.settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    browser.load(QUrl::fromLocalFile(QString::fromStdString(page.string())));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !standIn.RequestsFor("/shequ/manage/edituseralbum.php").empty(); }, kWaitMs));
    EXPECT_EQ(standIn.RequestsFor("/shequ/manage/edituseralbum.php")[0].query, "id=77");
    ASSERT_EQ(standIn.RequestsFor("/login.php").size(), 1u);
    EXPECT_EQ(standIn.RequestsFor("/login.php")[0].query.find("uid=tester&password=secret123&redirect_url="), 0u);

    // The trace says where it went, without the password; the file is the user's alone.
    SetTraceSink({});
    const std::string host = "http://" + standIn.Host();
    const std::string written = TempDir::Read(log);
    EXPECT_NE(written.find("URl:" + host + "/login.php?uid=tester&password=***&redirect_url=" + host +
                           "/shequ/manage/edituseralbum.php?id=77\n"),
              std::string::npos)
        << written;
    for (const char* form : {"secret123", "c2VjcmV0MTIz"}) EXPECT_EQ(written.find(form), std::string::npos) << form;
    EXPECT_EQ(tonvik::platform::PermissionBits(log), 0600);
}

TEST_F(MainFrameWindowsTest, AlwaysOnTopIsOneStateOfAllFourWindowsThatTheMenuShows) {
    Command(ID_LYRIC);
    ASSERT_TRUE(frame->LyricDlg()->IsShown());
    ASSERT_EQ(MainMenuEntry(QStringLiteral("总在最前"), false), std::optional<bool>(false));

    // Switching never takes a window off the screen: a click meant for it
    // right after would be lost.
    struct HideCounter : QObject {
        int hides = 0;
        bool eventFilter(QObject*, QEvent* event) override { hides += event->type() == QEvent::Hide; return false; }
    } counter;
    for (QWidget* window : {static_cast<QWidget*>(frame->Player()), static_cast<QWidget*>(frame->ListManage()),
                            static_cast<QWidget*>(frame->LyricDlg())})
        window->installEventFilter(&counter);

    // An album's page switches it on: every window, and the menu knows.
    tonvik::platform::SetShellRecorder([](const tonvik::platform::ShellRequest&) { return true; });
    SendMessage(frame.get(), WM_FRAME_ALBUMINFO, 77, 0);
    EXPECT_EQ(OnTop(), 4);
    EXPECT_TRUE(frame->LyricDlg()->IsShown() && frame->ListManage()->IsShown() && frame->Player()->isVisible())
        << "the windows stay on the screen";
    EXPECT_EQ(MainMenuEntry(QStringLiteral("总在最前"), true), std::optional<bool>(true));
    // The menu's entry switched it off again, for all four.
    EXPECT_EQ(OnTop(), 0);
    EXPECT_FALSE(frame->IsTopMost());
    ASSERT_EQ(MainMenuEntry(QStringLiteral("总在最前"), true), std::optional<bool>(false));
    EXPECT_EQ(OnTop(), 4);
    EXPECT_EQ(counter.hides, 0);

    // The lyric window's own "总在前面" keeps it on top when the frame's goes.
    ASSERT_TRUE(PostCommand(frame->LyricDlg(), ID_LYRIC_TOPMOST));
    QCoreApplication::sendPostedEvents(frame->LyricDlg());
    frame->SetTopMost(false);
    EXPECT_EQ(OnTop(), 1);
    EXPECT_TRUE(frame->LyricDlg()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MainFrameWindowsTest, WindowsStartOnTheScreenAndTheListButtonFollowsThePanel) {
    // Each window's first place is inside the screen's available area.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (QWidget* window : {static_cast<QWidget*>(frame->Player()), static_cast<QWidget*>(frame->MiniWeb()),
                            static_cast<QWidget*>(frame->LyricDlg())})
        EXPECT_TRUE(area.contains(window->geometry())) << window->windowTitle().toStdString();

    // The panel closed with its own button: the player's list button says so.
    ASSERT_TRUE(frame->Player()->ShowsStateFace(IDC_LIST));
    ClickPanel(ID_CLOSE_PANEL);
    ASSERT_FALSE(frame->ListManage()->IsShown());
    EXPECT_TRUE(QTest::qWaitFor([this] { return !frame->Player()->ShowsStateFace(IDC_LIST); }, kWaitMs));
    EXPECT_EQ(frame->Player()->Button(IDC_LIST)->toolTip(), QStringLiteral("展开列表"));
}

// The player's keys pressed in the panel are the player's: the frame hands
// them over.
TEST_F(MainFrameWindowsTest, ThePlayersKeysPressedInThePanelReachThePlayer) {
    CListManage& panel = *frame->ListManage();
    CPlayMainDlg& player = *frame->Player();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    panel.setFocus(Qt::OtherFocusReason);
    const int volume = engine->volume;
    QTest::keyClick(&panel, Qt::Key_Down);
    EXPECT_EQ(engine->volume, std::max(0, volume - 10));
    QTest::keyClick(&panel, Qt::Key_M);
    EXPECT_TRUE(engine->mute);
    EXPECT_TRUE(player.ShowsStateFace(IDC_MUTE));

    QTest::keyClick(&panel, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&player));
    EXPECT_TRUE(player.SearchEdit()->hasFocus()) << "the search box is the player's";
}

TEST_F(MainFrameWindowsTest, GoingOfflineStopsLocksAndTellsAndComingBackUnlocks) {
    CNetworkWatch& watch = *frame->NetworkWatch();
    watch.OnTimer(CNetworkWatch::kWatchTimer);
    engine->Report(3);  // playing
    online = false;
    watch.OnTimer(CNetworkWatch::kWatchTimer);
    EXPECT_GE(engine->stops, 1);
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(FromAnsi(tips[0].text), QStringLiteral("网络连接异常，请联网后使用本软件"));
    EXPECT_EQ(lockedWhileShown, (std::vector<bool>{true}));
    EXPECT_FALSE(frame->ListManage()->isEnabled());
    EXPECT_FALSE(frame->MiniWeb()->isEnabled());
    EXPECT_FALSE(frame->LyricDlg()->isEnabled());
    EXPECT_TRUE(frame->Player()->isEnabled()) << "the player stays usable offline";
    ASSERT_FALSE(tray->balloons.empty());
    EXPECT_EQ(FromAnsi(tray->balloons.back().balloonText), QStringLiteral("软件处于断网状态！"));
    EXPECT_EQ(tray->balloons.back().balloonTimeout, 10000u);
    EXPECT_EQ(frame->TrayIcon()->IconResource(), CNetworkWatch::TrayIconFor(frame->PlayerSkinFolder(), false));

    // Offline, the tray menu leaves out what needs the service.
    frame->TrayIcon()->HandleNotification(218, WM_RBUTTONUP_MSG);
    ASSERT_TRUE(tray->lastMenu.has_value());
    EXPECT_EQ(tray->lastMenu->FindCommand(ID_LYRIC), nullptr);

    online = true;
    watch.OnTimer(CNetworkWatch::kWatchTimer);
    EXPECT_TRUE(AllUnlocked());
    EXPECT_EQ(frame->TrayIcon()->IconResource(), CNetworkWatch::TrayIconFor(frame->PlayerSkinFolder(), true));
    EXPECT_TRUE(watch.IsTimerActive(CNetworkWatch::kLibraryTimer));
    watch.OnTimer(CNetworkWatch::kLibraryTimer);
    EXPECT_TRUE(traces.Has("Navigate miniweb."));
}

TEST_F(MainFrameWindowsTest, AnUpdateCheckThatEndsTheStartMakesNoWindow) {
    CMainFrame second([](unsigned) {});
    second.SetUpdateCheck([] { return false; });
    EXPECT_FALSE(second.Create());
    EXPECT_EQ(second.Player(), nullptr);
    EXPECT_EQ(second.TrayIcon(), nullptr);
    EXPECT_EQ(second.Notifier(), nullptr);
}

namespace {

// The panel with its strip of a page (the service's advertisement).
class MainFrameStripTest : public MainFrameWindowsTest {
protected:
    bool PanelPagePane() const override { return true; }
};

}  // namespace

// The strip follows the rules of the library pane: its page's scripts
// choose no song; the user's click on its song link does.
TEST_F(MainFrameStripTest, OnlyTheUsersClickInTheStripChoosesASong) {
    CListManage& panel = *frame->ListManage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.PagePane() != nullptr; }, kWaitMs));
    QWebEngineView* strip = EngineViewOf(panel.PagePane());
    ASSERT_NE(strip, nullptr);
    auto shows = [&](const std::string& path) {
        return QTest::qWaitFor([&] { return strip->url().toString().toStdString() == standIn.Url(path); }, kWaitMs);
    };
    ASSERT_TRUE(shows("/iframe/songhall/tonvik/ad.html"));
    // Once the strip has its page, the watch asks for it no more.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->NetworkWatch()->IsTimerActive(CNetworkWatch::kAdvertTimer); }, kWaitMs));
    traces.Clear();
    panel.NavigatePane(standIn.Url("/testpages/timer.html"));
    ASSERT_TRUE(shows("/testpages/timer.html"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return traces.CountContaining("OnBeforeNavigate===Refused song link") == 4; }, kWaitMs));

    panel.NavigatePane(standIn.Url("/iframe/songhall/tonvik/ad.html"));
    ASSERT_TRUE(shows("/iframe/songhall/tonvik/ad.html"));
    // The advertisement's song link, clicked with the mouse (until the page,
    // just drawn, takes the press).
    QWebEnginePage* page = strip->page();
    QPoint middle;
    bool found = false;
    page->runJavaScript(QStringLiteral("(() => { const a = document.querySelector('a.play'); a.scrollIntoView({block: 'center'});"
                                       "const r = a.getBoundingClientRect();"
                                       "return [r.left + r.width / 2, r.top + r.height / 2]; })()"),
                        [&](const QVariant& value) {
                            const QVariantList xy = value.toList();
                            if (xy.size() == 2) middle = QPoint(qRound(xy[0].toDouble()), qRound(xy[1].toDouble()));
                            found = true;
                        });
    ASSERT_TRUE(QTest::qWaitFor([&] { return found; }, kWaitMs));
    ASSERT_FALSE(middle.isNull());
    for (int attempt = 0; attempt < 10 && tips.empty(); ++attempt) {
        QTest::mouseClick(strip->focusProxy(), Qt::LeftButton, {}, middle);
        if (QTest::qWaitFor([&] { return !tips.empty(); }, 3000)) break;
    }
    ASSERT_FALSE(tips.empty()) << middle.x() << "," << middle.y() << " in " << strip->width() << "x"
                               << strip->height() << "\n"
                               << [&] { std::string all; for (auto& l : traces.Lines()) all += l + "\n"; return all; }();
    EXPECT_EQ(PlayListIds(), (std::vector<std::string>{"20001"}));
    EXPECT_EQ(traces.CountContaining("OnBeforeNavigate===Refused"), 4);
}

// ---- High-density screens ---------------------------------------------------

namespace {

QString RegionText(const QRegion& region) {
    QStringList rects;
    for (const QRect& r : region) rects << QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    return rects.join(QLatin1Char(' '));
}

QString SizeText(const QSize& size) { return QStringLiteral("%1x%2").arg(size.width()).arg(size.height()); }

// How many pixels of `shown` differ from the same layout pixels of the
// picture file `expected`, both at the ratio of `shown`.
int Mismatches(const QImage& shown, const QImage& expected, const QPoint& layoutOrigin) {
    const int ratio = qRound(shown.devicePixelRatio());
    int differ = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            differ += (shown.pixel(x, y) & 0xFFFFFF) != (expected.pixel(layoutOrigin.x() * ratio + x, layoutOrigin.y() * ratio + y) & 0xFFFFFF);
    return differ;
}

// Among the aligned 2 x 2 blocks of a picture drawn at twice its size that
// are not in a flat area, the share whose four pixels are the same: 1 for
// an enlargement that repeats pixels, well under it for a smooth one.
double BlockyShare(const QImage& image) {
    int edges = 0, blocky = 0;
    for (int y = 0; y + 3 < image.height(); y += 2)
        for (int x = 0; x + 3 < image.width(); x += 2) {
            const QRgb a = image.pixel(x, y);
            if (a == image.pixel(x + 2, y) && a == image.pixel(x, y + 2)) continue;  // flat here
            ++edges;
            blocky += a == image.pixel(x + 1, y) && a == image.pixel(x, y + 1) && a == image.pixel(x + 1, y + 1);
        }
    return edges == 0 ? 1.0 : double(blocky) / edges;
}

}  // namespace

// Not run on its own: the program run by the test below, once per screen
// scale, writes what it sees into the file TONVIK_DENSITY_REPORT names.
TEST_F(MainFrameWindowsTest, DISABLED_ReportsTheWindowsAtTheScreensScale) {
    const QString reportFile = qEnvironmentVariable("TONVIK_DENSITY_REPORT");
    ASSERT_FALSE(reportFile.isEmpty());
    CPlayMainDlg* player = frame->Player();
    CListManage* panel = frame->ListManage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->isVisible() && panel->isVisible(); }, kWaitMs));
    QTest::mouseClick(player->Button(IDC_LYRIC), Qt::LeftButton);
    QTest::mouseClick(player->Button(IDC_LIBRARY), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->LyricDlg()->isVisible() && frame->MiniWeb()->isVisible(); }, kWaitMs));

    QStringList lines;
    const auto window = [&](const char* name, QWidget* widget) {
        lines << QStringLiteral("%1-size %2").arg(QLatin1String(name), SizeText(widget->size()));
        lines << QStringLiteral("%1-region %2").arg(QLatin1String(name), RegionText(widget->mask()));
    };
    window("player", player);
    window("panel", panel);
    window("lyric", frame->LyricDlg());
    window("library", frame->MiniWeb());
    const QPoint docked = panel->pos() - player->pos();
    lines << QStringLiteral("panel-docked-at %1,%2").arg(docked.x()).arg(docked.y());

    // What the screen shows of the player's background (its brand, where no
    // control lies) and of the play button's middle, against the pictures.
    const qreal ratio = qApp->devicePixelRatio();
    const std::filesystem::path skin = program / "Skin2";
    const auto file = [&](const char* name) {
        const std::string stem = (skin / name).string();
        return QImage(QString::fromStdString(ratio >= 1.5 ? stem + "@2x.bmp" : stem + ".bmp"));
    };
    const QRect brand(8, 4, 40, 20);
    const QImage shownBrand = player->grab(brand).toImage();
    lines << QStringLiteral("shown-ratio %1").arg(shownBrand.devicePixelRatio());
    lines << QStringLiteral("background-mismatches %1").arg(Mismatches(shownBrand, file("PlayerBack"), brand.topLeft()));
    QWidget* play = player->Button(IDC_PLAY_PAUSE);
    const QRect middle(play->width() / 2 - 5, play->height() / 2 - 5, 10, 10);
    lines << QStringLiteral("play-mismatches %1").arg(Mismatches(play->grab(middle).toImage(), file("Play"), middle.topLeft()));

    // A button whose picture has no double-size twin.
    TempDir single;
    std::filesystem::copy_file(skin / "Play.bmp", single / "Play.bmp");
    CSkinButtonEx lone;
    lone.SetImages((single / "Play.bmp").string(), {}, {});
    lone.resize(lone.sizeHint());
    lines << QStringLiteral("lone-size %1").arg(SizeText(lone.size()));
    lines << QStringLiteral("lone-blocky %1").arg(BlockyShare(lone.grab().toImage()), 0, 'f', 2);

    QFile out(reportFile);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(lines.join(QLatin1Char('\n')).toUtf8());
}

// At 150 % and 200 % every window keeps its size, its region and its place
// under the player; at 200 % the double-size pictures are what the screen
// shows, and a picture without one is enlarged smoothly.
TEST(HighDensityScreens, TheWindowsKeepTheirLayoutAndShowSharpPictures) {
    TempDir reports;
    const auto report = [&](const char* scale) {
        std::map<QString, QString> values;
        const QString file = QString::fromStdString((reports / (std::string("at-") + scale)).string());
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
        environment.insert(QStringLiteral("TONVIK_DENSITY_REPORT"), file);
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_also_run_disabled_tests"),
                     QStringLiteral("--gtest_filter=MainFrameWindowsTest.DISABLED_ReportsTheWindowsAtTheScreensScale")});
        if (!child.waitForFinished(90000)) child.kill();
        EXPECT_EQ(child.exitCode(), 0) << "at scale " << scale << ":\n" << child.readAllStandardOutput().toStdString();
        QFile in(file);
        if (in.open(QIODevice::ReadOnly))
            for (const QByteArray& line : in.readAll().split('\n')) {
                const int space = line.indexOf(' ');
                if (space > 0) values[QString::fromUtf8(line.left(space))] = QString::fromUtf8(line.mid(space + 1));
            }
        return values;
    };
    const auto normal = report("1");
    ASSERT_FALSE(normal.empty());
    EXPECT_FALSE(normal.at("player-region").isEmpty());
    EXPECT_EQ(normal.at("background-mismatches"), "0");
    std::map<std::string, std::map<QString, QString>> scaled;
    for (const char* scale : {"1.5", "2"}) {
        scaled[scale] = report(scale);
        ASSERT_FALSE(scaled[scale].empty()) << scale;
        for (const char* key : {"player-size", "player-region", "panel-size", "panel-region", "panel-docked-at", "lyric-size",
                                "lyric-region", "library-size", "library-region", "lone-size"})
            EXPECT_EQ(scaled[scale].at(key), normal.at(key)) << key << " at scale " << scale;
    }
    const auto& twice = scaled["2"];
    EXPECT_EQ(twice.at("shown-ratio"), "2");
    EXPECT_EQ(twice.at("background-mismatches"), "0") << "the double-size background is shown";
    EXPECT_EQ(twice.at("play-mismatches"), "0") << "the double-size play button is shown";
    EXPECT_LT(twice.at("lone-blocky").toDouble(), 0.5) << "a picture without a twin is enlarged smoothly";
}
