// The request operations against a loopback service: the addresses they
// send, the answer files they keep, their result codes and traces.

#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "service/AnswerFiles.h"
#include "service/HttpClient.h"
#include "service/ServiceHosts.h"
#include "service/ServiceXml.h"
#include "tests/service/LoopbackServer.h"
#include "tests/service/ServiceDocuments.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <map>
#include <regex>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The query value of SONG_ID[] in a song-information request.
std::vector<std::string> RequestedIds(const std::string& target) {
    std::vector<std::string> ids;
    const std::string key = "SONG_ID[]=";
    for (size_t at = target.find(key); at != std::string::npos; at = target.find(key, at)) {
        at += key.size();
        ids.push_back(target.substr(at, target.find('&', at) - at));
    }
    return ids;
}

// A service that answers each path from a table, and song information for
// whatever identifiers are asked (name "song<id>", descriptor on /desc/<id>).
class ServiceStandIn {
public:
    ServiceStandIn()
        : server([this](const RawRequest& request) { return Answer(request); }) {}

    void Set(const std::string& path, RawReply reply) {
        std::lock_guard lock(mutex);
        replies[path] = std::move(reply);
    }

    LoopbackServer server;

private:
    RawReply Answer(const RawRequest& request) {
        const std::string path = request.target.substr(0, request.target.find('?'));
        {
            std::lock_guard lock(mutex);
            auto it = replies.find(path);
            if (it != replies.end()) return it->second;
        }
        if (path == "/songhall/port/tonvik/playlist.php") {
            std::string items;
            for (const std::string& id : RequestedIds(request.target))
                items += SongItem(id, "song" + id, server.Url("/desc/" + id));
            return RawReply::Ok(GbkDocument("<Result>" + items + "</Result>"));
        }
        if (path.rfind("/desc/", 0) == 0) return RawReply::Ok("<ref href=\"mms://s/" + path.substr(6) + "\"/>");
        return RawReply::Ok("<html>404</html>", true, 404);
    }

    std::mutex mutex;
    std::map<std::string, RawReply> replies;
};

class ServiceRequest : public ::testing::Test {
protected:
    ServiceRequest() { UseServiceHost(folder.Path().string(), service.server.Host()); }

    std::string Target(int index) const { return service.server.Requests().at(static_cast<size_t>(index)).target; }
    bool AnswerFileExists(const char* name) const { return std::filesystem::exists(folder / name); }

    TempDir folder;
    TraceCapture traces;
    ServiceStandIn service;
};

TEST(ServiceHostsSetting, DefaultsAndTheOptionsFile) {
    TempDir folder;
    SetupWellKnownPaths(folder.Path());
    EXPECT_EQ(ReadServiceHosts().service, "127.0.0.1:18080");
    EXPECT_EQ(ReadServiceHosts().lyricSearch, "127.0.0.1:18080");
    folder.Write("TonvikMusic.ini", "[Hosts]\r\nService=svc.example:81\r\nLogin=login.example\r\n");
    const ServiceHosts hosts = ReadServiceHosts();
    EXPECT_EQ(hosts.service, "svc.example:81");
    EXPECT_EQ(hosts.login, "login.example");
    EXPECT_EQ(hosts.comment, "127.0.0.1:18080");
    EXPECT_EQ(ServiceAddress("/a.php?x"), "http://svc.example:81/a.php?x");
    EXPECT_EQ(HostAddress("https://h/", "/p"), "https://h/p");
}

