// The player window over the shipped skins, driven by command numbers and
// by clicks on its skinned buttons, with a scripted engine and stand-ins for
// the frame and the windows beside the player.

#include "playback/PlayMainDlg.h"

#include "PlayFakes.h"
#include "PlayerFakes.h"

#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "platform/Profile.h"
#include "platform/Shell.h"
#include "playback/PlayerIds.h"
#include "playback/PlayerControls.h"
#include "playback/PlayerMenus.h"
#include "playback/WMPPlayer4.h"
#include "skin/controls/BitmapSlider.h"
#include "skin/controls/EditTrans.h"
#include "skin/controls/RollTextStatic.h"
#include "skin/controls/SkinButtonEx.h"
#include "skin/picture/PictureEx.h"
#include "tests/support/AccessibleTree.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"
#include "tests/support/WavFile.h"

#include <QApplication>
#include <QAccessible>
#include <QMenu>
#include <QUrl>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

namespace {

const std::string kDataDir = TONVIK_DATA_DIR;


class PlayMainDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetupWellKnownPaths(folder.Path());
        frame.panel = &panel;
        frame.browser = &browser;
        frame.lyric = &lyric;
    }

    void TearDown() override { tonvik::platform::SetShellRecorder(nullptr); }

    std::filesystem::path Settings() const { return folder / "TonvikMusic.ini"; }

    // The window over `skinRoot`; the engine stays reachable as `engine`.
    CPlayMainDlg& Open(const std::string& skinRoot = kDataDir) {
        auto scripted = std::make_unique<CScriptedEngine>();
        engine = scripted.get();
        window = std::make_unique<CPlayMainDlg>(frame, std::move(scripted),
                                                CPlayMainDlg::Places{skinRoot, Settings()});
        window->show();
        return *window;
    }

    void Click(int id) {
        CSkinButtonEx* button = window->Button(id);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isVisible()) << "button " << id;
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        QCoreApplication::sendPostedEvents(window.get());
    }

    // A key as the keyboard gives it: to the control that has the focus.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = window->focusWidget() ? window->focusWidget() : window.get();
        QTest::keyClick(target, key, modifiers);
        QCoreApplication::sendPostedEvents(window.get());
    }
    void Activate() {
        // The shadow comes with the first show; the player is made active after it.
        QCoreApplication::sendPostedEvents(window.get());
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // Types into the search box and clicks the search button.
    void Search(const QString& text) {
        window->SearchEdit()->setText(text);
        Click(IDC_SEARCH);
    }

    TempDir folder;
    TraceCapture traces;
    CFakePanelWindow panel;
    CFakeBrowserWindow browser;
    CFakeLyricWindow lyric;
    CFakePlayerFrame frame;
    CScriptedEngine* engine = nullptr;
    std::unique_ptr<CPlayMainDlg> window;
};

}  // namespace

TEST_F(PlayMainDlgTest, OpensInSkin2WithoutAChoiceAndTheActiveSkinChangesNothing) {
    CPlayMainDlg& player = Open();
    EXPECT_EQ(player.Looks().Skin(), "Skin2");
    EXPECT_EQ(player.windowTitle(), QStringLiteral("Tonvik Player"));
    EXPECT_EQ(player.size(), QSize(433, 166));
    EXPECT_FALSE(player.mask().isEmpty()) << "cut to the background's shape";
    EXPECT_FALSE(player.mask().contains(QPoint(0, 0))) << "the rounded corner is cut away";
    EXPECT_EQ(player.TimeText()->Text(), QStringLiteral("00:00"));
    EXPECT_FALSE(player.PositionSlider()->IsSliderEnabled());
    EXPECT_EQ(engine->volume, 50);
    EXPECT_EQ(player.VolumeSlider()->GetValue(), 50);
    EXPECT_EQ(player.Controller().Volume(), 50);

    player.OnCommand(ID_SKIN_CLASSIC);
    EXPECT_FALSE(std::filesystem::exists(Settings())) << "nothing is written for the active skin";
    EXPECT_TRUE(panel.skins.empty());

    player.OnCommand(ID_SKIN_ORANGE);
    EXPECT_EQ(player.Looks().Skin(), "Skin");
    EXPECT_EQ(GetPrivateProfileString("SKIN", "Kind", "", Settings()), "1");
    EXPECT_EQ(panel.skins, std::vector<std::string>{"Skin"});
    EXPECT_EQ(browser.skins, std::vector<std::string>{"Skin"});
    EXPECT_EQ(lyric.skins, std::vector<std::string>{"Skin"});
    EXPECT_TRUE(panel.shown && browser.shown && lyric.shown) << "the windows shown before are shown again";
    EXPECT_TRUE(player.isVisible());

    player.OnCommand(ID_SKIN_CLASSIC);
    EXPECT_EQ(GetPrivateProfileString("SKIN", "Kind", "", Settings()), "2");
}

TEST_F(PlayMainDlgTest, AKindThatIsNotANumberMeansTheOrangeSkin) {
    folder.Write("TonvikMusic.ini", "[SKIN]\r\nKind=abc\r\n");
    EXPECT_EQ(Open().Looks().Skin(), "Skin");
}

