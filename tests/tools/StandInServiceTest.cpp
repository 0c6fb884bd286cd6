// The stand-in's service answers, pages and albums over a real socket: each
// answer parses as the documented tree, in GBK.

#include "tests/support/TempDir.h"
#include "tests/tools/RawHttp.h"
#include "tools/standin/StandIn.h"
#include "tools/standin/TextUtil.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

struct XmlDocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDoc = std::unique_ptr<xmlDoc, XmlDocDeleter>;

XmlDoc ParseXml(const std::string& bytes) {
    return XmlDoc(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "answer.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

std::vector<xmlNode*> Elements(xmlNode* parent) {
    std::vector<xmlNode*> children;
    for (xmlNode* node = parent ? parent->children : nullptr; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE) children.push_back(node);
    }
    return children;
}

std::string Name(xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

std::string Text(xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

std::vector<std::string> ChildNames(xmlNode* parent) {
    std::vector<std::string> names;
    for (xmlNode* child : Elements(parent)) names.push_back(Name(child));
    return names;
}

xmlNode* Child(xmlNode* parent, const std::string& name) {
    for (xmlNode* child : Elements(parent)) {
        if (Name(child) == name) return child;
    }
    return nullptr;
}

// The answer's root after checking what every service answer shares: the
// declaration names GBK, the root is "Result".
xmlNode* ResultOf(const XmlDoc& doc, const std::string& bytes) {
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"GBK\"?>", 0), 0u);
    if (!doc) {
        ADD_FAILURE() << "answer does not parse";
        return nullptr;
    }
    EXPECT_STREQ(reinterpret_cast<const char*>(doc->encoding), "GBK");
    xmlNode* root = xmlDocGetRootElement(doc.get());
    EXPECT_EQ(Name(root), "Result");
    return root;
}

class StandInServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        standIn = std::make_unique<standin::CStandIn>(standin::OptionsWithState(state.Path()));
        ASSERT_TRUE(standIn->Start()) << standIn->Error();
        port = standIn->Port();
    }

    RawAnswer Get(const std::string& target) { return RawGet(port, target); }

    TempDir state;
    std::unique_ptr<standin::CStandIn> standIn;
    int port = 0;
};

TEST_F(StandInServiceTest, SongInformationFollowsTheRequestOrder) {
    const RawAnswer answer =
        Get("/songhall/port/tonvik/playlist.php?SONG_ID[]=20003&SONG_ID[]=20002&SONG_ID[]=99999&SONG_ID[]=20001");
    ASSERT_EQ(answer.status, 200);
    EXPECT_NE(answer.Header("content-type").find("GBK"), std::string::npos);
    // The title travels as GBK bytes, not as UTF-8.
    EXPECT_NE(answer.body.find(standin::ToGbk("纸飞机的航线")), std::string::npos);
    EXPECT_EQ(answer.body.find("纸飞机的航线"), std::string::npos);

    const XmlDoc doc = ParseXml(answer.body);
    xmlNode* result = ResultOf(doc, answer.body);
    ASSERT_NE(result, nullptr);
    const auto items = Elements(result);
    ASSERT_EQ(items.size(), 4u);
    const std::vector<std::string> fields = {"id", "name", "album_name", "singer_name", "lyric", "findo_url", "mp3_url"};
    for (xmlNode* item : items) EXPECT_EQ(ChildNames(item), fields);
    EXPECT_EQ(Text(Child(items[0], "id")), "20003");
    EXPECT_EQ(Text(Child(items[0], "name")), "纸飞机的航线");
    EXPECT_EQ(Text(Child(items[0], "singer_name")), "江一帆");
    EXPECT_EQ(Text(Child(items[1], "name")), "Paper Lanterns");
    EXPECT_EQ(Text(Child(items[2], "id")), "99999");
    EXPECT_EQ(Text(Child(items[2], "name")), "");  // unknown song: kept in place, not usable
    EXPECT_EQ(Text(Child(items[3], "id")), "20001");
    // The lyric keeps its CR LF line ends, tags, and lines with two times.
    const std::string lyric = Text(Child(items[3], "lyric"));
    EXPECT_NE(lyric.find("[ti:雾港晨钟]\r\n"), std::string::npos);
    EXPECT_NE(lyric.find("[00:07.40][00:10.20]等你回来"), std::string::npos);
}

