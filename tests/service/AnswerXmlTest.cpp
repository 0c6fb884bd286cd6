// The answer parsers: which element fills which field, the order rules that
// follow from the navigation, and the limits.

#include "service/HttpClient.h"
#include "service/ServiceXml.h"
#include "tests/service/LoopbackServer.h"
#include "tests/service/ServiceDocuments.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

namespace {

class AnswerFile : public ::testing::Test {
protected:
    // Writes the answer and points the parser at it.
    template <typename Parser>
    void Prepare(Parser& parser, const std::string& document) {
        parser.SetXmlFile(folder.Write("answer.xml", document).string());
    }

    TempDir folder;
    TraceCapture traces;
};

// ---- song information ----

TEST_F(AnswerFile, SongAnswerFillsEveryFieldInPlace) {
    CSongXml parser;
    parser.loadPlayUrl = 0;
    Prepare(parser, GbkDocument("<Result>" + SongItem("11", "雾港晨钟", "http://d/11") + SongItem("22", "纸船与海") +
                                "</Result>"));
    CSongList list = ListOfIds({"11", "22"});
    ASSERT_EQ(parser.LoadSong(list), 1);

    const St_SongInfo first = SongAt(list, 0);
    EXPECT_EQ(first.id, "11");
    EXPECT_EQ(first.name, Cp936("雾港晨钟"));
    EXPECT_EQ(first.album, Cp936("专辑11"));
    EXPECT_EQ(first.singer, Cp936("歌手11"));
    EXPECT_EQ(first.lyric, Cp936("[00:01]词11"));
    EXPECT_EQ(first.findoUrl, "http://f/11");
    EXPECT_EQ(first.mp3Url, "http://d/11");
    EXPECT_EQ(SongAt(list, 1).name, Cp936("纸船与海"));
    EXPECT_EQ(traces.CountContaining("CSongXml::LoadSong===No need to load playurl."), 2);
}

TEST_F(AnswerFile, SongNamedBeforeItsIdIsNotStored) {
    CSongXml parser;
    parser.loadPlayUrl = 0;
    Prepare(parser, "<Result><song><name>late</name><id>33</id></song></Result>");
    CSongList list = ListOfIds({"11"});
    ASSERT_EQ(parser.LoadSong(list), 1);
    EXPECT_EQ(SongAt(list, 0).id, "11");
    EXPECT_EQ(SongAt(list, 0).name, "");
}

TEST_F(AnswerFile, ExtraSongItemsAreRefused) {
    CSongXml parser;
    parser.loadPlayUrl = 0;
    Prepare(parser, "<Result>" + SongItem("11", "a") + SongItem("22", "b") + "</Result>");
    CSongList list = ListOfIds({"11"});
    ASSERT_EQ(parser.LoadSong(list), 1);
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(SongAt(list, 0).name, "a");
    EXPECT_TRUE(traces.Has("CSongList::SetAt===Invalid param!"));
}

TEST_F(AnswerFile, SongAnswerWithoutResultFails) {
    CSongXml parser;
    Prepare(parser, "<Other/>");
    CSongList list = ListOfIds({"11"});
    EXPECT_EQ(parser.LoadSong(list), 0);
    EXPECT_TRUE(traces.Has("The xml file is incorret!"));
    EXPECT_EQ(parser.LoadSongWithClient(list, nullptr), 0);
}

// The descriptor fetch: the text between the first two double quotes.
TEST(PlayUrlOfDescriptor, TakesTheTextBetweenTheFirstTwoQuotes) {
    EXPECT_EQ(CSongXml::PlayUrlOfDescriptor("<asx><ref href=\"x\"/></asx>"), "x");
    EXPECT_EQ(CSongXml::PlayUrlOfDescriptor("a\"\"b"), "");
    EXPECT_EQ(CSongXml::PlayUrlOfDescriptor("no quotes at all"), "");
    EXPECT_EQ(CSongXml::PlayUrlOfDescriptor("only \"one"), "");
    EXPECT_EQ(CSongXml::PlayUrlOfDescriptor("\"a\" \"b\""), "a");
}

class DescriptorFetch : public AnswerFile {
protected:
    DescriptorFetch()
        : server([](const RawRequest& request) {
              if (request.target == "/desc/11") return RawReply::Ok("<ref href=\"mms://stream/11.wma\"/>");
              if (request.target == "/desc/22") return RawReply::Ok("no quote here");
              return RawReply::Dropped();
          }) {}