TEST_F(PlayMainDlgTest, SearchTakesSixtyFourUnitsAndRefusesMoreOrTextTheServiceCannotCarry) {
    Open();
    const QString cue = CEditTrans::PlaceholderText();
    Search(QString(64, QChar(u'歌')));
    ASSERT_EQ(browser.searches.size(), 1u);
    std::string sixtyFour;
    for (int i = 0; i < 64; ++i) sixtyFour += "歌";
    EXPECT_EQ(browser.searches[0], Cp936(sixtyFour));
    EXPECT_EQ(window->SearchEdit()->text(), cue);
    EXPECT_TRUE(frame.messages.empty());

    Search(QString(65, QChar(u'a')));
    Search(QString());
    Search(cue);
    Search(QStringLiteral("rock \U0001F3B8"));  // a guitar: no GBK code for it
    EXPECT_EQ(browser.searches.size(), 1u);
    EXPECT_EQ(frame.messages, (std::vector<std::string>{Cp936("搜索的内容不能超过64个字符"),
                                                         Cp936("请输入相应的歌手、歌曲、专辑！"),
                                                         Cp936("请输入相应的歌手、歌曲、专辑！"),
                                                         Cp936("搜索的内容含有无法识别的字符")}));
    EXPECT_EQ(window->SearchEdit()->text(), cue);
}

TEST_F(PlayMainDlgTest, VolumeButtonsMoveByTenWithinTheRangeAndMuteReachesTheEngine) {
    Open();
    engine->volume = 95;
    Click(IDC_VOLUME_UP);
    EXPECT_EQ(engine->volume, 100);
    EXPECT_EQ(window->VolumeSlider()->GetValue(), 100);
    EXPECT_EQ(window->Controller().Volume(), 100);
    engine->volume = 5;
    Click(IDC_VOLUME_DOWN);
    EXPECT_EQ(engine->volume, 0);
    window->OnCommand(ID_VOLUME_UP);
    EXPECT_EQ(engine->volume, 10);

    Click(IDC_MUTE);
    EXPECT_TRUE(engine->mute);
    EXPECT_TRUE(window->ShowsStateFace(IDC_MUTE));
    EXPECT_EQ(window->Button(IDC_MUTE)->toolTip(), QStringLiteral("静音"));
    EXPECT_EQ(window->VolumeSlider()->GetValue(), 0);
    window->OnCommand(ID_VOLUME_UP);
    EXPECT_EQ(engine->volume, 20) << "the volume moves while muted";
    EXPECT_EQ(window->VolumeSlider()->GetValue(), 0) << "but the slider shows 0 until the sound returns";

    Click(IDC_MUTE);
    EXPECT_FALSE(engine->mute);
    EXPECT_EQ(window->Button(IDC_MUTE)->toolTip(), QStringLiteral("非静音"));
    EXPECT_EQ(window->VolumeSlider()->GetValue(), 20);

    // A drag of the volume slider takes the controller's way to the engine.
    window->VolumeSlider()->SetValue(70);
    ASSERT_TRUE(PostMessage(window.get(), WM_SLIDER_DRAGEND, IDC_VOLUME_SLIDER, 70));
    QCoreApplication::sendPostedEvents(window.get());
    EXPECT_EQ(engine->volume, 70);
}

TEST_F(PlayMainDlgTest, ThePlayButtonFollowsTheControllersStateAndStartsThePanelsSongWhenStopped) {
    Open();
    EXPECT_FALSE(window->ShowsStateFace(IDC_PLAY_PAUSE));
    EXPECT_EQ(window->Button(IDC_PLAY_PAUSE)->toolTip(), QStringLiteral("播放"));
    Click(IDC_PLAY_PAUSE);
    EXPECT_EQ(panel.selectedPlays, 1) << "stopped: the panel plays its selected song";

    engine->Report(wmppsTransitioning);
    engine->Report(wmppsPlaying);
    EXPECT_TRUE(window->ShowsStateFace(IDC_PLAY_PAUSE));
    EXPECT_EQ(window->Button(IDC_PLAY_PAUSE)->toolTip(), QStringLiteral("暂停"));
    EXPECT_TRUE(window->TitleText()->IsRolling());
    EXPECT_TRUE(window->AnimationPicture()->IsPlaying());

    // Nothing moves while nobody can see it (the player hidden in the tray).
    window->hide();
    EXPECT_FALSE(window->TitleText()->IsRolling());
    EXPECT_FALSE(window->AnimationPicture()->IsPlaying());
    window->show();
    EXPECT_TRUE(window->TitleText()->IsRolling());
    EXPECT_TRUE(window->AnimationPicture()->IsPlaying());

    Click(IDC_PLAY_PAUSE);
    EXPECT_EQ(engine->pauses, 1) << "playing: the button pauses";
    engine->Report(wmppsPaused);
    EXPECT_FALSE(window->ShowsStateFace(IDC_PLAY_PAUSE));
    window->OnCommand(ID_MENU_PLAY_PAUSE);
    EXPECT_EQ(engine->plays, 1) << "paused: the menu entry resumes";
    engine->Report(wmppsPlaying);
    EXPECT_TRUE(window->ShowsStateFace(IDC_PLAY_PAUSE));

    Click(IDC_STOP);
    EXPECT_FALSE(window->ShowsStateFace(IDC_PLAY_PAUSE));
    EXPECT_EQ(window->TimeText()->Text(), QStringLiteral("00:00"));
    EXPECT_EQ(panel.selectedPlays, 1);
}

