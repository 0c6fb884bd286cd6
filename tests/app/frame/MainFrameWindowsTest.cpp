// The main frame with its four windows against a service stand-in: what it
// makes and in which order it lets them go, the commands the tray and the
// menus share, messages that lock every window, and the requests of the
// windows (songs chosen on pages, a song's page, an album's page). The
// media engine, the notification area, the message box and the tip are
// stand-ins; the system browser is a recorder.

#include "albums/ListManage.h"
#include "albums/PanelIds.h"
#include "app/LibSongAdmission.h"
#include "app/MainFrame.h"
#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "lyrics/LyricDlg.h"
#include "notify/TaskbarNotifier.h"
#include "platform/Network.h"
#include "platform/PrivateFile.h"
#include "platform/Shell.h"
#include "playback/PlayMainDlg.h"
#include "notify/NotifyIds.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tests/notify/TrayIconTestSupport.h"
#include "tests/playback/PlayFakes.h"
#include "tests/support/FakeOpener.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"
#include "tools/standin/ProgramFolder.h"
#include "tools/standin/StandIn.h"
#include "web/MiniWebBrowserDlg.h"

#include <QSettings>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <algorithm>

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
    auto shows = [&](const std::string& path) {
        return QTest::qWaitFor([&] { return panel.PagePane()->url().toString().toStdString() == standIn.Url(path); }, kWaitMs);
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
    QWebEnginePage* page = panel.PagePane()->page();
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
        QTest::mouseClick(panel.PagePane()->focusProxy(), Qt::LeftButton, {}, middle);
        if (QTest::qWaitFor([&] { return !tips.empty(); }, 3000)) break;
    }
    ASSERT_FALSE(tips.empty()) << middle.x() << "," << middle.y() << " in " << panel.PagePane()->width() << "x"
                               << panel.PagePane()->height() << "\n"
                               << [&] { std::string all; for (auto& l : traces.Lines()) all += l + "\n"; return all; }();
    EXPECT_EQ(PlayListIds(), (std::vector<std::string>{"20001"}));
    EXPECT_EQ(traces.CountContaining("OnBeforeNavigate===Refused"), 4);
}