TEST_F(StandInServiceTest, StreamDescriptorLeadsToPlayableAudio) {
    const RawAnswer info = Get("/songhall/port/tonvik/playlist.php?SONG_ID[]=20031");
    const XmlDoc doc = ParseXml(info.body);
    xmlNode* result = ResultOf(doc, info.body);
    ASSERT_NE(result, nullptr);
    const std::string mp3Url = Text(Child(Elements(result).at(0), "mp3_url"));
    const std::string prefix = "http://" + standIn->Host();
    ASSERT_EQ(mp3Url.rfind(prefix, 0), 0u) << mp3Url;

    const RawAnswer descriptor = Get(mp3Url.substr(prefix.size()));
    ASSERT_EQ(descriptor.status, 200);
    const size_t first = descriptor.body.find('"');
    const size_t second = descriptor.body.find('"', first + 1);
    ASSERT_NE(second, std::string::npos);
    const std::string playUrl = descriptor.body.substr(first + 1, second - first - 1);
    ASSERT_EQ(playUrl.rfind(prefix, 0), 0u) << playUrl;

    const RawAnswer audio = Get(playUrl.substr(prefix.size()));
    ASSERT_EQ(audio.status, 200);
    ASSERT_GT(audio.body.size(), 44u);
    EXPECT_EQ(audio.body.substr(0, 4), "RIFF");
    EXPECT_EQ(audio.body.substr(8, 8), "WAVEfmt ");
    // 22050 samples of 2 bytes a second; song 20031 lasts 5 seconds.
    EXPECT_EQ(audio.body.size(), 44u + 5u * 22050u * 2u);
    EXPECT_EQ(audio.Header("content-length"), std::to_string(audio.body.size()));
}

TEST_F(StandInServiceTest, RecommendationsHoldMoreThanTenSongs) {
    const RawAnswer answer = Get("/songhall/port/tonvik/recommend_song.php");
    const XmlDoc doc = ParseXml(answer.body);
    xmlNode* result = ResultOf(doc, answer.body);
    ASSERT_NE(result, nullptr);
    const auto items = Elements(result);
    EXPECT_GE(items.size(), 12u);
    for (xmlNode* item : items) {
        EXPECT_EQ(ChildNames(item), (std::vector<std::string>{"SONG", "SONGID", "SINGER", "ALBUM"}));
        EXPECT_NE(standIn->Catalogue().Find(Text(Child(item, "SONGID"))), nullptr);
    }
}

TEST_F(StandInServiceTest, SignInAcceptsKnownUsersAndRefusesOthers) {
    RawAnswer answer = Get("/shequ/port/tonvik/login.php?username=tester&password=secret123");
    XmlDoc doc = ParseXml(answer.body);
    xmlNode* result = ResultOf(doc, answer.body);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(ChildNames(result), (std::vector<std::string>{"uid", "user_info", "item"}));
    EXPECT_EQ(Text(Child(result, "item")), "1");
    EXPECT_EQ(Text(Child(result, "uid")), "100001");
    EXPECT_EQ(standIn->SignedInUid(), "100001");

    // A Chinese user name arrives as UTF-8, form-encoded.
    answer = Get("/shequ/port/tonvik/login.php?username=" + standin::FormEncode("林小雨") + "&password=yu2024");
    doc = ParseXml(answer.body);
    result = ResultOf(doc, answer.body);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(Text(Child(result, "uid")), "100002");

    answer = Get("/shequ/port/tonvik/login.php?username=demo+user&password=wrong");
    doc = ParseXml(answer.body);
    result = ResultOf(doc, answer.body);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(Text(Child(result, "item")), "用户名或密码错误");
    EXPECT_EQ(Text(Child(result, "uid")), "");
    EXPECT_EQ(standIn->SignedInUid(), "100002");  // a refusal signs nobody out

    answer = Get("/shequ/port/tonvik/logout.php");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(standIn->SignedInUid(), "");
}