TEST_F(PlayMainDlgTest, MiniModeLoadsTheMiniSkinAndComesBackAndOnlySkin2Rotates) {
    Open();
    browser.shown = true;
    lyric.shown = false;
    Click(IDC_MINI_MODE);
    EXPECT_TRUE(window->Looks().MiniMode());
    EXPECT_EQ(window->size(), QSize(320, 46));
    EXPECT_EQ(window->Button(IDC_MINI_MODE)->toolTip(), QStringLiteral("外观模式"));
    EXPECT_FALSE(panel.shown || browser.shown || lyric.shown);
    EXPECT_FALSE(window->VolumeSlider()->isVisible()) << "the mini skin has no volume slider";
    EXPECT_TRUE(window->isVisible());

    Click(IDC_ROTATE);
    EXPECT_EQ(window->Looks().MiniSkin(), "Skin2/MiniSkin2");
    EXPECT_EQ(window->size(), QSize(100, 150));

    Click(IDC_MINI_MODE);
    EXPECT_FALSE(window->Looks().MiniMode());
    EXPECT_EQ(window->size(), QSize(433, 166));
    EXPECT_TRUE(browser.shown) << "shown again, as it was";
    EXPECT_FALSE(lyric.shown) << "hidden before, so it stays hidden";
    EXPECT_TRUE(panel.shown);
    EXPECT_EQ(window->Button(IDC_MINI_MODE)->toolTip(), QStringLiteral("迷你模式"));

    window->OnCommand(ID_SKIN_ORANGE);
    window->OnCommand(IDC_MINI_MODE);
    EXPECT_EQ(window->Looks().CurrentFolder(), "Skin/MiniSkin");
    const QSize mini = window->size();
    window->OnCommand(IDC_ROTATE);
    EXPECT_EQ(window->Looks().MiniSkin(), "Skin/MiniSkin") << "the orange skin has one mini skin";
    EXPECT_EQ(window->size(), mini);
}

TEST_F(PlayMainDlgTest, ThePanelDocksUnderThePlayerWhereverItMoves) {
    Open();
    window->move(100, 50);
    EXPECT_EQ(panel.docked, QRect(139, 214, 355, 353));
    EXPECT_GT(panel.raised, 0);
    window->OnCommand(IDC_MINI_MODE);
    panel.docked = {};
    window->move(300, 300);
    EXPECT_EQ(panel.docked, QRect()) << "a Skin2 mini player leaves the panel where it is";
    window->OnCommand(IDC_MINI_MODE);
    window->OnCommand(ID_SKIN_ORANGE);
    window->move(20, 30);
    EXPECT_EQ(panel.docked, QRect(20, 204, 342, 360));
    EXPECT_GT(frame.dragRestores, 0);
}