TEST_F(ServiceRequest, SongInformationOfThreeSongs) {
    CSongList list = ListOfIds({"11", "22", "33"});
    CSongXml parser;
    ASSERT_EQ(parser.GetSongInfo(list, kAnswerPlaySong), 1);

    EXPECT_EQ(Target(0), "/songhall/port/tonvik/playlist.php?SONG_ID[]=11&SONG_ID[]=22&SONG_ID[]=33");
    EXPECT_EQ(SongAt(list, 1).name, "song22");
    EXPECT_EQ(SongAt(list, 2).playUrl, "mms://s/33");
    EXPECT_EQ(service.server.RequestCount(), 4);  // the answer and three descriptors
    EXPECT_TRUE(AnswerFileExists("playsong.xml"));
    const std::string address = service.server.Url(Target(0));
    EXPECT_TRUE(traces.Has("GetSong :" + address));
    EXPECT_TRUE(traces.Has("GetSong===Finish the request."));
    EXPECT_EQ(traces.CountContaining("GetSongInfo... --->Enter"), 1);
    EXPECT_EQ(traces.CountContaining("GetSongInfo... --->Leave"), 1);
}

TEST_F(ServiceRequest, AnswerKindChoosesTheFile) {
    CSongList list = ListOfIds({"5"});
    CSongXml parser;
    parser.loadPlayUrl = 0;
    ASSERT_EQ(parser.GetSongInfo(list, kAnswerAlbumSong), 1);
    EXPECT_TRUE(AnswerFileExists("albumsong.xml"));
    ASSERT_EQ(parser.GetSongInfo(list, 7), 1);
    EXPECT_TRUE(AnswerFileExists("recmdsong.xml"));
    EXPECT_FALSE(AnswerFileExists("playsong.xml"));
}

TEST_F(ServiceRequest, EmptyListSendsNothing) {
    CSongList empty;
    CSongXml parser;
    GenericHTTPClient client;
    EXPECT_EQ(parser.GetSongInfo(empty, kAnswerPlaySong), 0);
    EXPECT_EQ(parser.GetSongInfoEx(empty, &client, kAnswerPlaySong), 0);
    CSongList one = ListOfIds({"1"});
    EXPECT_EQ(parser.GetSongInfoEx(one, nullptr, kAnswerPlaySong), 0);
    service.server.Stop();
    EXPECT_EQ(service.server.ConnectionCount(), 0);
}

TEST_F(ServiceRequest, PanelLookupFetchesNoDescriptors) {
    CSongList list = ListOfIds({"8", "9"});
    EXPECT_EQ(GetSongInfoWithoutPlayUrl(list), 1);
    EXPECT_EQ(SongAt(list, 1).name, "song9");
    EXPECT_EQ(SongAt(list, 1).playUrl, "");
    EXPECT_EQ(service.server.RequestCount(), 1);
}

// Faults of the service and what each request reports.
struct FaultCase {
    const char* label;
    RawReply reply;
    int result;
    const char* trace;
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.label; }

