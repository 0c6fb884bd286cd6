// The HTTP client against real loopback sockets: the requests it sends, the
// answers it keeps, and its failures.

#include "platform/Network.h"
#include "service/HttpClient.h"
#include "tests/service/LoopbackServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>

namespace {

using namespace std::chrono_literals;

struct UrlCase {
    const char* url;
    const char* scheme;
    const char* host;
    long port;
    const char* path;
};

TEST(ParseURL, SplitsSchemeHostPortAndPath) {
    const UrlCase cases[] = {
        {"h/x.php", "http", "h", 80, "/x.php"},
        {"http://h:8080/a/b.php?x=1", "http", "h", 8080, "/a/b.php?x=1"},
        {"https://h", "https", "h", 443, ""},
        {"HTTPS://h/p", "HTTPS", "h", 80, "/p"},
        {"http://h", "http", "h", 80, ""},
        {"h:81/q", "http", "h", 81, "/q"},
        {"http://h:x/q", "http", "h", 0, "/q"},
        {"http://h/a:b/c", "http", "h", 80, "/a:b/c"},
    };
    for (const UrlCase& c : cases) {
        std::string scheme, host, path;
        long port = -1;
        ASSERT_TRUE(GenericHTTPClient::ParseURL(c.url, scheme, host, port, path)) << c.url;
        EXPECT_EQ(scheme, c.scheme) << c.url;
        EXPECT_EQ(host, c.host) << c.url;
        EXPECT_EQ(port, c.port) << c.url;
        EXPECT_EQ(path, c.path) << c.url;
    }
}

TEST(ParseURL, RefusesPartsBeyondTheirLimit) {
    std::string scheme, host, path;
    long port = 0;
    const std::string longPath = "http://h/" + std::string(GenericHTTPClient::kUrlPartSize, 'a');
    EXPECT_FALSE(GenericHTTPClient::ParseURL(longPath, scheme, host, port, path));
    EXPECT_TRUE(path.empty());
    const std::string fitting = "http://h/" + std::string(GenericHTTPClient::kUrlPartSize - 2, 'a');
    EXPECT_TRUE(GenericHTTPClient::ParseURL(fitting, scheme, host, port, path));
    EXPECT_EQ(path.size(), GenericHTTPClient::kUrlPartSize - 1);
}

TEST(LookupContentType, KnownExtensionsAndTheDefault) {
    EXPECT_EQ(GenericHTTPClient::LookupContentType("/tmp/a.txt"), "text/plain");
    EXPECT_EQ(GenericHTTPClient::LookupContentType("/tmp/a.qqzzunknown"), "application/octet-stream");
    EXPECT_EQ(GenericHTTPClient::LookupContentType("/tmp/noextension"), "application/octet-stream");
    EXPECT_EQ(GenericHTTPClient::LookupContentType("/tmp/dir.d/file"), "application/octet-stream");
}

class HttpExchange : public ::testing::Test {
protected:
    void Serve(LoopbackServer::Handler handler) { server = std::make_unique<LoopbackServer>(std::move(handler)); }
    int Get(const std::string& path) { return client.RequestOfURI(server->Url(path), kHttpGet, kServiceAgent); }