TEST_F(PlayMainDlgTest, TheSwitchesReachThePanelAndTheWindowsBesideThePlayer) {
    Open();
    Click(IDC_REPEAT_ONE);
    EXPECT_EQ(panel.mode, kModeRepeatOne);
    EXPECT_EQ(window->Button(IDC_REPEAT_ONE)->toolTip(), QStringLiteral("取消单曲循环"));
    Click(IDC_REPEAT_ONE);
    EXPECT_EQ(panel.mode, kModeRepeatList);
    window->OnCommand(kCmdModeFirst + kModeRepeatOne);
    EXPECT_TRUE(window->ShowsStateFace(IDC_REPEAT_ONE)) << "any change of the mode updates the switch";

    Click(IDC_LIST);
    EXPECT_FALSE(panel.shown);
    EXPECT_EQ(window->Button(IDC_LIST)->toolTip(), QStringLiteral("展开列表"));
    window->OnCommand(ID_PLAY_LIST);
    EXPECT_TRUE(panel.shown);
    Click(IDC_LIBRARY);
    EXPECT_FALSE(browser.shown);
    window->OnCommand(ID_LYRIC);
    EXPECT_FALSE(lyric.shown);
    window->OnCommand(ID_ADD_LIBRARY_SONGS);
    EXPECT_EQ(panel.libraryAdds, 1);

    window->OnCommand(ID_TOP_MOST);
    window->OnCommand(ID_TOP_MOST);
    EXPECT_EQ(frame.topMost, (std::vector<bool>{true, false}));
    window->OnCommand(ID_ABOUT);
    EXPECT_EQ(frame.abouts, 1);

    // Minimising takes the shown windows along; restoring brings them back.
    browser.shown = false;
    window->OnCommand(IDC_MINIMIZE);
    EXPECT_EQ(panel.minimized + lyric.minimized + browser.minimized, 1);
    SendMessage(window.get(), WM_SYSCOMMAND, SC_RESTORE);
    EXPECT_EQ(panel.restored, 1);
    EXPECT_EQ(browser.restored, 0);

    // Without the windows beside it, the same commands do nothing.
    frame.panel = nullptr;
    frame.browser = nullptr;
    frame.lyric = nullptr;
    for (int command : {IDC_REPEAT_ONE, IDC_LIST, IDC_LIBRARY, IDC_LYRIC, ID_ADD_LIBRARY_SONGS, ID_LOG_OUT,
                        IDC_PLAY_PAUSE, IDC_PREVIOUS, IDC_NEXT, kCmdModeFirst})
        window->OnCommand(command);
    Search(QStringLiteral("rock"));
    window->move(10, 10);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(PlayMainDlgTest, PagesOpenInTheBrowserWithTheHostsOfTheSettings) {
    folder.Write("TonvikMusic.ini", "[Hosts]\r\nService=svc.test\r\nLogin=login.test:81\r\nComment=talk.test\r\n");
    std::vector<std::string> opened;
    std::vector<tonvik::platform::ShellRequest::Kind> kinds;
    tonvik::platform::SetShellRecorder([&](const tonvik::platform::ShellRequest& request) {
        opened.push_back(request.target);
        kinds.push_back(request.kind);
        return true;
    });
    Open();
    panel.user = Cp936("小明 a");
    panel.password = "p&w#1";
    window->OnCommand(ID_HELP_PAGE);
    window->OnCommand(ID_FEEDBACK_PAGE);
    Click(IDC_MY_PAGE);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], "http://svc.test/shequ/TonvikPlayer.shtml");
    EXPECT_EQ(opened[1], "http://talk.test/comment/skin/default.html?channel=yy&newsid=veloramusic-1-songhall-s508344");
    EXPECT_EQ(opened[2], "http://login.test:81/login.php?uid=%E5%B0%8F%E6%98%8E+a&password=p%26w%231"
                         "&redirect_url=http://svc.test/shequ/u/");
    // The address with the password goes through a private page, never as an argument.
    using Kind = tonvik::platform::ShellRequest::Kind;
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Url, Kind::Url, Kind::PrivateUrl}));

    window->OnCommand(IDC_MINI_MODE);
    window->OnCommand(IDC_MY_PAGE);
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_EQ(frame.messages, std::vector<std::string>{Cp936("请切换为外观模式进行登录！")});
}

TEST_F(PlayMainDlgTest, LogOutWaitsForTheSignOutAndAsksWhileTheWorkerSaves) {
    Open();
    panel.logon = true;
    window->OnCommand(ID_LOG_OUT);
    EXPECT_EQ(panel.logouts, 1);
    EXPECT_EQ(panel.forgotten, 1);
    EXPECT_TRUE(traces.Has("OnUnreg===Logout Ok."));

    // A sign-out that does not end in time is ended by force.
    panel.logon = true;
    panel.logoutHangs = true;
    window->OnCommand(ID_LOG_OUT);
    EXPECT_TRUE(traces.Has("OnUnreg===Logout Timeout."));
    EXPECT_EQ(panel.terminated, std::vector<std::uint32_t>{0xFFFFFFFF});
    EXPECT_EQ(panel.waits.back(), (std::pair<int, std::string>{500, "OnUnreg"}));
    EXPECT_EQ(panel.forgotten, 2);

    // Changed albums go out first.
    panel.logon = true;
    panel.changedAlbums = true;
    window->OnCommand(ID_LOG_OUT);
    EXPECT_TRUE(traces.Has("OnUnreg==BeforeAction : 1"));
    EXPECT_EQ(panel.forgotten, 2);
    panel.changedAlbums = false;

    // A busy worker: the user is asked, and a no keeps everything.
    panel.SetBusy(true);
    frame.answer = kIdCancel;
    window->OnCommand(ID_LOG_OUT);
    EXPECT_EQ(frame.messages.back(), Cp936("正在保存中...确定要注销吗？"));
    EXPECT_EQ(frame.messageFlags.back(), kMbOkCancel);
    EXPECT_EQ(panel.forgotten, 2);

    // A yes ends the worker; a song from an album stops with the session.
    St_SongInfo song;
    song.id = "5";
    panel.lists[kListAlbum].Add(song);
    window->Controller().Play(song, 0, kListAlbum, 0);
    frame.answer = kIdOk;
    window->OnCommand(ID_LOG_OUT);
    EXPECT_EQ(panel.terminated.back(), 0xFFFFFFFFu);
    EXPECT_EQ(panel.forgotten, 3);
    EXPECT_EQ(panel.albumsCleared, 1);
    EXPECT_TRUE(traces.Has("DoStop : 0 Caller:OnUnreg"));
}