class SongInfoFault : public ServiceRequest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SongInfoFault, IsReportedByItsCode) {
    service.Set("/songhall/port/tonvik/playlist.php", GetParam().reply);
    CSongList list = ListOfIds({"1"});
    CSongXml parser;
    EXPECT_EQ(parser.GetSongInfo(list, kAnswerPlaySong), GetParam().result);
    EXPECT_TRUE(traces.Has(GetParam().trace));
    EXPECT_EQ(SongAt(list, 0).name, "");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SongInfoFault,
    ::testing::Values(FaultCase{"ErrorPage", RawReply::Ok("<html><body>Server Error</body></html>"), -3,
                                "Failed to parse playsong.xml OK!"},
                      FaultCase{"HtmlWithStatus500", RawReply::Ok("<html>oops", true, 500), -3,
                                "Failed to parse playsong.xml OK!"},
                      FaultCase{"Malformed", RawReply::Ok("<Result><song><id>1</id></Result>"), -3,
                                "Failed to parse playsong.xml OK!"},
                      FaultCase{"EmptyAnswer", RawReply::Ok(""), -2, "Get playsong.xml failed!"},
                      FaultCase{"Dropped", RawReply::Dropped(), -2, "Get playsong.xml failed!"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ServiceRequest, MalformedAnswerTracesTheParsersReason) {
    service.Set("/songhall/port/tonvik/playlist.php", RawReply::Ok("<Result><a></Result>"));
    CSongList list = ListOfIds({"1"});
    CSongXml parser;
    EXPECT_EQ(parser.GetSongInfo(list, kAnswerPlaySong), -3);
    EXPECT_FALSE(parser.GetError().empty());
    EXPECT_TRUE(traces.Has("x_ParseError : " + parser.GetError()));
}

TEST_F(ServiceRequest, UnreachableServiceFailsTheRequest) {
    UseServiceHost(folder.Path().string(), "127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()));
    CSongList list = ListOfIds({"1"});
    CSongXml parser;
    EXPECT_EQ(parser.GetSongInfo(list, kAnswerPlaySong), -2);
    GenericHTTPClient client;
    EXPECT_EQ(parser.GetSongInfoEx(list, &client, kAnswerPlaySong), -2);
    EXPECT_TRUE(traces.Has("GetEx playsong.xml failed!"));
    LogonResult logon;
    CLogonXml logonParser;
    EXPECT_EQ(logonParser.Logon("u", "p", logon), -2);
    EXPECT_EQ(logon.status, Cp936("登录失败"));

    // The failed sign-in's trace of its address keeps no password, in a trace
    // file nobody else may read.
    const auto log = folder / "trace.log";
    SetTraceSink(MakeFileTraceSink(log.string()));
    EXPECT_EQ(logonParser.Logon("u", "Tr0ub4dor&3", logon), -2);
    SetTraceSink({});
    const std::string written = TempDir::Read(log);
    EXPECT_NE(written.find("/shequ/port/tonvik/login.php?username=u&password=***"), std::string::npos) << written;
    for (const char* form : {"Tr0ub4dor", "VHIwdWI0ZG9yJjM="}) EXPECT_EQ(written.find(form), std::string::npos) << form;
    EXPECT_EQ(std::filesystem::status(log).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(ServiceRequest, AnswerBeyondOneMebibyteIsCutThenParsed) {
    const std::string document = "<Result>" + SongItem("1", "big") + "</Result>";
    const std::string padded = document + std::string(GenericHTTPClient::kBodySize, ' ');
    service.Set("/songhall/port/tonvik/playlist.php", RawReply::Ok(padded));
    CSongList list = ListOfIds({"1"});
    CSongXml parser;
    parser.loadPlayUrl = 0;
    ASSERT_EQ(parser.GetSongInfo(list, kAnswerPlaySong), 1);
    EXPECT_EQ(SongAt(list, 0).name, "big");
    EXPECT_EQ(std::filesystem::file_size(folder / "playsong.xml"), GenericHTTPClient::kBodySize);
}

TEST_F(ServiceRequest, AnswerFileThatCannotBeWritten) {
    g_strDataDir = (folder.Path() / "missing" / "").string();  // the options file stays readable
    CSongList list = ListOfIds({"1"});
    CSongXml parser;
    EXPECT_EQ(parser.GetSongInfo(list, kAnswerPlaySong), -1);
    EXPECT_TRUE(traces.Has("Failed to write playsong.xml!"));
    CRecommendXml recommend;
    EXPECT_EQ(recommend.GetRecommendXml(list), -1);
    EXPECT_TRUE(traces.Has("Failed to write recommend.xml!"));
}

// The play controller's lookup: its client, and CloseHandles from the user
// interface while the service hangs.
TEST_F(ServiceRequest, HungLookupEndsWhenItsClientIsClosed) {
    service.Set("/songhall/port/tonvik/playlist.php", RawReply::Hanging());
    CSongList list = ListOfIds({"1"});
    GenericHTTPClient client;
    auto lookup = std::async(std::launch::async, [&] {
        CSongXml parser;
        return parser.GetSongInfoEx(list, &client, kAnswerPlaySong);
    });
    ASSERT_TRUE(service.server.WaitForRequests(1));
    client.CloseHandles();
    ASSERT_EQ(lookup.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(lookup.get(), -2);
}

// A close that falls between the song information and the descriptor is
// not lost: the descriptor is no longer fetched.
TEST_F(ServiceRequest, CloseBetweenTheExchangesOfALookupHolds) {
    CSongList list = ListOfIds({"4"});
    GenericHTTPClient client;
    // The lookup waits at its answer file once the first exchange is over.
    std::unique_lock<std::mutex> held = LockAnswerFile(AnswerFilePath(kPlaySongFile));
    auto lookup = std::async(std::launch::async, [&] {
        CSongXml parser;
        return parser.GetSongInfoEx(list, &client, kAnswerPlaySong);
    });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!traces.Has("GetSong===Finish the request.") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    client.CloseHandles();
    held.unlock();
    ASSERT_EQ(lookup.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(lookup.get(), 1);
    EXPECT_EQ(SongAt(list, 0).playUrl, "");
    EXPECT_TRUE(traces.Has("Get 4 Mp3URL Faild!"));
    EXPECT_EQ(service.server.RequestCount(), 1);
}

TEST_F(ServiceRequest, LookupWithTheCallersClientFetchesEveryDescriptor) {
    CSongList list = ListOfIds({"4", "5"});
    GenericHTTPClient client;
    CSongXml parser;
    parser.loadPlayUrl = 0;
    ASSERT_EQ(parser.GetSongInfoEx(list, &client, kAnswerPlaySong), 1);
    EXPECT_EQ(SongAt(list, 0).playUrl, "mms://s/4");
    EXPECT_EQ(SongAt(list, 1).playUrl, "mms://s/5");
}

// The panel and the player both keep their answer in "playsong.xml"; each
// must parse its own answer however their requests interleave.
TEST_F(ServiceRequest, SharedAnswerFileNeverMixesTwoRequests) {
    constexpr int kRounds = 25;
    auto run = [&](const std::string& id, bool withClient) {
        GenericHTTPClient client;
        int mixed = 0;
        for (int round = 0; round < kRounds; ++round) {
            CSongList list = ListOfIds({id});
            CSongXml parser;
            parser.loadPlayUrl = 0;
            const int result = withClient ? parser.GetSongInfoEx(list, &client, kAnswerPlaySong)
                                          : parser.GetSongInfo(list, kAnswerPlaySong);
            if (result != 1 || SongAt(list, 0).name != "song" + id) ++mixed;
        }
        return mixed;
    };
    auto panel = std::async(std::launch::async, run, "1001", false);
    auto player = std::async(std::launch::async, run, "2002", true);
    ASSERT_EQ(panel.wait_for(60s), std::future_status::ready);
    ASSERT_EQ(player.wait_for(60s), std::future_status::ready);
    EXPECT_EQ(panel.get(), 0);
    EXPECT_EQ(player.get(), 0);
}

TEST_F(ServiceRequest, TheAnswerFileLockIsHeldFromWriteToParse) {
    const std::string path = AnswerFilePath(kPlaySongFile);
    std::unique_lock<std::mutex> held = LockAnswerFile(path);
    CSongList list = ListOfIds({"3"});
    auto request = std::async(std::launch::async, [&] {
        CSongXml parser;
        parser.loadPlayUrl = 0;
        return parser.GetSongInfo(list, kAnswerPlaySong);
    });
    // The request has its answer but may not write it while the lock is held.
    ASSERT_TRUE(service.server.WaitForRequests(1));
    EXPECT_EQ(request.wait_for(200ms), std::future_status::timeout);
    EXPECT_FALSE(AnswerFileExists("playsong.xml"));
    held.unlock();
    ASSERT_EQ(request.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(request.get(), 1);
}

// ---- recommendations ----

TEST_F(ServiceRequest, RecommendationsAreFetchedAndKept) {
    std::string items;
    for (int n = 1; n <= 12; ++n)
        items += "<i><SONG>s" + std::to_string(n) + "</SONG><SONGID>" + std::to_string(n) + "</SONGID></i>";
    service.Set("/songhall/port/tonvik/recommend_song.php", RawReply::Ok("<Result>" + items + "</Result>"));
    CSongList list;
    CRecommendXml parser;
    ASSERT_EQ(parser.GetRecommendXml(list), 1);
    EXPECT_EQ(Target(0), "/songhall/port/tonvik/recommend_song.php");
    EXPECT_EQ(list.GetCount(), 10);

    CSongList again;
    CRecommendXml reader;
    EXPECT_EQ(reader.LoadExistXml(again), 1);
    EXPECT_EQ(again.GetCount(), 10);
    EXPECT_EQ(service.server.RequestCount(), 1);
}

TEST_F(ServiceRequest, LoadExistXmlWithoutTheFileSendsNothing) {
    CSongList list = ListOfIds({"old"});
    CRecommendXml parser;
    EXPECT_EQ(parser.LoadExistXml(list), -1);
    EXPECT_TRUE(traces.Has("Failed to parse recommend.xml!"));
    service.server.Stop();
    EXPECT_EQ(service.server.ConnectionCount(), 0);
}

TEST_F(ServiceRequest, RecommendationFailures) {
    service.Set("/songhall/port/tonvik/recommend_song.php", RawReply::Ok("not xml"));
    CSongList list;
    CRecommendXml parser;
    EXPECT_EQ(parser.GetRecommendXml(list), -3);
    EXPECT_TRUE(traces.Has("Failed to parse recommend.xml!"));
    service.Set("/songhall/port/tonvik/recommend_song.php", RawReply::Dropped());
    EXPECT_EQ(parser.GetRecommendXml(list), -2);
    EXPECT_TRUE(traces.Has("Get recommend.xml failed!"));
}

// ---- sign-in ----

TEST_F(ServiceRequest, SignInEncodesTheNameAndThePassword) {
    service.Set("/shequ/port/tonvik/login.php",
                RawReply::Ok("<Result><uid>42</uid><user_info>info</user_info><item>1</item></Result>"));
    LogonResult result;
    CLogonXml parser;
    ASSERT_EQ(parser.Logon(Cp936("a b周"), "pa$s&x=1#", result), 1);
    EXPECT_EQ(Target(0), "/shequ/port/tonvik/login.php?username=a+b%E5%91%A8&password=pa%24s%26x%3D1%23");
    EXPECT_EQ(result.uid, "42");
    EXPECT_EQ(result.userInfo, "info");
    EXPECT_TRUE(std::filesystem::exists(folder / "logon.xml"));
}

TEST_F(ServiceRequest, RefusedSignInKeepsTheServicesText) {
    service.Set("/shequ/port/tonvik/login.php",
                RawReply::Ok(GbkDocument("<Result><uid></uid><item>密码错误</item></Result>")));
    LogonResult result;
    CLogonXml parser;
    EXPECT_EQ(parser.Logon("u", "p", result), -3);
    EXPECT_EQ(result.status, Cp936("密码错误"));
    EXPECT_TRUE(traces.Has("Failed to parse logon.xml OK!"));
}

// ---- albums ----

TEST_F(ServiceRequest, AlbumRequestsSendTheirAddresses) {
    service.Set("/shequ/port/tonvik/get_useralbumlist.php",
                RawReply::Ok("<Result><g><a><USERALBUMID>3</USERALBUMID><NAME>n</NAME></a></g></Result>"));
    service.Set("/shequ/port/tonvik/createuseralbum.php", RawReply::Ok("<Result><ID>88</ID></Result>"));
    CAlbumList albums;
    CAlbumXml albumParser;
    ASSERT_EQ(albumParser.GetAlbumList("77", albums), 1);
    EXPECT_EQ(Target(0), "/shequ/port/tonvik/get_useralbumlist.php?id=77");
    EXPECT_EQ(albums.GetCount(), 1);

    St_Album album;
    album.albumName = Cp936("我的 歌");
    CCreateAlbumXml createParser;
    ASSERT_EQ(createParser.CreateAlbum(album), 1);
    EXPECT_EQ(album.albumId, "88");
    const std::regex created(
        R"(/shequ/port/tonvik/createuseralbum\.php\?where=1&when=2&how=3&create_time=\d{4}-\d\d-\d\d%20\d\d:\d\d:\d\d)"
        R"(&ua_name=%E6%88%91%E7%9A%84\+%E6%AD%8C&intro=4&sign=0&song_list=)");
    EXPECT_TRUE(std::regex_match(Target(1), created)) << Target(1);
    EXPECT_EQ(traces.CountContaining("CreateAlbum:http://"), 1);

    St_SongInfo song;
    song.id = "5";
    song.name = "x";
    album.songs.Add(song);
    song.id = "6";
    album.songs.Add(song);
    service.Set("/shequ/port/tonvik/edituseralbum.php", RawReply::Ok("<Result><item>1</item></Result>"));
    EXPECT_EQ(EditAlbum(album), 1);
    EXPECT_EQ(Target(2), "/shequ/port/tonvik/edituseralbum.php?id=88&ua_name=%E6%88%91%E7%9A%84+%E6%AD%8C"
                         "&intro=1&sign=0&song_list=5|6");
    EXPECT_TRUE(traces.Has("Edit:" + service.server.Url(Target(2))));
    service.Set("/shequ/port/tonvik/deluseralbum.php", RawReply::Ok("<Result><item>1</item></Result>"));
    EXPECT_EQ(DelAlbum(album), 1);
    EXPECT_EQ(Target(3), "/shequ/port/tonvik/deluseralbum.php?id=88");
    Logout();
    EXPECT_EQ(Target(4), "/shequ/port/tonvik/logout.php");
    EXPECT_EQ(traces.CountContaining("Logout... --->Leave"), 1);
}

TEST_F(ServiceRequest, AlbumRequestFailures) {
    CAlbumList albums;
    CAlbumXml albumParser;
    EXPECT_EQ(albumParser.GetAlbumList("1", albums), -3);  // the stand-in's 404 page
    EXPECT_TRUE(traces.Has("Failed to parse album.xml OK!"));
    St_Album album;
    CCreateAlbumXml createParser;
    EXPECT_EQ(createParser.CreateAlbum(album), -3);
    EXPECT_TRUE(traces.Has("Failed to parse createalbum.xml OK!"));
    service.Set("/shequ/port/tonvik/createuseralbum.php", RawReply::Ok(""));
    EXPECT_EQ(createParser.CreateAlbum(album), -2);
    EXPECT_TRUE(traces.Has("Get createalbum.xml failed!"));

    // An edit or a delete the service refuses, or whose answer is a page or
    // nothing at all, did not happen.
    album.albumId = "88";
    EXPECT_EQ(EditAlbum(album), -3);  // the 404 page
    EXPECT_EQ(DelAlbum(album), -3);
    service.Set("/shequ/port/tonvik/edituseralbum.php", RawReply::Ok("<Result><item>0</item></Result>"));
    EXPECT_EQ(EditAlbum(album), -3);
    EXPECT_TRUE(traces.Has("EditAlbum===Refused : 0"));
    service.Set("/shequ/port/tonvik/deluseralbum.php", RawReply::Ok(""));
    EXPECT_EQ(DelAlbum(album), -2);
    EXPECT_TRUE(traces.Has("DelAlbum===Request failed!"));
}

// ---- update check ----

TEST_F(ServiceRequest, UpdateCheckReadsTheStaticDocument) {
    service.Set("/songhall/intro/tonvik/updatecheck.xml",
                RawReply::Ok("<Result><update_code>12</update_code><quit>0</quit></Result>"));
    UpdateCheckResult result;
    CCheckXml parser;
    ASSERT_EQ(parser.CheckUpdate(result), 1);
    EXPECT_EQ(Target(0), "/songhall/intro/tonvik/updatecheck.xml");
    EXPECT_EQ(result.updateCode, "12");
    EXPECT_EQ(result.quit, "0");
    EXPECT_TRUE(std::filesystem::exists(folder / "CheckUpdate.xml"));
    service.Set("/songhall/intro/tonvik/updatecheck.xml", RawReply::Dropped());
    EXPECT_EQ(parser.CheckUpdate(result), -2);
    EXPECT_TRUE(traces.Has("Get CheckUpdate.xml failed!"));
}

}  // namespace