    TraceCapture traces;
    GenericHTTPClient client;
    std::unique_ptr<LoopbackServer> server;
};

TEST_F(HttpExchange, GetSendsTheDocumentedRequestAndKeepsTheAnswer) {
    Serve([](const RawRequest&) { return RawReply::Ok("<Result/>"); });
    ASSERT_EQ(Get("/a/b.php?x=1&SONG_ID[]=3"), 1);

    const auto requests = server->Requests();
    ASSERT_EQ(requests.size(), 1u);
    const RawRequest& request = requests[0];
    EXPECT_EQ(request.requestLine, "GET /a/b.php?x=1&SONG_ID[]=3 HTTP/1.0");
    EXPECT_EQ(request.Header("Accept"), "*/*");
    EXPECT_EQ(request.HeaderCount("Accept"), 1);
    EXPECT_EQ(request.Header("User-Agent"), "VADUVU(0.9/;p)");
    EXPECT_EQ(request.Header("Host"), server->Host());
    EXPECT_TRUE(request.body.empty());

    EXPECT_STREQ(client.GetBody(), "<Result/>");
    EXPECT_EQ(client.GetBodyLength(), 9u);
    EXPECT_EQ(std::string(client.GetHeaders()).rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
    EXPECT_NE(std::string(client.GetHeaders()).find("Content-Length: 9\r\n"), std::string::npos);
}

TEST_F(HttpExchange, BytesThatCannotStandInARequestLineAreEscaped) {
    Serve([](const RawRequest&) { return RawReply::Ok("ok"); });
    ASSERT_EQ(Get("/p?t=2026-01-02 03:04:05&pw=a#b\r\nX: \xB5\xC7%41"), 1);
    EXPECT_EQ(server->Requests().at(0).target, "/p?t=2026-01-02%2003:04:05&pw=a%23b%0D%0AX:%20%B5%C7%41");
}

TEST_F(HttpExchange, FormPostCarriesTheArgumentsUnescaped) {
    Serve([](const RawRequest&) { return RawReply::Ok("done"); });
    client.AddPostArgument("a", "1", kPostArgText);
    client.AddPostArgument("b", "x y&z", kPostArgText);
    ASSERT_EQ(client.RequestOfURI(server->Url("/form.php"), kHttpPostForm, kServiceAgent), 1);

    const RawRequest request = server->Requests().at(0);
    EXPECT_EQ(request.requestLine, "POST /form.php HTTP/1.0");
    EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(request.HeaderCount("Content-Type"), 1);
    EXPECT_EQ(request.Header("Accept"), "*/*");
    EXPECT_EQ(request.body, "a=1&b=x y&z");
}

TEST(PostBodies, FormBodyIsCutAt2047Bytes) {
    GenericHTTPClient client;
    client.AddPostArgument(std::string(300, 'n'), std::string(3000, 'v'), kPostArgText);
    client.AddPostArgument("second", "value", kPostArgText);
    ASSERT_EQ(client.PostArguments().at(0).name.size(), 255u);
    ASSERT_EQ(client.PostArguments().at(0).value.size(), 2047u);
    EXPECT_EQ(client.BuildFormBody().size(), 2047u);
}

TEST_F(HttpExchange, MultipartPostLaysOutItsPartsAroundTheBoundary) {
    TempDir folder;
    const auto file = folder.Write("note.txt", std::string("line\0two", 8));
    Serve([](const RawRequest&) { return RawReply::Ok("done"); });
    client.AddPostArgument("title", "hello", kPostArgText);
    client.AddPostArgument("upload", file.string(), kPostArgFile);
    ASSERT_EQ(client.RequestOfURI(server->Url("/up.php"), kHttpPostMultipart, kServiceAgent), 1);

    const std::string expected = "----MULTI-PARTS-FORM-DATA-BOUNDARY\r\n"
                                 "Content-Disposition: form-data; name=\"title\"\r\n\r\nhello\r\n"
                                 "----MULTI-PARTS-FORM-DATA-BOUNDARY\r\n"
                                 "Content-Disposition: form-data; name=\"upload\"; filename=\"" +
                                 file.string() +
                                 "\"\r\nContent-Type: text/plain\r\n\r\n" + std::string("line\0two", 8) +
                                 "\r\n----MULTI-PARTS-FORM-DATA-BOUNDARY--\r";
    const RawRequest request = server->Requests().at(0);
    EXPECT_EQ(request.requestLine, "POST /up.php HTTP/1.0");
    EXPECT_EQ(request.Header("Content-Type"), "multipart/form-data; boundary=--MULTI-PARTS-FORM-DATA-BOUNDARY");
    EXPECT_EQ(request.Header("Content-Length"), std::to_string(expected.size()));
    EXPECT_EQ(request.HeaderCount("Content-Length"), 1);
    EXPECT_EQ(request.body, expected);
}

TEST_F(HttpExchange, AnEmptyAnswerFailsTheExchange) {
    Serve([](const RawRequest&) { return RawReply::Ok(""); });
    EXPECT_EQ(Get("/empty"), 0);
    EXPECT_TRUE(traces.Has("Response Failed."));
    EXPECT_STREQ(client.GetBody(), "");
}

TEST_F(HttpExchange, AnErrorPageWithABodyCountsAsAnswered) {
    Serve([](const RawRequest&) { return RawReply::Ok("<html>gone</html>", true, 404); });
    EXPECT_EQ(Get("/missing"), 1);
    EXPECT_STREQ(client.GetBody(), "<html>gone</html>");
}

TEST_F(HttpExchange, AnswersBeyondOneMebibyteAreCutAndStayTerminated) {
    for (const bool withLength : {true, false}) {
        const std::string big(GenericHTTPClient::kBodySize + 300000, 'x');
        Serve([&](const RawRequest&) { return RawReply::Ok(big, withLength); });
        ASSERT_EQ(Get("/big"), 1) << withLength;
        EXPECT_EQ(client.GetBodyLength(), GenericHTTPClient::kBodySize);
        EXPECT_EQ(std::strlen(client.GetBody()), GenericHTTPClient::kBodySize);
        server->Stop();
    }
}

TEST_F(HttpExchange, AShorterAnswerLeavesNothingOfTheLongerOneBefore) {
    std::string body = std::string(5000, 'a');
    Serve([&](const RawRequest&) { return RawReply::Ok(body); });
    ASSERT_EQ(Get("/first"), 1);
    body = "bb";
    ASSERT_EQ(Get("/second"), 1);
    EXPECT_STREQ(client.GetBody(), "bb");
    EXPECT_EQ(client.GetBody()[4999], '\0');
}

TEST_F(HttpExchange, AnswerWithoutLengthIsReadToTheEnd) {
    Serve([](const RawRequest&) { return RawReply::Ok("<Result>open</Result>", false); });
    ASSERT_EQ(Get("/nolength"), 1);
    EXPECT_STREQ(client.GetBody(), "<Result>open</Result>");
}

TEST_F(HttpExchange, ADroppedConnectionFailsTheRequestStep) {
    Serve([](const RawRequest&) { return RawReply::Dropped(); });
    EXPECT_EQ(Get("/drop"), 0);
    EXPECT_EQ(traces.CountContaining("RequestGet: HttpSendRequest failed,ErrCode:"), 1);
    EXPECT_TRUE(traces.Has("RequestOfURI Failed."));
}

TEST(HttpFailures, UnreachableHostFailsWithTheRequestTraces) {
    TraceCapture traces;
    GenericHTTPClient client;
    const std::string url = "http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()) + "/x.php?a=1";
    EXPECT_EQ(client.RequestOfURI(url, kHttpGet, kServiceAgent), 0);
    EXPECT_TRUE(traces.Has("RequestGet: HttpSendRequest failed,ErrCode:7"));
    EXPECT_EQ(client.GetLastError(), 7u);
    const std::string parsed = "ParseURL===URL:" + url + "\r\n Protocol:http\r\n Addr:127.0.0.1\r\n URI:/x.php?a=1";
    EXPECT_TRUE(traces.Has(parsed));
    EXPECT_TRUE(traces.Has("RequestOfURI Failed."));
    EXPECT_FALSE(traces.Has("Response Failed."));
}

TEST(HttpFailures, NoNetworkSendsNothing) {
    LoopbackServer server([](const RawRequest&) { return RawReply::Ok("x"); });
    TraceCapture traces;
    tonvik::platform::SetNetworkStateOverride(false);
    GenericHTTPClient client;
    const int result = client.RequestOfURI(server.Url("/x"), kHttpGet, kServiceAgent);
    tonvik::platform::SetNetworkStateOverride(std::nullopt);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(traces.Has("Connect3 : last err:12029"));
    EXPECT_TRUE(traces.Has("Connect Failed."));
    server.Stop();
    EXPECT_EQ(server.ConnectionCount(), 0);
}

TEST(HttpFailures, AnOutOfRangePortFailsTheConnection) {
    TraceCapture traces;
    GenericHTTPClient client;
    EXPECT_EQ(client.RequestOfURI("http://127.0.0.1:70000/x", kHttpGet, kServiceAgent), 0);
    EXPECT_EQ(traces.CountContaining("Connect2 : last err:"), 1);
}

// CloseHandles from another thread ends a running exchange; the server
// never lets go of its side, so only the client can have ended it.
class HttpAbort : public ::testing::TestWithParam<std::string> {};

TEST_P(HttpAbort, CloseHandlesFromAnotherThreadEndsTheExchange) {
    LoopbackServer server([](const RawRequest&) { return RawReply::Hanging(GetParam()); });
    GenericHTTPClient client;
    auto exchange = std::async(std::launch::async,
                               [&] { return client.RequestOfURI(server.Url("/hang"), kHttpGet, kServiceAgent); });
    ASSERT_TRUE(server.WaitForRequests(1));
    const auto closedAt = std::chrono::steady_clock::now();
    client.CloseHandles();
    ASSERT_EQ(exchange.wait_for(10s), std::future_status::ready);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - closedAt);
    EXPECT_EQ(exchange.get(), 0);
    RecordProperty("abort_ms", static_cast<int>(took.count()));
}

INSTANTIATE_TEST_SUITE_P(Stages, HttpAbort,
                         ::testing::Values(std::string(),  // before any answer
                                           std::string("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\npartial")));

// A close holds for every later exchange of that client, also when it came
// before the first one; another client is not touched by it.
TEST(HttpAbort, AClosedClientSendsNothingMore) {
    LoopbackServer server([](const RawRequest&) { return RawReply::Ok("answer"); });
    TraceCapture traces;
    GenericHTTPClient closedEarly;
    EXPECT_EQ(closedEarly.CloseHandles(), 1);
    EXPECT_EQ(closedEarly.RequestOfURI(server.Url("/early"), kHttpGet, kServiceAgent), 0);
    EXPECT_EQ(closedEarly.GetLastError(), GenericHTTPClient::kErrClosed);
    EXPECT_TRUE(traces.Has("Connect Failed."));

    GenericHTTPClient closedBetween;
    ASSERT_EQ(closedBetween.RequestOfURI(server.Url("/first"), kHttpGet, kServiceAgent), 1);
    closedBetween.CloseHandles();
    EXPECT_EQ(closedBetween.RequestOfURI(server.Url("/second"), kHttpGet, kServiceAgent), 0);
    EXPECT_EQ(server.ConnectionCount(), 1);

    GenericHTTPClient fresh;
    EXPECT_EQ(fresh.RequestOfURI(server.Url("/fresh"), kHttpGet, kServiceAgent), 1);
    EXPECT_STREQ(fresh.GetBody(), "answer");
}

// Runs one GET on its own thread; false when it did not end within a bound
// far beyond the limits under test (the exchange is then closed).
bool GetEnds(GenericHTTPClient& client, const std::string& url, int& result) {
    auto exchange = std::async(std::launch::async, [&] { return client.RequestOfURI(url, kHttpGet, kServiceAgent); });
    const bool ended = exchange.wait_for(30s) == std::future_status::ready;
    if (!ended) client.CloseHandles();
    result = exchange.get();
    return ended;
}

// A service that stops sending, before its answer or in the middle of it,
// ends the exchange as a failure once nothing has come for the stall limit.
TEST(HttpTimeLimits, AStalledAnswerFailsTheExchange) {
    const std::string partial = "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\npartial";
    for (const std::string& sent : {std::string(), partial}) {
        LoopbackServer server([&](const RawRequest&) { return RawReply::Hanging(sent); });
        TraceCapture traces;
        GenericHTTPClient client;
        client.SetTimeLimits(GenericHTTPClient::kConnectTimeout, 1s);
        int result = -1;
        ASSERT_TRUE(GetEnds(client, server.Url("/stall"), result)) << sent;
        EXPECT_EQ(result, 0);
        EXPECT_EQ(client.GetLastError(), GenericHTTPClient::kErrTimedOut);
        EXPECT_TRUE(traces.Has(sent.empty() ? "RequestGet: HttpSendRequest failed,ErrCode:28" : "Response Failed."));
    }
}

TEST(HttpTimeLimits, AConnectionThatNeverOpensFailsTheExchange) {
    UnansweredPort port;
    ASSERT_TRUE(port.Ready());
    TraceCapture traces;
    GenericHTTPClient client;
    client.SetTimeLimits(1s, 600s);
    int result = -1;
    ASSERT_TRUE(GetEnds(client, port.Url("/never"), result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(client.GetLastError(), GenericHTTPClient::kErrTimedOut);
    EXPECT_TRUE(traces.Has("RequestGet: HttpSendRequest failed,ErrCode:28"));
}

}  // namespace
