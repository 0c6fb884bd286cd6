// The stand-in's fault switches and held-back answers, over real sockets.

#include "tests/tools/RawHttp.h"
#include "tools/standin/StandIn.h"

#include <libxml/parser.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

using namespace std::chrono_literals;
using standin::FaultKind;

namespace {

constexpr const char* kRecommend = "/songhall/port/tonvik/recommend_song.php";

bool ParsesAsXml(const std::string& bytes) {
    xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "answer.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    const bool ok = doc != nullptr && xmlDocGetRootElement(doc) != nullptr;
    xmlFreeDoc(doc);
    return ok;
}

class StandInFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        normal = RawGet(standIn.Port(), kRecommend);
        ASSERT_EQ(normal.status, 200);
        ASSERT_TRUE(ParsesAsXml(normal.body));
    }

    RawAnswer Get(const std::string& target = kRecommend) { return RawGet(standIn.Port(), target); }

    standin::CStandIn standIn;
    RawAnswer normal;
};

TEST_F(StandInFaultTest, DropClosesWithoutAnyByte) {
    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::Drop));
    const RawAnswer answer = Get();
    EXPECT_TRUE(answer.connected);
    EXPECT_FALSE(answer.gotBytes);
    EXPECT_TRUE(answer.closed);
}

TEST_F(StandInFaultTest, CutShortAnnouncesMoreThanItSends) {
    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::CutShort, 0, 100));
    const RawAnswer answer = Get();
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.Header("content-length"), std::to_string(normal.body.size()));
    EXPECT_EQ(answer.body, normal.body.substr(0, 100));
    EXPECT_TRUE(answer.closed);
}

TEST_F(StandInFaultTest, BodyReplacingFaults) {
    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::MalformedXml));
    RawAnswer answer = Get();
    EXPECT_EQ(answer.status, 200);
    EXPECT_FALSE(answer.body.empty());
    EXPECT_FALSE(ParsesAsXml(answer.body));

    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::HtmlError200));
    answer = Get();
    EXPECT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find("<html>"), std::string::npos);

    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::HtmlError404));
    answer = Get();
    EXPECT_EQ(answer.status, 404);
    EXPECT_NE(answer.body.find("<html>"), std::string::npos);

    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::EmptyBody));
    answer = Get();
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.Header("content-length"), "0");
    EXPECT_TRUE(answer.body.empty());

    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::Oversize));
    answer = Get();
    EXPECT_EQ(answer.status, 200);
    EXPECT_GT(answer.body.size(), 1024u * 1024u);
    EXPECT_EQ(answer.Header("content-length"), std::to_string(answer.body.size()));
    EXPECT_FALSE(ParsesAsXml(answer.body.substr(0, 1024 * 1024)));
}

TEST_F(StandInFaultTest, NoContentLengthEndsWithTheConnection) {
    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::NoContentLength));
    const RawAnswer answer = Get();
    EXPECT_EQ(answer.status, 200);
    EXPECT_FALSE(answer.HasHeader("content-length"));
    EXPECT_TRUE(answer.closed);
    EXPECT_EQ(answer.body, normal.body);
}

TEST_F(StandInFaultTest, CountedFaultsWearOffAndClearingEndsThem) {
    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::EmptyBody, 0, 0, 1));
    EXPECT_TRUE(Get().body.empty());
    EXPECT_EQ(Get().body, normal.body);

    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::EmptyBody));
    EXPECT_TRUE(Get().body.empty());
    EXPECT_TRUE(Get().body.empty());
    standIn.ClearFault(kRecommend);
    EXPECT_EQ(Get().body, normal.body);
    // Other paths were never touched.
    EXPECT_EQ(Get("/songhall/intro/tonvik/updatecheck.xml").status, 200);
}

TEST_F(StandInFaultTest, DelayedAnswerStillArrivesWhole) {
    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::None, 200));
    const RawAnswer answer = Get();
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, normal.body);
}

TEST_F(StandInFaultTest, HungAnswerWaitsForRelease) {
    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::Hang));
    auto pending = std::async(std::launch::async, [this] { return RawGet(standIn.Port(), kRecommend); });
    ASSERT_TRUE(standIn.WaitForHung(1, 5s, kRecommend));
    EXPECT_EQ(standIn.HungCount(kRecommend), 1u);
    EXPECT_EQ(pending.wait_for(0s), std::future_status::timeout);
    standIn.ReleaseHung(kRecommend);
    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    const RawAnswer answer = pending.get();
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, normal.body);
    EXPECT_EQ(standIn.HungCount(), 0u);
}

TEST_F(StandInFaultTest, StopEndsHungAnswers) {
    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::Hang));
    auto pending = std::async(std::launch::async, [this] { return RawGet(standIn.Port(), kRecommend); });
    ASSERT_TRUE(standIn.WaitForHung(1, 5s));
    standIn.Stop();
    EXPECT_FALSE(standIn.IsRunning());
    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    const RawAnswer answer = pending.get();
    EXPECT_FALSE(answer.gotBytes);
    EXPECT_TRUE(answer.closed);
}