TEST_F(StandInServiceTest, AlbumsAreKeptPerUserAndOutliveTheStandIn) {
    ASSERT_EQ(Get("/shequ/port/tonvik/login.php?username=tester&password=secret123").status, 200);

    // Create: the answer carries the new album's identifier.
    const std::string name = "夜里 听的歌";
    RawAnswer answer = Get(
        "/shequ/port/tonvik/createuseralbum.php?where=1&when=2&how=3&create_time=2026-12-07 08:00:00&ua_name=" +
        standin::FormEncode(name) + "&intro=4&sign=0&song_list=");
    XmlDoc doc = ParseXml(answer.body);
    xmlNode* result = ResultOf(doc, answer.body);
    ASSERT_NE(result, nullptr);
    const std::string albumId = Text(Child(result, "ID"));
    ASSERT_FALSE(albumId.empty());

    Get("/shequ/port/tonvik/edituseralbum.php?id=" + albumId + "&ua_name=" + standin::FormEncode(name) +
        "&intro=1&sign=0&song_list=20005|20002|20030");

    // The list: the "sign" album first, then groups of albums.
    answer = Get("/shequ/port/tonvik/get_useralbumlist.php?id=100001");
    doc = ParseXml(answer.body);
    result = ResultOf(doc, answer.body);
    ASSERT_NE(result, nullptr);
    const auto top = Elements(result);
    ASSERT_GE(top.size(), 2u);
    EXPECT_EQ(Name(top[0]), "sign");
    EXPECT_FALSE(Text(Child(top[0], "USERALBUMID")).empty());
    xmlNode* created = nullptr;
    for (size_t i = 1; i < top.size(); ++i) {
        for (xmlNode* album : Elements(top[i])) {
            EXPECT_NE(Child(album, "USERALBUMID"), nullptr);
            EXPECT_NE(Child(album, "NAME"), nullptr);
            if (Text(Child(album, "USERALBUMID")) == albumId) created = album;
        }
    }
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(Text(Child(created, "NAME")), name);
    const auto songs = Elements(Child(created, "SONGLIST"));
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(ChildNames(songs[0]), (std::vector<std::string>{"NAME", "SINGERCNAME", "SONGBASEID"}));
    EXPECT_EQ(Text(Child(songs[0], "SONGBASEID")), "20005");
    EXPECT_EQ(Text(Child(songs[0], "NAME")), "旧城电车");
    EXPECT_EQ(Text(Child(songs[2], "SONGBASEID")), "20030");

    // Another user's list does not hold it.
    for (const auto& album : standIn->AlbumsOf("100002")) EXPECT_NE(album.albumId, albumId);

    // A new stand-in on the same folder still has it; deleting removes it.
    standIn->Stop();
    standIn = std::make_unique<standin::CStandIn>(standin::OptionsWithState(state.Path()));
    ASSERT_TRUE(standIn->Start()) << standIn->Error();
    port = standIn->Port();
    bool found = false;
    for (const auto& album : standIn->AlbumsOf("100001")) {
        if (album.albumId == albumId) {
            found = true;
            EXPECT_EQ(album.songIds, (std::vector<std::string>{"20005", "20002", "20030"}));
        }
    }
    EXPECT_TRUE(found);
    Get("/shequ/port/tonvik/deluseralbum.php?id=" + albumId);
    for (const auto& album : standIn->AlbumsOf("100001")) EXPECT_NE(album.albumId, albumId);
}

TEST_F(StandInServiceTest, CreatingAnAlbumWithoutSignInGivesNoIdentifier) {
    const RawAnswer answer = Get("/shequ/port/tonvik/createuseralbum.php?ua_name=x&sign=0&song_list=");
    const XmlDoc doc = ParseXml(answer.body);
    xmlNode* result = ResultOf(doc, answer.body);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(Text(Child(result, "ID")), "");
}

TEST_F(StandInServiceTest, PlayReportIsRecordedWithItsEncodedName) {
    const std::string encoded = standin::FormEncode("雾港晨钟 Live");
    EXPECT_EQ(Get("/songhall/tonvik/playlog.php?id=20001&name=" + encoded).status, 200);
    ASSERT_TRUE(standIn->WaitForPlayReports(1, 5s));
    const auto reports = standIn->PlayReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].id, "20001");
    EXPECT_EQ(reports[0].encodedName, encoded);
    EXPECT_EQ(reports[0].name, "雾港晨钟 Live");
}

TEST_F(StandInServiceTest, UpdateCheckCarriesCodeAndQuit) {
    standIn->SetUpdateCheck("7", "1");
    const RawAnswer answer = Get("/songhall/intro/tonvik/updatecheck.xml");
    const XmlDoc doc = ParseXml(answer.body);
    xmlNode* result = ResultOf(doc, answer.body);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(Text(Child(result, "update_code")), "7");
    EXPECT_EQ(Text(Child(result, "quit")), "1");
}

