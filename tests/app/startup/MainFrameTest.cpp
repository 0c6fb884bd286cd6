// The hidden main frame: its names, activation, the orderly close and the
// system-menu close, with the process end replaced by a recorder.

#include "app/MainFrame.h"
#include "common/MessageIds.h"
#include "common/Trace.h"
#include "common/WindowChannel.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tests/support/TraceCapture.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <future>
#include <optional>

namespace {

class MainFrameTest : public ::testing::Test {
protected:
    MainFrameTest() : m_frame([this](unsigned code) { m_exitCodes.push_back(code); }) {}

    IsolatedRuntime m_runtime;
    TraceCapture m_traces;
    std::vector<unsigned> m_exitCodes;
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
    int shown = 0;
    m_frame.SetShowPlayer([&] { ++shown; });
    ASSERT_TRUE(m_frame.Create());
    auto sent = std::async(std::launch::async,
                           [] { return SendMessageToWindow(kMainFrameTitle, WM_FRAME_ACTIVATE, 0, 0, 5s); });
    ASSERT_TRUE(WaitUntil([&] { return sent.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(sent.get(), RemoteSendStatus::Delivered);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(m_traces.Has("OnActivatePlayer===Show the player."));
    EXPECT_TRUE(m_exitCodes.empty());
    EXPECT_FALSE(m_frame.isVisible());
}

TEST_F(MainFrameTest, TheOrderlyCloseEndsWithExitCodeZeroAndStopsListening) {
    ASSERT_TRUE(m_frame.Create());
    EXPECT_EQ(SendMessage(&m_frame, WM_FRAME_CLOSEAPP), 0);
    EXPECT_TRUE(m_traces.Has("====OnCloseWnd==="));
    EXPECT_EQ(m_exitCodes, (std::vector<unsigned>{0}));
    EXPECT_FALSE(FindWindowByTitle(kMainFrameTitle, 200ms));
    EXPECT_EQ(m_runtime.FileCount(), 0) << "no socket file is left";
}

TEST_F(MainFrameTest, TheOrderlyCloseRunsThePlayersCloseWhenThereIsOne) {
    int closes = 0;
    m_frame.SetCloseApp([&] { ++closes; });
    ASSERT_TRUE(PostMessage(&m_frame, WM_FRAME_CLOSEAPP));
    ASSERT_TRUE(WaitUntil([&] { return closes == 1; }));
    EXPECT_TRUE(m_exitCodes.empty());
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