TEST_F(PlayMainDlgTest, CloseAppSavesTheListAndEndsWithZeroWhenTheWorkerHangs) {
    Open();
    panel.logon = true;
    panel.SetBusy(true);  // and it never ends by itself
    engine->Report(wmppsPlaying);
    window->CloseApp();

    EXPECT_EQ(panel.saves, 1);
    EXPECT_TRUE(panel.closing) << "the panel shows no message box from here on";
    EXPECT_EQ(panel.waits.front(), (std::pair<int, std::string>{3000, "CloseApp1"}));
    EXPECT_TRUE(traces.Has("CloseApp===Terminate thread1."));
    EXPECT_EQ(panel.terminated.front(), 0xFFFFFFFEu);
    EXPECT_EQ(panel.logouts, 1) << "the worker ended by force is free for the sign-out";
    EXPECT_TRUE(traces.Has("===Over!==="));
    EXPECT_EQ(frame.exitCodes, std::vector<unsigned>{0});
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(panel.shown || browser.shown || lyric.shown);
    EXPECT_EQ(engine->stops, 0) << "the engine is not told to stop while closing";

    // A second request while closing does nothing more.
    window->CloseApp();
    EXPECT_EQ(frame.exitCodes.size(), 1u);
}

TEST_F(PlayMainDlgTest, QuittingSilencesTheMusicBeforeTheWaits) {
    // The real engine playing ten seconds of tone into a sink that keeps time.
    std::string reason;
    CWMPPlayer4Options options;
    options.audioSink = "fakesink";
    std::unique_ptr<CWMPPlayer4> made = CWMPPlayer4::Create(options, &reason);
    ASSERT_TRUE(made) << reason;
    CWMPPlayer4& real = *made;
    window = std::make_unique<CPlayMainDlg>(frame, std::move(made), CPlayMainDlg::Places{kDataDir, Settings()});
    window->show();
    real.put_URL(QUrl::fromLocalFile(QString::fromStdString(WriteToneWav(folder / "tone.wav", 10).string()))
                     .toString()
                     .toStdString());
    real.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return real.state() == wmppsPlaying && real.get_currentPosition() > 0.2; }, 20000));

    // A hung album worker holds the close for its full bound.
    panel.SetBusy(true);
    double atFirstWait = -1;
    bool mutedAtFirstWait = false;
    panel.onWait = [&](const char*) {
        if (atFirstWait >= 0) return;
        atFirstWait = real.get_currentPosition();
        mutedAtFirstWait = real.get_mute();
    };
    window->CloseApp();
    ASSERT_EQ(frame.exitCodes, std::vector<unsigned>{0});
    ASSERT_GT(atFirstWait, 0.0);
    EXPECT_TRUE(mutedAtFirstWait);
    EXPECT_LT(real.get_currentPosition() - atFirstWait, 0.5) << "the song went on through the close's waits";
    window.reset();
}

TEST_F(PlayMainDlgTest, ASkinWithoutPicturesStillOpensWithPlainLabelledButtons) {
    TempDir skins;
    std::filesystem::create_directories(skins / "Skin2");
    std::filesystem::copy_file(kDataDir + "/Skin2/Skin.ini", skins / "Skin2" / "Skin.ini");
    CPlayMainDlg& player = Open(skins.Path().string());
    EXPECT_TRUE(player.Background().isNull());
    EXPECT_TRUE(player.mask().isEmpty()) << "rectangular";
    EXPECT_EQ(player.size(), QSize(433, 166));
    CSkinButtonEx* stop = player.Button(IDC_STOP);
    EXPECT_TRUE(stop->isVisible());
    EXPECT_FALSE(stop->HasImage(CSkinButtonEx::State::Normal));
    EXPECT_EQ(stop->toolTip(), QStringLiteral("停止"));
    EXPECT_EQ(traces.CountContaining("LoadSkin===Background"), 1);

    // No skin at all: the window opens at a size of its own.
    window.reset();
    TempDir empty;
    CPlayMainDlg& bare = Open(empty.Path().string());
    EXPECT_FALSE(bare.size().isEmpty());
    EXPECT_TRUE(traces.CountContaining("not read") >= 1);
}

// ---- screen readers