    std::string Document() {
        return "<Result>" + SongItem("11", "a", server.Url("/desc/11")) + SongItem("22", "b", server.Url("/desc/22")) +
               SongItem("33", "c", server.Url("/desc/33")) + "</Result>";
    }
    CSongList Listed() {
        CSongList list = ListOfIds({"11", "22", "33"});
        St_SongInfo third = SongAt(list, 2);
        third.playUrl = "kept";
        list.SetAt(2, third);
        return list;
    }
    void ExpectFetched(const CSongList& list) {
        EXPECT_EQ(SongAt(list, 0).playUrl, "mms://stream/11.wma");
        EXPECT_EQ(SongAt(list, 1).playUrl, "");
        EXPECT_EQ(SongAt(list, 2).playUrl, "kept");
        EXPECT_EQ(SongAt(list, 2).name, "c");  // stored although its descriptor failed
        EXPECT_TRUE(traces.Has("Get 33 Mp3URL Faild!"));
    }

    LoopbackServer server;
};

TEST_F(DescriptorFetch, LoadSongFetchesWithAFreshClient) {
    CSongXml parser;
    Prepare(parser, Document());
    CSongList list = Listed();
    ASSERT_EQ(parser.LoadSong(list), 1);
    ExpectFetched(list);
}

TEST_F(DescriptorFetch, LoadSongWithClientAlwaysFetchesWithTheGivenClient) {
    CSongXml parser;
    parser.loadPlayUrl = 0;  // not consulted
    Prepare(parser, Document());
    CSongList list = Listed();
    GenericHTTPClient client;
    ASSERT_EQ(parser.LoadSongWithClient(list, &client), 1);
    ExpectFetched(list);
    EXPECT_EQ(server.RequestCount(), 3);
}

// ---- recommendations ----

std::string RecommendItem(int n) {
    const std::string id = std::to_string(n);
    return "<i><SONG>歌" + id + "</SONG><SONGID>" + id + "</SONGID><SINGER>人" + id + "</SINGER><ALBUM>集" + id +
           "</ALBUM></i>";
}

TEST_F(AnswerFile, TwelveRecommendationsFillTen) {
    std::string items;
    for (int n = 1; n <= 12; ++n) items += RecommendItem(n);
    CRecommendXml parser;
    Prepare(parser, GbkDocument("<Result>" + items + "</Result>"));
    CSongList list = ListOfIds({"old"});
    ASSERT_EQ(parser.LoadSonglist(list), 1);
    ASSERT_EQ(list.GetCount(), 10);
    EXPECT_EQ(SongAt(list, 0).id, "1");
    EXPECT_EQ(SongAt(list, 0).name, Cp936("歌1"));
    EXPECT_EQ(SongAt(list, 0).singer, Cp936("人1"));
    EXPECT_EQ(SongAt(list, 0).album, Cp936("集1"));
    EXPECT_EQ(SongAt(list, 9).id, "10");
}

TEST_F(AnswerFile, RecommendationsWithoutIdOrNameAreSkipped) {
    CRecommendXml parser;
    Prepare(parser, "<Result><i><SONG>n</SONG></i><i><SONGID>5</SONGID></i><i><SONGID>6</SONGID><SONG>late</SONG></i>" +
                        std::string("<x><SONG>ok</SONG><SONGID>7</SONGID></x></Result>"));
    CSongList list;
    ASSERT_EQ(parser.LoadSonglist(list), 1);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(SongAt(list, 0).id, "7");
}

TEST_F(AnswerFile, UnreadableRecommendationsEmptyTheList) {
    CRecommendXml parser;
    Prepare(parser, "<Result><i>");
    CSongList list = ListOfIds({"old"});
    EXPECT_EQ(parser.LoadSonglist(list), 0);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_TRUE(traces.Has("CRecommendXml::LoadSonglist===Failed to load xml"));
    EXPECT_EQ(traces.CountContaining("x_ParseError : "), 1);
}

// ---- sign-in ----

struct LogonCase {
    const char* label;
    const char* body;
    bool success;
    const char* status;
    const char* uid;
};

void PrintTo(const LogonCase& c, std::ostream* out) { *out << c.label; }

class LogonAnswer : public AnswerFile, public ::testing::WithParamInterface<LogonCase> {};

TEST_P(LogonAnswer, SucceedsOnlyWithItemOneAndAUid) {
    const LogonCase& c = GetParam();
    CLogonXml parser;
    Prepare(parser, c.body);
    LogonResult result;
    EXPECT_EQ(parser.LoadLogon(result), c.success);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.uid, c.uid);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, LogonAnswer,
    ::testing::Values(
        LogonCase{"Accepted", "<Result><uid>42</uid><user_info>me</user_info><item>1</item></Result>", true, "1", "42"},
        LogonCase{"EmptyUid", "<Result><uid></uid><user_info>me</user_info><item>1</item></Result>", false, "1", ""},
        LogonCase{"Refused", "<Result><uid>42</uid><item>wrong password</item></Result>", false, "wrong password",
                  "42"},
        LogonCase{"OutOfOrder", "<Result><item>1</item><uid>42</uid></Result>", false, "", "42"},
        LogonCase{"NoResult", "<Other><uid>42</uid><item>1</item></Other>", false, "", ""}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- albums ----

std::string AlbumSong(int n, bool withId = true) {
    const std::string id = std::to_string(n);
    return "<s><SINGERCNAME>唱" + id + "</SINGERCNAME>" + (withId ? "<SONGBASEID>" + id + "</SONGBASEID>" : "") +
           "<NAME>曲" + id + "</NAME></s>";
}

TEST_F(AnswerFile, AlbumsKeepTheirFirstFiftySongs) {
    std::string songs;
    for (int n = 1; n <= 60; ++n) songs += AlbumSong(n);
    CAlbumXml parser;
    Prepare(parser, GbkDocument("<Result><g><a><SONGLIST>" + songs +
                                "</SONGLIST><NAME>大</NAME><USERALBUMID>9</USERALBUMID></a></g></Result>"));
    CAlbumList albums;
    ASSERT_TRUE(parser.LoadAlbumList(albums));
    ASSERT_EQ(albums.GetCount(), 1);
    const St_Album album = albums.GetAt(0);
    EXPECT_EQ(album.albumId, "9");
    EXPECT_EQ(album.albumName, Cp936("大"));
    ASSERT_EQ(album.songs.GetCount(), 50);
    std::string expectedIds;
    for (int n = 1; n <= 50; ++n) expectedIds += (n > 1 ? "|" : "") + std::to_string(n);
    EXPECT_EQ(album.songIds, expectedIds);
    St_SongInfo last;
    album.songs.GetAt(49, last);
    EXPECT_EQ(last.id, "50");
    EXPECT_EQ(last.name, Cp936("曲50"));
    EXPECT_EQ(last.singer, Cp936("唱50"));
}

TEST_F(AnswerFile, AlbumSongsWithoutAnIdAddNothing) {
    CAlbumXml parser;
    Prepare(parser, "<Result><g><a><USERALBUMID>1</USERALBUMID><NAME>n</NAME><SONGLIST>" + AlbumSong(1) +
                        AlbumSong(2, false) + "<s><SONGBASEID>3</SONGBASEID></s>" + AlbumSong(4) +
                        "</SONGLIST></a></g></Result>");
    CAlbumList albums;
    ASSERT_TRUE(parser.LoadAlbumList(albums));
    const St_Album album = albums.GetAt(0);
    EXPECT_EQ(album.songIds, "1|4");
    EXPECT_EQ(album.songs.GetCount(), 2);
}

TEST_F(AnswerFile, SignAlbumNeedsOnlyAnIdGroupAlbumsNeedAName) {
    CAlbumXml parser;
    Prepare(parser,
            "<Result>"
            "<g1><a><USERALBUMID>1</USERALBUMID></a><a><NAME>two</NAME><USERALBUMID>2</USERALBUMID></a></g1>"
            "<sign><USERALBUMID>3</USERALBUMID><SONGLIST>" +
                AlbumSong(7) +
                "</SONGLIST></sign>"
                "<g2><a><NAME>noid</NAME></a><a><USERALBUMID>4</USERALBUMID><NAME>four</NAME></a></g2>"
                "<sign><NAME>x</NAME></sign>"
                "</Result>");
    CAlbumList albums;
    ASSERT_TRUE(parser.LoadAlbumList(albums));
    ASSERT_EQ(albums.GetCount(), 3);
    EXPECT_EQ(albums.GetAt(0).albumId, "2");
    EXPECT_EQ(albums.GetAt(0).albumName, "two");
    EXPECT_EQ(albums.GetAt(1).albumId, "3");
    EXPECT_EQ(albums.GetAt(1).albumName, "");
    EXPECT_EQ(albums.GetAt(1).songIds, "7");
    EXPECT_EQ(albums.GetAt(2).albumId, "4");
}

TEST_F(AnswerFile, AlbumListWithoutResultFails) {
    CAlbumXml parser;
    Prepare(parser, "<html><body>error</body></html>");
    CAlbumList albums;
    St_Album stale;
    stale.albumId = "1";
    albums.Add(stale);
    EXPECT_FALSE(parser.LoadAlbumList(albums));
    EXPECT_TRUE(albums.IsEmpty());
    EXPECT_TRUE(traces.Has("The xml file is incorret!"));
}

// ---- created album and update check ----

TEST_F(AnswerFile, CreatedAlbumTakesTheLaterIdentifier) {
    CCreateAlbumXml parser;
    St_Album album;
    Prepare(parser, "<Result><USERALBUMID>5</USERALBUMID><x>9</x><ID>6</ID></Result>");
    EXPECT_TRUE(parser.LoadCreatedAlbum(album));
    EXPECT_EQ(album.albumId, "6");
    EXPECT_TRUE(traces.Has("AlbumID:6"));

    St_Album fresh;
    Prepare(parser, "<Result><NAME>x</NAME></Result>");
    EXPECT_FALSE(parser.LoadCreatedAlbum(fresh));
    EXPECT_TRUE(traces.Has("AlbumID:"));
}

TEST_F(AnswerFile, UpdateCheckReadsBothValuesInAnyOrder) {
    CCheckXml parser;
    UpdateCheckResult result;
    Prepare(parser, "<Result><quit>0</quit><update_code>3</update_code><quit>1</quit></Result>");
    EXPECT_TRUE(parser.LoadCheckXml(result));
    EXPECT_EQ(result.quit, "1");
    EXPECT_EQ(result.updateCode, "3");
    EXPECT_TRUE(traces.Has("Code:3 Quit:1"));

    Prepare(parser, "<NotResult/>");
    EXPECT_FALSE(parser.LoadCheckXml(result));
}

}  // namespace

namespace {

// Hostile answers: every parser copes, and a document that does not load
// always says why.
struct HostileCase {
    const char* label;
    std::string document;
};
void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.label; }

class HostileAnswer : public ::testing::TestWithParam<HostileCase> {};

std::string Nested(int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<a>";
        close += "</a>";
    }
    return "<Result>" + open + close + "</Result>";
}

