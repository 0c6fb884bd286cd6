// The hidden main frame: its names, the player it creates, activation, the
// orderly close and the system-menu close, with the process end, the media
// engine and the message box replaced by stand-ins.

#include "app/MainFrame.h"
#include "app/MessageWindowStyle.h"
#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "common/WindowChannel.h"
#include "playback/PlayMainDlg.h"
#include "playback/WMPPlayer4.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tests/playback/PlayFakes.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <future>
#include <optional>

namespace {

class MainFrameTest : public ::testing::Test {
protected:
    MainFrameTest() : m_frame([this](unsigned code) { m_exitCodes.push_back(code); }) {
        SetupWellKnownPaths(m_folder.Path());
        m_frame.SetEngineFactory([](std::string*) { return std::make_unique<CScriptedEngine>(); });
        m_frame.SetUpdateCheck([] { return true; });
        m_frame.SetNetworkState([] { return true; });
        m_frame.SetBoxPresenter([this](QWidget*, const QString& text, unsigned flags) {
            m_boxes.emplace_back(text, flags);
            return m_answer;
        });
    }

    IsolatedRuntime m_runtime;
    TempDir m_folder;
    TraceCapture m_traces;
    std::vector<unsigned> m_exitCodes;
    std::vector<std::pair<QString, unsigned>> m_boxes;
    int m_answer = kIdOk;
    CMainFrame m_frame;
};

}  // namespace

TEST_F(MainFrameTest, CreationTracesAndMakesTheFrameFindableButNotVisible) {
    EXPECT_FALSE(FindWindowByTitle(kMainFrameTitle, 200ms));
    ASSERT_TRUE(m_frame.Create());
    EXPECT_TRUE(m_traces.Has(std::string("OnCreate MainFrame...") + std::string(kTraceEnterSuffix)));
    EXPECT_TRUE(m_traces.Has(std::string("OnCreate MainFrame...") + std::string(kTraceLeaveSuffix)));
    EXPECT_EQ(m_frame.windowTitle(), QString::fromUtf8("Tonvik音乐主框架"));
    EXPECT_EQ(m_frame.objectName(), QStringLiteral("TonvikMusicClassWindow"));
    EXPECT_FALSE(m_frame.isVisible());
    ASSERT_NE(m_frame.Player(), nullptr);
    EXPECT_TRUE(m_frame.Player()->isVisible()) << "the player shows";
    EXPECT_EQ(m_frame.Player()->windowTitle(), QStringLiteral("Tonvik Player"));

    auto found = std::async(std::launch::async, [] { return FindWindowByTitle(kMainFrameTitle); });
    ASSERT_TRUE(WaitUntil([&] { return found.wait_for(0s) == std::future_status::ready; }));
    EXPECT_TRUE(found.get());
}

TEST_F(MainFrameTest, AFrameNobodyCouldFindIsNotCreated) {
    // Something that is no socket and cannot be removed holds the title's place.
    const std::filesystem::path place = WindowChannelPath(kMainFrameTitle).toStdString();
    std::filesystem::create_directories(place / "inside");
    EXPECT_FALSE(m_frame.Create());
    EXPECT_EQ(m_traces.CountContaining("OnCreate===Can not listen as "), 1);
}