TEST_F(StandInServiceTest, PagesCarrySongLinksAndSearchTakesGbkKeys) {
    RawAnswer page = Get("/songhall/tonvik/newrecommand.shtml");
    ASSERT_EQ(page.status, 200);
    const std::string links = "http://" + standIn->Host() + "/songhall/m/";
    EXPECT_NE(page.body.find(links + "20001.html\""), std::string::npos);
    EXPECT_NE(page.body.find(links + "20001.html#addlist\""), std::string::npos);
    EXPECT_NE(page.body.find(links + "20001_20002_"), std::string::npos);

    // The player form-encodes the GBK bytes of the key.
    page = Get("/songhall/tonvik/search.php?key=" + standin::FormEncode(standin::ToGbk("电车")));
    ASSERT_EQ(page.status, 200);
    EXPECT_NE(page.body.find(standin::ToGbk("旧城电车")), std::string::npos);
    EXPECT_EQ(page.body.find(standin::ToGbk("雾港晨钟")), std::string::npos);

    page = Get("/songhall/tonvik/songinfo.php?song_id=20012");
    EXPECT_NE(page.body.find("Saltwater Waltz"), std::string::npos);
    EXPECT_NE(page.body.find(links + "20012.html#addlist"), std::string::npos);

    for (const char* path : {"/iframe/songhall/tonvik/ad.html", "/shequ/TonvikPlayer.shtml", "/shequ/u/",
                             "/songhall/intro/tonvik/updating.shtml"}) {
        EXPECT_EQ(Get(path).status, 200) << path;
    }
    EXPECT_EQ(Get("/no/such/page.html").status, 404);
}

TEST_F(StandInServiceTest, LoginPageSignsInAndRedirects) {
    const std::string target = "http://" + standIn->Host() + "/shequ/manage/edituseralbum.php?id=300002";
    const RawAnswer answer = Get("/login.php?uid=tester&password=secret123&redirect_url=" + target);
    EXPECT_EQ(answer.status, 302);
    EXPECT_EQ(answer.Header("location"), target);
    EXPECT_EQ(standIn->SignedInUid(), "100001");
    const RawAnswer editing = Get(target.substr(("http://" + standIn->Host()).size()));
    EXPECT_NE(editing.body.find(standin::ToGbk("开车听的歌")), std::string::npos);
}

TEST_F(StandInServiceTest, RequestLogShowsAgentAcceptAndVersion) {
    Get("/songhall/port/tonvik/recommend_song.php");
    ASSERT_TRUE(standIn->WaitForRequests(1, 5s, "/songhall/port/tonvik/recommend_song.php"));
    const auto entries = standIn->RequestsFor("/songhall/port/tonvik/recommend_song.php");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].method, "GET");
    EXPECT_EQ(entries[0].version, "HTTP/1.0");
    EXPECT_EQ(entries[0].userAgent, "VADUVU(0.9/;p)");
    EXPECT_EQ(entries[0].accept, "*/*");
    EXPECT_EQ(entries[0].target, "/songhall/port/tonvik/recommend_song.php");
}

TEST_F(StandInServiceTest, BrokenRequestsAreRefusedAndServingGoesOn) {
    RawAnswer answer = RawExchange(port, "this is not http\r\n\r\n");
    EXPECT_EQ(answer.status, 400);
    answer = RawExchange(port, "GET /x HTTP/1.0\r\nHost: " + std::string(70000, 'h') + "\r\n\r\n");
    EXPECT_EQ(answer.status, 431);
    answer = Get("/songhall/port/tonvik/playlist.php?SONG_ID[]=%ZZ&SONG_ID[]=&&=&SONG_ID[]");
    EXPECT_EQ(answer.status, 200);
    EXPECT_TRUE(ParseXml(answer.body) != nullptr);
    EXPECT_EQ(Get("/songhall/port/tonvik/playlist.php?SONG_ID[]=20001").status, 200);
}

TEST_F(StandInServiceTest, SecondStandInOnATakenPortFailsWithAReason) {
    standin::St_StandInOptions options;
    options.port = port;
    standin::CStandIn other(options);
    EXPECT_FALSE(other.Start());
    EXPECT_NE(other.Error().find(std::to_string(port)), std::string::npos);
}

}  // namespace