std::string Laughs() {
    std::string doctype = "<!DOCTYPE r [<!ENTITY l0 \"ha\">";
    for (int i = 1; i <= 12; ++i)
        doctype += "<!ENTITY l" + std::to_string(i) + " \"" + [&] {
            std::string ten;
            for (int k = 0; k < 10; ++k) ten += "&l" + std::to_string(i - 1) + ";";
            return ten;
        }() + "\">";
    return doctype + "]><Result><i><SONG>&l12;</SONG><SONGID>1</SONGID></i></Result>";
}

TEST_P(HostileAnswer, NoParserFallsOver) {
    TempDir folder;
    const std::string path = folder.Write("hostile.xml", GetParam().document).string();

    CMarkupMSXML markup;
    const bool loaded = markup.LoadFile(path);
    EXPECT_TRUE(loaded || !markup.GetError().empty());

    CSongList songs;
    St_SongInfo seed;
    seed.id = "1";
    songs.Add(seed);
    CSongXml song;
    song.loadPlayUrl = 0;
    song.SetXmlFile(path);
    song.LoadSong(songs);
    EXPECT_LE(songs.GetCount(), 1);

    CRecommendXml recommend;
    recommend.SetXmlFile(path);
    recommend.LoadSonglist(songs);
    EXPECT_LE(songs.GetCount(), CRecommendXml::kMaxSongs);

    CAlbumList albums;
    CAlbumXml album;
    album.SetXmlFile(path);
    album.LoadAlbumList(albums);
    for (int i = 0; i < albums.GetCount(); ++i) EXPECT_LE(albums.GetAt(i).songs.GetCount(), 50);

    LogonResult logon;
    CLogonXml logonParser;
    logonParser.SetXmlFile(path);
    St_Album created;
    CCreateAlbumXml create;
    create.SetXmlFile(path);
    UpdateCheckResult check;
    CCheckXml checkParser;
    checkParser.SetXmlFile(path);
    if (!loaded) {
        EXPECT_FALSE(logonParser.LoadLogon(logon));
        EXPECT_FALSE(create.LoadCreatedAlbum(created));
        EXPECT_FALSE(checkParser.LoadCheckXml(check));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Documents, HostileAnswer,
    ::testing::Values(
        HostileCase{"Empty", ""}, HostileCase{"Zeros", std::string("\0\0\0", 3)},
        HostileCase{"ByteOrderMark", "\xEF\xBB\xBF<Result/>"},
        HostileCase{"Utf16", std::string("\xFF\xFE<\0R\0/\0>\0", 10)}, HostileCase{"DeepNesting", Nested(5000)},
        HostileCase{"EntityExpansion", Laughs()},
        HostileCase{"InvalidGbk", "<?xml version=\"1.0\" encoding=\"GBK\"?><Result><i><SONG>\xFF\xFF</SONG></i></Result>"},
        HostileCase{"BlankSongList", "<Result><sign><SONGLIST>" + std::string(2000, ' ') + "</SONGLIST></sign></Result>"},
        HostileCase{"EmptyNodes", "<Result><?pi?><![CDATA[]]><!----></Result>"},
        HostileCase{"DuplicateAttribute", "<Result><a b='1' b='2'/></Result>"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