TEST_F(PlayMainDlgTest, ScreenReadersFindEveryControlWithItsNameRoleAndValueInBothSkins) {
    for (const char* skin : {"Skin2", "Skin"}) {
        SCOPED_TRACE(skin);
        folder.Write("TonvikMusic.ini", std::string("[SKIN]\r\nKind=") + (skin == std::string("Skin2") ? "2" : "1") + "\r\n");
        Open();
        window->SetTitle(Cp936("晴天--周杰伦"));
        window->SetPositionRange(269);
        window->EnablePositionSlider(true);
        window->SetPositionValue(42);
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.get());
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->text(QAccessible::Name), QStringLiteral("Tonvik Player"));
        const auto tree = WalkAccessibleTree(window.get()).byObject;

        // Every button shown: a push button named by its tooltip.
        int buttons = 0;
        for (const PlayerControlSpec& control : PlayerControls()) {
            CSkinButtonEx* button = window->Button(control.id);
            if (button == nullptr || !button->isVisible()) continue;
            ++buttons;
            ASSERT_TRUE(tree.count(button)) << control.id;
            EXPECT_EQ(tree.at(button)->role(), QAccessible::Button) << control.id;
            EXPECT_EQ(tree.at(button)->text(QAccessible::Name), button->toolTip()) << control.id;
            EXPECT_FALSE(button->toolTip().isEmpty()) << control.id;
        }
        EXPECT_GE(buttons, 15);
        QAccessibleInterface* play = tree.at(window->Button(IDC_PLAY_PAUSE));
        EXPECT_EQ(play->text(QAccessible::Name), QStringLiteral("播放"));
        EXPECT_EQ(play->text(QAccessible::Accelerator), QStringLiteral("Space"));
        const int plays = panel.selectedPlays;
        play->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::sendPostedEvents(window.get());
        EXPECT_EQ(panel.selectedPlays, plays + 1) << "pressed by the reader as by a click";

        // The volume 0 to 100 the way round the user means it, whichever way
        // the skin draws it; the reader can set it.
        QAccessibleInterface* volume = tree.at(window->VolumeSlider());
        EXPECT_EQ(volume->role(), QAccessible::Slider);
        EXPECT_EQ(volume->text(QAccessible::Name), QStringLiteral("音量"));
        QAccessibleValueInterface* level = volume->valueInterface();
        ASSERT_NE(level, nullptr);
        EXPECT_EQ(level->minimumValue().toInt(), 0);
        EXPECT_EQ(level->maximumValue().toInt(), 100);
        Click(IDC_VOLUME_UP);
        EXPECT_EQ(engine->volume, 60);
        EXPECT_EQ(level->currentValue().toInt(), 60);
        level->setCurrentValue(30);
        QCoreApplication::sendPostedEvents(window.get());
        EXPECT_EQ(engine->volume, 30);

        // The place in the song, in seconds.
        QAccessibleInterface* position = tree.at(window->PositionSlider());
        EXPECT_EQ(position->text(QAccessible::Name), QStringLiteral("播放进度"));
        EXPECT_EQ(position->valueInterface()->maximumValue().toInt(), 269);
        EXPECT_EQ(position->valueInterface()->currentValue().toInt(), 42);
        EXPECT_EQ(position->text(QAccessible::Value), QStringLiteral("42"));

        // The rolling title says the song; the times say themselves.
        QAccessibleInterface* title = tree.at(window->TitleText());
        EXPECT_EQ(title->role(), QAccessible::StaticText);
        EXPECT_EQ(title->text(QAccessible::Name), QStringLiteral("晴天--周杰伦"));
        EXPECT_EQ(tree.at(window->TimeText())->text(QAccessible::Name), QStringLiteral("00:00"));
        EXPECT_EQ(tree.at(window->SearchEdit())->role(), QAccessible::EditableText);
        EXPECT_EQ(tree.at(window->SearchEdit())->text(QAccessible::Name), QStringLiteral("搜索歌曲"));
        window.reset();
    }
}

// ---- keys

TEST_F(PlayMainDlgTest, KeysPlayPauseSkipAndSeekFiveSecondsAsTheButtonsAndTheSliderDo) {
    Open();
    ASSERT_NO_FATAL_FAILURE(Activate());
    Key(Qt::Key_Space);
    EXPECT_EQ(panel.selectedPlays, 1) << "stopped: the panel plays its selected song";
    engine->duration = 200;
    engine->Report(wmppsTransitioning);
    engine->Report(wmppsPlaying);
    Key(Qt::Key_Space);
    EXPECT_EQ(engine->pauses, 1);
    engine->Report(wmppsPaused);
    Key(Qt::Key_Space);
    EXPECT_EQ(engine->plays, 1) << "paused: Space resumes";
    engine->Report(wmppsPlaying);

    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_TRUE(traces.Has("GoNext  0..."));
    Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_TRUE(traces.Has("GoLast  0..."));

    window->SetPositionRange(200);
    window->EnablePositionSlider(true);
    window->SetPositionValue(100);
    Key(Qt::Key_Right);
    EXPECT_DOUBLE_EQ(engine->position, 105);
    EXPECT_EQ(window->PositionSlider()->GetValue(), 105);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_DOUBLE_EQ(engine->position, 95);
    window->SetPositionValue(198);
    Key(Qt::Key_Right);
    EXPECT_DOUBLE_EQ(engine->position, 200) << "not past the end";
    window->SetPositionValue(3);
    Key(Qt::Key_Left, Qt::KeypadModifier);
    EXPECT_DOUBLE_EQ(engine->position, 0) << "the number pad's arrow, not before the start";

    // Nothing loaded: nothing moves.
    window->EnablePositionSlider(false);
    engine->position = 50;
    Key(Qt::Key_Right);
    EXPECT_DOUBLE_EQ(engine->position, 50);
}

