// The library pane's logic with a recording page view: which pages it asks
// for, with and without a connection, what refresh does, and which links it
// hands to the frame.

#include "tests/support/TraceCapture.h"
#include "tests/web/WebTestSupport.h"
#include "web/MiniWebBrowser.h"

#include <QAction>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr const char* kRecommendation = "http://127.0.0.1:18117/songhall/tonvik/newrecommand.shtml";

class CRecordingPane final : public IBrowserPane {
public:
    void Navigate(const std::string& address) override { calls.push_back("navigate " + address); }
    void GoBack() override { calls.push_back("back"); }
    void GoForward() override { calls.push_back("forward"); }
    void Reload() override { calls.push_back("reload"); }
    std::vector<std::string> calls;
};

class MiniWebBrowserTest : public ::testing::Test {
protected:
    std::vector<std::string> TakeCalls() { return std::exchange(pane.calls, {}); }

    CProgramFolder program{"127.0.0.1:18117"};
    CRecordingPane pane;
    CSongRecorder frame;
    ConnectionState connection = ConnectionState::Connected;
    CMiniWebBrowser browser{pane, frame.Handle(), [this] { return connection; }};
};

}  // namespace

TEST_F(MiniWebBrowserTest, TheSamePageAskedForTwiceIsShownOnce) {
    browser.ShowPage("songinfo", "12345");
    browser.ShowPage("songinfo", "12345");
    const std::string songInfo = "http://127.0.0.1:18117/songhall/tonvik/songinfo.php?song_id=12345";
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{"navigate " + songInfo});
    EXPECT_EQ(browser.LastRequestedUrl(), songInfo);

    browser.ShowPage("", "");
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{std::string("navigate ") + kRecommendation});

    // Once the pane has gone on to another page, the page is shown again.
    browser.NavigateComplete(kRecommendation);
    browser.NavigateComplete("http://127.0.0.1:18117/shequ/TonvikPlayer.shtml");
    browser.ShowPage("", "");
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{std::string("navigate ") + kRecommendation});
}

TEST_F(MiniWebBrowserTest, OfflineTheLocalPageShowsAndRefreshAfterReconnectingGoesToTheRecommendations) {
    connection = ConnectionState::None;
    browser.ShowPage("search", "abc");
    const std::string local = "file://" + program.Folder().Path().string() + "/html/noconnection.htm";
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{"navigate " + local});
    EXPECT_TRUE(browser.IsLocalPage());
    browser.NavigateComplete(local);
    EXPECT_TRUE(browser.IsLocalPage());

    // Refresh while still offline tries the service, fails, and stays ready to try again.
    browser.Refresh();
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{std::string("navigate ") + kRecommendation});
    EXPECT_TRUE(browser.IsLocalPage());

    connection = ConnectionState::Connected;
    browser.Refresh();
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{std::string("navigate ") + kRecommendation});
    browser.NavigateComplete(kRecommendation);
    EXPECT_FALSE(browser.IsLocalPage());
    EXPECT_EQ(browser.CurrentUrl(), kRecommendation);
    browser.Refresh();
    browser.Back();
    browser.Forward();
    EXPECT_EQ(TakeCalls(), std::vector<std::string>({"reload", "back", "forward"}));

    // A connection without a route has a page of its own; pages over HTTPS are service pages too.
    connection = ConnectionState::NoRoute;
    browser.ShowPage("", "");
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{"navigate file://" + program.Folder().Path().string() +
                                                    "/html/disconnected.htm"});
    browser.NavigateComplete("https://127.0.0.1:18117/songhall/tonvik/newrecommand.shtml");
    EXPECT_FALSE(browser.IsLocalPage());
}

TEST_F(MiniWebBrowserTest, AnAddressThePageViewRefusedTakesThePaneBack) {
    browser.NavigateComplete(kRecommendation);
    browser.NavigateComplete("about:blank#blocked");
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{"back"});
    EXPECT_EQ(browser.CurrentUrl(), kRecommendation);
    EXPECT_FALSE(browser.IsLocalPage());
}