TEST_F(MainFrameTest, ASecondInstancesActivationShowsThePlayer) {
    ASSERT_TRUE(m_frame.Create());
    m_frame.Player()->hide();
    auto sent = std::async(std::launch::async,
                           [] { return SendMessageToWindow(kMainFrameTitle, WM_FRAME_ACTIVATE, 0, 0, 5s); });
    ASSERT_TRUE(WaitUntil([&] { return sent.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(sent.get(), RemoteSendStatus::Delivered);
    EXPECT_TRUE(m_frame.Player()->isVisible());
    EXPECT_TRUE(m_traces.Has("OnActivatePlayer===Show the player."));
    EXPECT_TRUE(m_exitCodes.empty());
    EXPECT_FALSE(m_frame.isVisible());
}

TEST_F(MainFrameTest, TheOrderlyCloseRunsThePlayersCloseAndEndsWithExitCodeZero) {
    ASSERT_TRUE(m_frame.Create());
    EXPECT_EQ(SendMessage(&m_frame, WM_FRAME_CLOSEAPP), 0);
    EXPECT_TRUE(m_traces.Has("====OnCloseWnd==="));
    EXPECT_TRUE(m_traces.Has(std::string("CloseApp...") + std::string(kTraceEnterSuffix)));
    EXPECT_TRUE(m_traces.Has("===Over!==="));
    EXPECT_EQ(m_exitCodes, (std::vector<unsigned>{0}));
    EXPECT_FALSE(m_frame.Player()->isVisible());
    EXPECT_FALSE(FindWindowByTitle(kMainFrameTitle, 200ms));
    EXPECT_EQ(m_runtime.FileCount(), 0) << "no socket file is left";
}

TEST_F(MainFrameTest, WithoutAPlayerTheOrderlyCloseEndsAtOnce) {
    ASSERT_TRUE(PostMessage(&m_frame, WM_FRAME_CLOSEAPP));
    ASSERT_TRUE(WaitUntil([&] { return !m_exitCodes.empty(); }));
    EXPECT_EQ(m_exitCodes, (std::vector<unsigned>{0}));
}

TEST_F(MainFrameTest, AMediaEngineThatCannotBeMadeEndsTheProgramWithItsMessage) {
    // The real engine, asked for an audio output this system does not have.
    m_frame.SetEngineFactory([](std::string* reason) -> std::unique_ptr<CMediaEngine> {
        CWMPPlayer4Options options;
        options.audioSink = "nosuchaudiosink";
        return CWMPPlayer4::Create(options, reason);
    });
    // The engine is made once the player has its first picture (the media
    // framework may still be setting itself up before): then the user is
    // told what is missing and the program ends, without the other windows.
    ASSERT_TRUE(m_frame.Create());
    ASSERT_TRUE(WaitUntil([&] { return !m_exitCodes.empty(); }));
    EXPECT_EQ(m_exitCodes, (std::vector<unsigned>{0}));
    EXPECT_EQ(m_frame.ListManage(), nullptr);
    EXPECT_TRUE(m_traces.Has("Failed to Create CPlayDlg. -1"));
    EXPECT_TRUE(m_traces.Has("CreatePlayer===the audio output \"nosuchaudiosink\" is missing"));
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].first,
              // It names what this system lacks, no longer a Windows component.
              QStringLiteral("程序创建GStreamer播放组件发生错误，请安装GStreamer插件(gstreamer1.0-plugins-base、gstreamer1.0-plugins-good)最新版本"));
}

TEST_F(MainFrameTest, MessagesGoToABoxWithTheAnswerAndTheWindowsUnlockedAfterwards) {
    ASSERT_TRUE(m_frame.Create());
    m_answer = kIdCancel;
    EXPECT_EQ(m_frame.ShowMessageWindow(m_frame.Player(), Cp936("确定要注销吗？"), kMbOkCancel), kIdCancel);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0], (std::pair<QString, unsigned>{QStringLiteral("确定要注销吗？"), kMbOkCancel}));
    EXPECT_TRUE(m_frame.Player()->isEnabled());

    m_frame.SetTopMost(true);
    EXPECT_TRUE(m_frame.Player()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(m_frame.Player()->isVisible());
    m_frame.SetTopMost(false);
    EXPECT_FALSE(m_frame.Player()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(MessageWindowStyle, NoticesGoToTheTipAndEverythingElseToABox) {
    EXPECT_FALSE(StyleOfMessage(QStringLiteral("请输入相应的歌手、歌曲、专辑！")).tip);
    const MessageWindowStyle caching = StyleOfMessage(QStringLiteral("缓存中...请稍候！"));
    EXPECT_TRUE(caching.tip);
    EXPECT_EQ(caching.text, QStringLiteral("   缓存中...请稍候！"));
    EXPECT_EQ(caching.tipDelayMs, 0);
    EXPECT_TRUE(StyleOfMessage(QStringLiteral("获取地址失败")).tip);
    EXPECT_TRUE(StyleOfMessage(QStringLiteral("  该歌曲无法正常播放！")).tip);
    const MessageWindowStyle network = StyleOfMessage(QStringLiteral("网络连接异常，请联网后使用本软件"));
    EXPECT_TRUE(network.tip);
    EXPECT_EQ(network.tipDelayMs, 8000);
    EXPECT_EQ(network.text, QStringLiteral("网络连接异常，请联网后使用本软件"));
}

TEST_F(MainFrameTest, TheSystemMenuCloseEndsAtOnceWithAllBitsSet) {
    ASSERT_TRUE(m_frame.Create());
    SendMessage(&m_frame, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(m_exitCodes.empty()) << "other system commands do not end anything";

    SendMessage(&m_frame, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(m_traces.Has("OnSysCommand==Terminate my life."));
    EXPECT_EQ(m_exitCodes, (std::vector<unsigned>{0xFFFFFFFFu}));

    // The window system's close request takes the same way.
    QCloseEvent close;
    QCoreApplication::sendEvent(&m_frame, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_EQ(m_exitCodes, (std::vector<unsigned>{0xFFFFFFFFu, 0xFFFFFFFFu}));
    EXPECT_EQ(m_traces.CountContaining("OnSysCommand==Terminate my life."), 2);
}
