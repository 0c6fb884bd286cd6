// The request operations against the service stand-in: what the service
// sees of them in its request log, and what the program makes of its answers.

#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "service/AnswerFiles.h"
#include "service/HttpClient.h"
#include "service/ServiceXml.h"
#include "tests/service/ServiceDocuments.h"
#include "tests/support/TempDir.h"
#include "tools/standin/StandIn.h"

#include <gtest/gtest.h>

namespace {

class ServiceAgainstStandIn : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        SetupWellKnownPaths(program.Path());
        program.Write("TonvikMusic.ini",
                      "[Hosts]\r\nService=" + standIn.Host() + "\r\nLogin=" + standIn.Host() + "\r\n");
    }
    void TearDown() override { standIn.Stop(); }

    // The one logged request whose path ends with `name`.
    standin::St_LoggedRequest Logged(const std::string& name) const {
        std::vector<standin::St_LoggedRequest> found;
        for (const auto& request : standIn.Requests())
            if (request.path.size() >= name.size() && request.path.compare(request.path.size() - name.size(), name.size(), name) == 0)
                found.push_back(request);
        EXPECT_EQ(found.size(), 1u) << name;
        return found.empty() ? standin::St_LoggedRequest{} : found.front();
    }

    // Every exchange of the service client looks the same on the wire.
    static void ExpectServiceRequest(const standin::St_LoggedRequest& request) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.version, "HTTP/1.0");
        EXPECT_EQ(request.userAgent, kServiceAgent);
        EXPECT_EQ(request.accept, "*/*");
    }

    TempDir state;
    TempDir program;
    standin::CStandIn standIn{standin::OptionsWithState(state.Path())};
};

}  // namespace

TEST_F(ServiceAgainstStandIn, SongInformationAndStreamAddresses) {
    CSongList list = ListOfIds({"20002", "20001"});
    CSongXml parser;
    GenericHTTPClient client;
    ASSERT_GT(parser.GetSongInfoEx(list, &client, kAnswerPlaySong), 0);

    const auto request = Logged("/playlist.php");
    ExpectServiceRequest(request);
    EXPECT_EQ(request.path, "/songhall/port/tonvik/playlist.php");
    EXPECT_NE(request.query.find("SONG_ID[]=20002&SONG_ID[]=20001"), std::string::npos) << request.query;

    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(SongAt(list, 0).id, "20002");  // in the order asked
    EXPECT_EQ(SongAt(list, 1).name, Cp936("雾港晨钟"));
    for (int i = 0; i < 2; ++i) {
        const St_SongInfo song = SongAt(list, i);
        EXPECT_NE(song.playUrl.find(standIn.Host()), std::string::npos) << song.playUrl;
        EXPECT_FALSE(song.lyric.empty());
    }
}

TEST_F(ServiceAgainstStandIn, SignInThenAlbums) {
    CLogonXml logon;
    LogonResult result;
    ASSERT_EQ(logon.Logon("tester", "secret123", result), 1);
    EXPECT_EQ(result.status, "1");
    ASSERT_FALSE(result.uid.empty());
    EXPECT_EQ(standIn.SignedInUid(), result.uid);
    const auto signIn = Logged("/login.php");
    ExpectServiceRequest(signIn);
    EXPECT_NE(signIn.query.find("tester"), std::string::npos);

    CAlbumXml albums;
    CAlbumList list;
    ASSERT_GT(albums.GetAlbumList(result.uid, list), 0);
    ExpectServiceRequest(Logged("/get_useralbumlist.php"));
    EXPECT_GT(list.GetCount(), 0);
    EXPECT_LE(static_cast<size_t>(list.GetCount()), standIn.AlbumsOf(result.uid).size());

    // A refused sign-in is an answer that reads but does not sign in: -3, with
    // the service's own reason for the caller to show.
    LogonResult refused;
    EXPECT_EQ(logon.Logon("tester", "wrong", refused), -3);
    EXPECT_EQ(refused.status, Cp936("用户名或密码错误"));
    EXPECT_TRUE(refused.uid.empty());
}