TEST_F(PlayMainDlgTest, KeysMoveTheVolumeByTheButtonsRulesMuteOpenTheLyricAndRefreshThePanel) {
    Open();
    ASSERT_NO_FATAL_FAILURE(Activate());
    engine->volume = 95;
    Key(Qt::Key_Up);
    EXPECT_EQ(engine->volume, 100);
    EXPECT_EQ(window->VolumeSlider()->GetValue(), 100);
    Key(Qt::Key_Up);
    EXPECT_EQ(engine->volume, 100);
    engine->volume = 5;
    Key(Qt::Key_Down);
    EXPECT_EQ(engine->volume, 0);
    Key(Qt::Key_Up);
    EXPECT_EQ(window->Controller().Volume(), 10);

    Key(Qt::Key_M);
    EXPECT_TRUE(engine->mute);
    EXPECT_TRUE(window->ShowsStateFace(IDC_MUTE));
    Key(Qt::Key_M);
    EXPECT_FALSE(engine->mute);

    lyric.shown = false;
    Key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(lyric.shown);
    Key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_FALSE(lyric.shown);
    Key(Qt::Key_F5);
    EXPECT_EQ(panel.pageRefreshes, 1);
    Key(Qt::Key_L);
    Key(Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_FALSE(lyric.shown) << "other modifiers are not the keys";
    EXPECT_EQ(engine->pauses, 0);

    // The buttons tell their keys after their names.
    EXPECT_EQ(window->Button(IDC_PLAY_PAUSE)->ShownToolTip(), QStringLiteral("播放 (Space)"));
    EXPECT_EQ(window->Button(IDC_NEXT)->ShownToolTip(), QStringLiteral("下一首 (Ctrl+Right)"));
    EXPECT_EQ(window->Button(IDC_VOLUME_UP)->ShownToolTip(), QStringLiteral("增加音量 (Up)"));
    EXPECT_EQ(window->Button(IDC_STOP)->ShownToolTip(), QStringLiteral("停止"));
}

TEST_F(PlayMainDlgTest, CtrlFGoesToTheSearchBoxWhereKeysAreTypingUntilEscapeLeavesIt) {
    Open();
    ASSERT_NO_FATAL_FAILURE(Activate());
    Key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(window->SearchEdit()->hasFocus());
    EXPECT_EQ(window->SearchEdit()->text(), QString()) << "the cue text makes way";
    for (Qt::Key key : {Qt::Key_M, Qt::Key_Space, Qt::Key_Up, Qt::Key_Left})
        Key(key);
    Key(Qt::Key_L, Qt::ControlModifier);
    Key(Qt::Key_F5);
    EXPECT_EQ(window->SearchEdit()->text(), QStringLiteral("m "));
    EXPECT_FALSE(engine->mute);
    EXPECT_EQ(panel.selectedPlays, 0);
    EXPECT_EQ(engine->volume, 50);
    EXPECT_TRUE(lyric.shown);
    EXPECT_EQ(panel.pageRefreshes, 0);

    Key(Qt::Key_Escape);
    EXPECT_FALSE(window->SearchEdit()->hasFocus());
    EXPECT_TRUE(window->hasFocus());
    EXPECT_EQ(window->SearchEdit()->text(), CEditTrans::PlaceholderText());
    Key(Qt::Key_M);
    EXPECT_TRUE(engine->mute) << "out of the box the keys are the player's again";

    // Typed again, Enter searches.
    Key(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(window->SearchEdit(), QStringLiteral("rock"));
    Key(Qt::Key_Return);
    EXPECT_EQ(browser.searches, std::vector<std::string>{"rock"});
}

TEST_F(PlayMainDlgTest, TabWalksTheControlsInOrderAndTheFocusedButtonWearsAMarkInTheSkinsColour) {
    Open();
    ASSERT_NO_FATAL_FAILURE(Activate());
    const QImage unfocused = window->Button(IDC_PLAY_PAUSE)->grab().toImage();
    Key(Qt::Key_Tab);
    EXPECT_TRUE(window->SearchEdit()->hasFocus());
    Key(Qt::Key_Tab);
    EXPECT_TRUE(window->Button(IDC_SEARCH)->hasFocus());
    Key(Qt::Key_Tab);
    CSkinButtonEx* play = window->Button(IDC_PLAY_PAUSE);
    ASSERT_TRUE(play->hasFocus());
    const QImage focused = play->grab().toImage();
    const QColor title = QColor(0xFF, 0xF3, 0xBD);  // Skin2's "Static0" TextColor 12448767
    EXPECT_EQ(focused.pixelColor(1, focused.height() / 2), title);
    EXPECT_NE(unfocused.pixelColor(1, unfocused.height() / 2), title);
    Key(Qt::Key_Space);
    EXPECT_EQ(panel.selectedPlays, 1) << "Space presses the focused button";
    Key(Qt::Key_Return);
    EXPECT_EQ(panel.selectedPlays, 2);

    std::vector<int> walked;
    for (int i = 0; i < 25; ++i) {
        Key(Qt::Key_Tab);
        QWidget* focus = window->focusWidget();
        const auto* button = qobject_cast<CSkinButtonEx*>(focus);
        walked.push_back(button ? button->ControlId()
                         : focus == window->VolumeSlider() ? IDC_VOLUME_SLIDER
                         : focus == window->PositionSlider() ? IDC_POSITION_SLIDER
                         : focus == window->SearchEdit() ? IDC_SEARCH_EDIT
                                                          : -1);
        if (walked.back() == IDC_PLAY_PAUSE) break;
    }
    // Skin2 has no rotate button outside the mini skin; the position slider
    // waits disabled but is still reached.
    const std::vector<int> expected{IDC_STOP,      IDC_PREVIOUS,  IDC_NEXT,      IDC_POSITION_SLIDER, IDC_MUTE,
                                    IDC_VOLUME_DOWN, IDC_VOLUME_SLIDER, IDC_VOLUME_UP, IDC_REPEAT_ONE, IDC_LIST,
                                    IDC_LYRIC,     IDC_LIBRARY,   IDC_MY_PAGE,   IDC_SKIN_MENU,       IDC_MAIN_MENU,
                                    IDC_MINI_MODE, IDC_MINIMIZE,  IDC_CLOSE,     IDC_SEARCH_EDIT,     IDC_SEARCH,
                                    IDC_PLAY_PAUSE};
    EXPECT_EQ(walked, expected);
}

TEST(PlayerKeyMap, TextBoxesTakeEveryKeyButEscapeAndViewsAndSlidersKeepTheirMovingKeys) {
    EXPECT_EQ(CPlayerKeyMap::Map(Qt::Key_Space, {}, KeyFocus::Window), PlayerKey::PlayPause);
    EXPECT_EQ(CPlayerKeyMap::Map(Qt::Key_Escape, {}, KeyFocus::Window), PlayerKey::None);
    EXPECT_EQ(CPlayerKeyMap::Map(Qt::Key_Escape, {}, KeyFocus::TextEntry), PlayerKey::LeaveSearch);
    for (int key : {Qt::Key_Space, Qt::Key_M, Qt::Key_F5, Qt::Key_Up})
        EXPECT_EQ(CPlayerKeyMap::Map(key, {}, KeyFocus::TextEntry), PlayerKey::None) << key;
    EXPECT_EQ(CPlayerKeyMap::Map(Qt::Key_F, Qt::ControlModifier, KeyFocus::TextEntry), PlayerKey::None);
    for (KeyFocus focus : {KeyFocus::ItemView, KeyFocus::Slider}) {
        for (int key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End})
            EXPECT_EQ(CPlayerKeyMap::Map(key, {}, focus), PlayerKey::None) << key;
        EXPECT_EQ(CPlayerKeyMap::Map(Qt::Key_Space, {}, focus), PlayerKey::PlayPause);
        EXPECT_EQ(CPlayerKeyMap::Map(Qt::Key_Right, Qt::ControlModifier, focus), PlayerKey::Next);
        EXPECT_EQ(CPlayerKeyMap::Map(Qt::Key_M, {}, focus), PlayerKey::Mute);
    }
    EXPECT_EQ(CPlayerKeyMap::Map(Qt::Key_Right, Qt::KeypadModifier, KeyFocus::Window), PlayerKey::SeekForward);
    EXPECT_EQ(CPlayerKeyMap::Map(Qt::Key_Right, Qt::ShiftModifier, KeyFocus::Window), PlayerKey::None);
}

TEST(PlayerMenus, TheMainMenuShowsTheStateOfTheMoment) {
    PlayerMenuState state;
    state.muted = true;
    state.playMode = kModeRandom;
    state.hasPanel = true;
    QMenu menu;
    BuildMainMenu(menu, state);
    std::map<int, const QAction*> entries;
    const std::function<void(const QMenu&)> collect = [&](const QMenu& from) {
        for (const QAction* action : from.actions()) {
            if (action->menu()) collect(*action->menu());
            else if (MenuCommand(action)) entries[MenuCommand(action)] = action;
        }
    };
    collect(menu);
    EXPECT_TRUE(entries.at(IDC_MUTE)->isChecked());
    EXPECT_TRUE(entries.at(kCmdModeFirst + kModeRandom)->isChecked());
    EXPECT_FALSE(entries.at(kCmdModeFirst + kModeSingle)->isChecked());
    EXPECT_FALSE(entries.at(ID_TOP_MOST)->isChecked());
    EXPECT_FALSE(entries.at(ID_LIBRARY)->isEnabled()) << "no browser";
    EXPECT_EQ(entries.at(ID_MENU_PLAY_PAUSE)->text(), QStringLiteral("播放/暂停\tSpace")) << "the key in its column";
    EXPECT_EQ(entries.at(ID_LYRIC)->text(), QStringLiteral("歌词\tCtrl+L"));
    for (int command : {ID_PLAY_LIST, ID_LOG_OUT, ID_HELP_PAGE, ID_FEEDBACK_PAGE, ID_ABOUT, ID_EXIT,
                        ID_MENU_PLAY_PAUSE, ID_HIDE_PLAYER, ID_ADD_LIBRARY_SONGS})
        EXPECT_TRUE(entries.count(command)) << command;

    QMenu skins;
    BuildSkinMenu(skins, "Skin");
    ASSERT_EQ(skins.actions().size(), 2);
    EXPECT_FALSE(skins.actions()[0]->isChecked());
    EXPECT_TRUE(skins.actions()[1]->isChecked());
    EXPECT_EQ(MenuCommand(skins.actions()[1]), ID_SKIN_ORANGE);
}
