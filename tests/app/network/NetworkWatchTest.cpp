// The network watch: the offline start, going offline and coming back, and
// the two service pages it loads, with the network state and the frame
// replaced by stand-ins and the timers ticked by hand.

#include "app/NetworkWatch.h"
#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "platform/Network.h"
#include "service/ServiceHosts.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Records what the watch asks of the frame, in order.
class RecordingFrame : public INetworkWatchHost {
public:
    std::string skinFolder = "Skin2";
    bool tipShown = false;
    // Runs inside ShowMessage, where the real frame waits in a modal loop.
    std::function<void()> duringMessage;
    std::vector<std::string> calls;
    std::vector<std::string> messages;
    std::vector<std::string> addresses;

    std::string PlayerSkinFolder() const override { return skinFolder; }
    void SetTrayIcon(int iconResource) override { calls.push_back("icon " + std::to_string(iconResource)); }
    void ShowTrayBalloon(const std::string& text, int seconds) override {
        calls.push_back("balloon " + std::to_string(seconds));
        messages.push_back(text);
    }
    void StopPlayback() override { calls.push_back("stop"); }
    void ShowMessage(const std::string& text) override {
        calls.push_back("message");
        messages.push_back(text);
        if (duringMessage) duringMessage();
        tipShown = true;
    }
    bool TipShown() const override { return tipShown; }
    void EnableOwnedWindows(bool enable) override { calls.push_back(enable ? "unlock" : "lock"); }
    void EnablePlayerControls() override { calls.push_back("controls"); }
    void ShowPlayerOffline() override { calls.push_back("player offline"); }
    void NavigatePanelPage(const std::string& address) override {
        calls.push_back("panel page");
        addresses.push_back(address);
    }
    void NavigateLibraryPage(const std::string& address) override {
        calls.push_back("library page");
        addresses.push_back(address);
    }

    std::vector<std::string> Take() { return std::exchange(calls, {}); }
};

using Calls = std::vector<std::string>;

class NetworkWatchTest : public ::testing::Test {
protected:
    NetworkWatchTest() {
        SetupWellKnownPaths(m_program.Path());
        m_program.Write("TonvikMusic.ini", "[Hosts]\r\nService=127.0.0.1:18099\r\n");
    }

    TempDir m_program;
    TraceCapture m_traces;
    RecordingFrame m_frame;
    bool m_online = true;
    CNetworkWatch m_watch{m_frame, [this] { return m_online; }};
};

const Calls kGoingOffline = {"icon 227", "stop", "message", "lock", "balloon 10", "player offline"};

}  // namespace

TEST_F(NetworkWatchTest, OfflineStartTellsTheUserOnceAndLocksTheWindows) {
    m_online = false;
    EXPECT_FALSE(m_watch.Start());
    EXPECT_EQ(m_frame.Take(), (Calls{"icon 227", "message", "lock", "balloon 10"}));
    EXPECT_EQ(m_frame.messages,
              (std::vector<std::string>{Cp936("网络连接异常，请联网后使用本软件"), Cp936("软件处于断网状态！")}));
    EXPECT_TRUE(m_watch.IsTimerActive(CNetworkWatch::kWatchTimer));

    // Still offline: the player stays usable offline, nothing is said again.
    m_watch.OnTimer(CNetworkWatch::kWatchTimer);
    m_watch.OnTimer(CNetworkWatch::kWatchTimer);
    EXPECT_EQ(m_frame.Take(), (Calls{"player offline", "player offline"}));
    EXPECT_FALSE(m_watch.IsTimerActive(CNetworkWatch::kAdvertTimer));
}