// A break in the middle of the body: a stall that the release ends with the
// rest, a stall ended by a reset, a reset after the first bytes, and faults
// queued one after another.
TEST_F(StandInFaultTest, MidwayFaultsAndQueuedFaults) {
    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::Hang, 0, 100, 1));
    standIn.AddFault(kRecommend, standin::MakeFault(FaultKind::Drop, 0, 50, 1));
    auto pending = std::async(std::launch::async, [this] { return RawGet(standIn.Port(), kRecommend); });
    ASSERT_TRUE(standIn.WaitForHung(1, 5s, kRecommend));
    standIn.ReleaseHung(kRecommend);
    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    const RawAnswer stalled = pending.get();
    EXPECT_EQ(stalled.Header("content-length"), std::to_string(normal.body.size()));
    EXPECT_EQ(stalled.body, normal.body);

    const RawAnswer dropped = Get();
    EXPECT_EQ(dropped.Header("content-length"), std::to_string(normal.body.size()));
    EXPECT_EQ(dropped.body, normal.body.substr(0, 50));
    EXPECT_TRUE(dropped.closed);
    // Both have worn off.
    EXPECT_EQ(Get().body, normal.body);
    // A stall ended by a drop: the first bytes, then the connection breaks.
    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::Hang, 0, 100, 1));
    pending = std::async(std::launch::async, [this] { return RawGet(standIn.Port(), kRecommend); });
    ASSERT_TRUE(standIn.WaitForHung(1, 5s, kRecommend));
    standIn.DropHung(kRecommend);
    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    const RawAnswer cut = pending.get();
    EXPECT_EQ(cut.body, normal.body.substr(0, 100));
    EXPECT_TRUE(cut.closed);
    EXPECT_EQ(standIn.HungCount(kRecommend), 0u);
    // Queued over the control requests too.
    EXPECT_EQ(Get(std::string("/_standin/fault?path=") + kRecommend + "&kind=empty&count=1").status, 200);
    EXPECT_EQ(Get(std::string("/_standin/fault?path=") + kRecommend + "&kind=html404&count=1&queue=1").status, 200);
    EXPECT_TRUE(Get().body.empty());
    EXPECT_EQ(Get().status, 404);
    EXPECT_EQ(Get().body, normal.body);
}

TEST_F(StandInFaultTest, ControlRequestSetsAndClearsFaults) {
    const std::string set = std::string("/_standin/fault?path=") + kRecommend + "&kind=empty&count=1";
    EXPECT_EQ(Get(set).status, 200);
    EXPECT_TRUE(Get().body.empty());
    EXPECT_EQ(Get("/_standin/fault?path=relative&kind=drop").status, 400);
    EXPECT_EQ(Get("/_standin/fault?path=/x&kind=nonsense").status, 400);
    EXPECT_EQ(Get(std::string("/_standin/fault?path=") + kRecommend + "&kind=html404").status, 200);
    EXPECT_EQ(Get().status, 404);
    EXPECT_EQ(Get("/_standin/clear").status, 200);
    EXPECT_EQ(Get().body, normal.body);
    // Control requests stay out of the request log.
    for (const auto& entry : standIn.Requests()) EXPECT_EQ(entry.path.rfind("/_standin/", 0), std::string::npos);
}

TEST_F(StandInFaultTest, KeptConnectionServesSeveralRequests) {
    const std::string one = std::string("GET ") + kRecommend + " HTTP/1.1\r\nHost: x\r\n\r\n";
    const std::string last = std::string("GET ") + kRecommend + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    const RawAnswer answer = RawExchange(standIn.Port(), one + last, 10000, true);
    EXPECT_EQ(answer.status, 200);
    EXPECT_TRUE(answer.closed);
    // Both answers came on the one connection, one after the other: the
    // second head follows the first body.
    EXPECT_EQ(answer.Header("connection"), "keep-alive");
    EXPECT_EQ(answer.body.find("HTTP/1.1 200 OK\r\n"), normal.body.size());
    EXPECT_EQ(answer.body.substr(answer.body.size() - normal.body.size()), normal.body);
    EXPECT_EQ(standIn.RequestsFor(kRecommend).size(), 3u);
}

}  // namespace

// Faults for long runs: every n-th request of the kinds chaos knows gets
// one, the kinds of fault in turn; a set fault comes first and other paths
// do not count; 0 ends it, and the control request counts what was given.
TEST_F(StandInFaultTest, ChaosFaultsEveryFewRequestsInTurn) {
    standIn.SetChaos(2);
    EXPECT_EQ(Get().body, normal.body);
    EXPECT_FALSE(Get().gotBytes);  // dropped
    EXPECT_EQ(Get().body, normal.body);
    const RawAnswer malformed = Get();
    EXPECT_EQ(malformed.status, 200);
    EXPECT_FALSE(ParsesAsXml(malformed.body));
    Get("/songhall/tonvik/newrecommand.shtml");
    standIn.SetFault(kRecommend, standin::MakeFault(FaultKind::HtmlError404, 0, 0, 1));
    EXPECT_EQ(Get().status, 404);
    EXPECT_EQ(Get().body, normal.body);
    const RawAnswer errorPage = Get();  // the third kind: an error page as 200
    EXPECT_EQ(errorPage.status, 200);
    EXPECT_FALSE(ParsesAsXml(errorPage.body));
    EXPECT_EQ(Get("/_standin/chaos?every=0").body, "recommend\t3\n");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Get().body, normal.body);
}