TEST_F(MiniWebBrowserTest, TheStartPageIsAskedForUntilItHasLoaded) {
    browser.ShowStartPage();
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{std::string("navigate ") + kRecommendation});
    EXPECT_TRUE(browser.IsLocalPage());
    EXPECT_TRUE(browser.LastRequestedUrl().empty());
    browser.Refresh();
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{std::string("navigate ") + kRecommendation});
}

// A click of the user's on the recommendation page.
St_Navigation UserClick(std::u16string address) {
    St_Navigation navigation;
    navigation.address = std::move(address);
    navigation.page = u"http://127.0.0.1:18117/songhall/tonvik/newrecommand.shtml";
    navigation.kind = NavigationKind::LinkClicked;
    navigation.userStarted = true;
    return navigation;
}

TEST_F(MiniWebBrowserTest, SongLinksTheUserClicksGoToTheFrameAndAreNeverFollowed) {
    TraceCapture traces;
    EXPECT_FALSE(browser.BeforeNavigate(UserClick(u"http://127.0.0.1:18117/songhall/m/123.html")));
    EXPECT_FALSE(browser.BeforeNavigate(UserClick(u"http://127.0.0.1:18117/songhall/m/4_5.html#addlist")));
    EXPECT_FALSE(browser.BeforeNavigate(UserClick(u"http://127.0.0.1:18117/songhall/m/12%00.html")));
    EXPECT_TRUE(browser.BeforeNavigate(UserClick(u"http://127.0.0.1:18117/songhall/tonvik/songinfo.php?song_id=5")));
    EXPECT_TRUE(browser.BeforeNavigate(UserClick(u"http://elsewhere.example/songhall/m/123.html")));
    // A script's song link, with a password in it: refused, and the password is not traced.
    St_Navigation script = UserClick(u"http://127.0.0.1:18117/songhall/m/6.html?password=hunter22");
    script.userStarted = false;
    EXPECT_FALSE(browser.BeforeNavigate(script));

    ASSERT_TRUE(RunUntil([&] { return frame.received.size() >= 2; }, 10000));
    ASSERT_EQ(frame.received.size(), 2u);
    EXPECT_EQ(frame.received[0].wParam, 1u);
    EXPECT_EQ(frame.received[0].ids, u"123");
    EXPECT_EQ(frame.received[1].wParam, 0u);
    EXPECT_EQ(frame.received[1].ids, u"4_5");
    EXPECT_EQ(traces.CountContaining("Bad song link"), 1);
    EXPECT_TRUE(traces.Has("OnBeforeNavigate===Refused song link (not the user's) : "
                           "http://127.0.0.1:18117/songhall/m/6.html?password=***"));
    EXPECT_EQ(traces.CountContaining("hunter22"), 0);
    EXPECT_TRUE(pane.calls.empty());
}

TEST_F(MiniWebBrowserTest, WithoutAFrameSongLinksAreStillStopped) {
    TraceCapture traces;
    CMiniWebBrowser orphan(pane, CMessageHandle(), [] { return ConnectionState::Connected; });
    EXPECT_FALSE(orphan.BeforeNavigate(UserClick(u"http://127.0.0.1:18117/songhall/m/123.html")));
    EXPECT_EQ(traces.CountContaining("No frame"), 1);
}

TEST_F(MiniWebBrowserTest, ADeadRendererReloadsOnceThenTheOfflinePageShowsUntilAPageIsAskedFor) {
    TraceCapture traces;
    browser.NavigateComplete(kRecommendation);
    browser.RendererGone();
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{"reload"});
    browser.NavigateComplete(kRecommendation);
    browser.RendererGone();
    const std::string offline = "file://" + program.Folder().Path().string() + "/html/disconnected.htm";
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{"navigate " + offline});
    EXPECT_TRUE(browser.IsLocalPage());
    EXPECT_EQ(traces.CountContaining("OnRendererGone==="), 2);

    // Refresh goes to the recommendation page, and the next death reloads again.
    browser.Refresh();
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{std::string("navigate ") + kRecommendation});
    browser.RendererGone();
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{"reload"});

    // Without a connection the page for no connection shows.
    connection = ConnectionState::None;
    browser.RendererGone();
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{"navigate file://" + program.Folder().Path().string() +
                                                    "/html/noconnection.htm"});
}