TEST_F(NetworkWatchTest, OnlineStartLoadsBothPagesAfterTheFirstCheck) {
    EXPECT_TRUE(m_watch.Start());
    EXPECT_TRUE(m_frame.Take().empty());
    EXPECT_TRUE(m_watch.IsTimerActive(CNetworkWatch::kWatchTimer));
    EXPECT_FALSE(m_watch.IsTimerActive(CNetworkWatch::kAdvertTimer));

    m_watch.OnTimer(CNetworkWatch::kWatchTimer);
    EXPECT_EQ(m_frame.Take(), (Calls{"icon 239"})) << "no message was shown: nothing to unlock";
    EXPECT_TRUE(m_watch.IsTimerActive(CNetworkWatch::kAdvertTimer));
    EXPECT_TRUE(m_watch.IsTimerActive(CNetworkWatch::kLibraryTimer));

    // The advertisement page is asked for again until the panel has it.
    m_watch.OnTimer(CNetworkWatch::kAdvertTimer);
    m_watch.OnTimer(CNetworkWatch::kAdvertTimer);
    EXPECT_EQ(m_traces.CountContaining("Navigate Advertisement."), 2);
    m_watch.OnPanelPageLoaded();
    EXPECT_FALSE(m_watch.IsTimerActive(CNetworkWatch::kAdvertTimer));
    // The library page once.
    m_watch.OnTimer(CNetworkWatch::kLibraryTimer);
    EXPECT_FALSE(m_watch.IsTimerActive(CNetworkWatch::kLibraryTimer));
    EXPECT_TRUE(m_traces.Has("Navigate miniweb."));
    EXPECT_EQ(m_frame.Take(), (Calls{"panel page", "panel page", "library page"}));
    EXPECT_EQ(m_frame.addresses, (std::vector<std::string>{ServiceAddress("/iframe/songhall/tonvik/ad.html"),
                                                           ServiceAddress("/iframe/songhall/tonvik/ad.html"),
                                                           ServiceAddress("/songhall/tonvik/newrecommand.shtml")}));
    EXPECT_EQ(m_frame.addresses.back(), "http://127.0.0.1:18099/songhall/tonvik/newrecommand.shtml");

    // Staying online changes nothing but the icon.
    m_watch.OnTimer(CNetworkWatch::kWatchTimer);
    EXPECT_EQ(m_frame.Take(), (Calls{"icon 239"}));
    EXPECT_FALSE(m_watch.IsTimerActive(CNetworkWatch::kAdvertTimer));
}

TEST_F(NetworkWatchTest, GoingOfflineStopsAndLocksComingBackUnlocksAndReloads) {
    for (const char* skin : {"Skin2", "Skin"}) {
        SCOPED_TRACE(skin);
        const bool skin2 = std::string(skin).ends_with("Skin2");
        m_frame.skinFolder = skin;
        m_online = true;
        m_watch.OnTimer(CNetworkWatch::kWatchTimer);
        m_watch.OnPanelPageLoaded();
        m_watch.OnTimer(CNetworkWatch::kLibraryTimer);
        m_frame.Take();

        m_online = false;
        m_watch.OnTimer(CNetworkWatch::kWatchTimer);
        Calls offline = kGoingOffline;
        offline.front() = skin2 ? "icon 227" : "icon 255";
        EXPECT_EQ(m_frame.Take(), offline);
        EXPECT_FALSE(m_watch.IsOnline());
        m_watch.OnTimer(CNetworkWatch::kWatchTimer);
        EXPECT_EQ(m_frame.Take(), (Calls{"player offline"})) << "stopped and told once";

        m_online = true;
        m_watch.OnTimer(CNetworkWatch::kWatchTimer);
        EXPECT_EQ(m_frame.Take(), (Calls{skin2 ? "icon 239" : "icon 256", "unlock", "controls"}));
        EXPECT_TRUE(m_watch.IsTimerActive(CNetworkWatch::kAdvertTimer));
        EXPECT_TRUE(m_watch.IsTimerActive(CNetworkWatch::kLibraryTimer));
        EXPECT_TRUE(m_watch.WasOnline());
    }
}

TEST_F(NetworkWatchTest, TicksDuringTheOfflineMessageAreSkipped) {
    m_watch.OnTimer(CNetworkWatch::kWatchTimer);
    m_frame.Take();
    m_online = false;
    // The tip stays up for seconds; the watch timer fires meanwhile, and
    // the network may even come back and go again.
    m_frame.duringMessage = [this] {
        m_watch.OnTimer(CNetworkWatch::kWatchTimer);
        m_online = true;
        m_watch.OnTimer(CNetworkWatch::kWatchTimer);
        m_online = false;
    };
    m_watch.OnTimer(CNetworkWatch::kWatchTimer);
    EXPECT_EQ(m_frame.Take(), kGoingOffline);
    m_frame.duringMessage = nullptr;
    m_watch.OnTimer(CNetworkWatch::kWatchTimer);
    EXPECT_EQ(m_frame.Take(), (Calls{"player offline"}));
}

TEST_F(NetworkWatchTest, TheSystemsStateIsReadWithoutAStandIn) {
    RecordingFrame frame;
    CNetworkWatch watch(frame);
    tonvik::platform::SetNetworkStateOverride(false);
    EXPECT_FALSE(watch.Start());
    tonvik::platform::SetNetworkStateOverride(true);
    watch.OnTimer(CNetworkWatch::kWatchTimer);
    tonvik::platform::SetNetworkStateOverride(std::nullopt);
    EXPECT_TRUE(watch.IsOnline());
    watch.Stop();
    EXPECT_FALSE(watch.IsTimerActive(CNetworkWatch::kWatchTimer));
    EXPECT_FALSE(watch.IsTimerActive(CNetworkWatch::kAdvertTimer));
}
