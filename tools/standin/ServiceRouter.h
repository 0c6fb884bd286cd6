#pragma once
// Answers one request of a client: the service's request paths, its pages,
// the stream descriptors and audio, and the update host. Faults, ranges and
// the request log are the caller's business.

#include "tools/standin/Accounts.h"
#include "tools/standin/AlbumStore.h"
#include "tools/standin/AudioCache.h"
#include "tools/standin/Catalogue.h"
#include "tools/standin/HttpMessage.h"
#include "tools/standin/Pages.h"
#include "tools/standin/RequestLog.h"
#include "tools/standin/ServiceAnswers.h"
#include "tools/standin/UpdateHost.h"

#include <map>
#include <mutex>
#include <string>

namespace standin {

// The request paths of the service.
namespace paths {
inline constexpr const char* kPlaylist = "/songhall/port/tonvik/playlist.php";
inline constexpr const char* kRecommend = "/songhall/port/tonvik/recommend_song.php";
inline constexpr const char* kLogin = "/shequ/port/tonvik/login.php";
inline constexpr const char* kLogout = "/shequ/port/tonvik/logout.php";
inline constexpr const char* kAlbumList = "/shequ/port/tonvik/get_useralbumlist.php";
inline constexpr const char* kCreateAlbum = "/shequ/port/tonvik/createuseralbum.php";
inline constexpr const char* kEditAlbum = "/shequ/port/tonvik/edituseralbum.php";
inline constexpr const char* kDeleteAlbum = "/shequ/port/tonvik/deluseralbum.php";
inline constexpr const char* kUpdateCheck = "/songhall/intro/tonvik/updatecheck.xml";
inline constexpr const char* kPlayLog = "/songhall/tonvik/playlog.php";
inline constexpr const char* kRecommendPage = "/songhall/tonvik/newrecommand.shtml";
inline constexpr const char* kSearchPage = "/songhall/tonvik/search.php";
inline constexpr const char* kSongInfoPage = "/songhall/tonvik/songinfo.php";
inline constexpr const char* kAdPage = "/iframe/songhall/tonvik/ad.html";
inline constexpr const char* kHelpPage = "/shequ/TonvikPlayer.shtml";
inline constexpr const char* kUserPage = "/shequ/u/";
inline constexpr const char* kAlbumEditPage = "/shequ/manage/edituseralbum.php";
inline constexpr const char* kLoginPage = "/login.php";
inline constexpr const char* kUpdatingPage = "/songhall/intro/tonvik/updating.shtml";
inline constexpr const char* kSongLinks = "/songhall/m/";
// Pages of tests (data/testpages), and "hop?n=N&to=<address>", a chain of
// N redirects to the address.
inline constexpr const char* kTestPages = "/testpages/";
}  // namespace paths

struct St_ServiceData {
    const CCatalogue& catalogue;
    CAccounts& accounts;
    CAlbumStore& albums;
    const CUpdateHost& updateHost;
    const CPages& pages;
    CRequestLog& log;
};

class CServiceRouter {
public:
    explicit CServiceRouter(St_ServiceData data);

    // `host` is the host (and port) the client asked for, used in the
    // addresses inside answers.
    St_HttpReply Route(const St_HttpRequest& request, const std::string& host);

    // A fixed answer for a path, served as given; "{HOST}" in it becomes the
    // client's host.
    void SetDocument(const std::string& path, std::string body, std::string contentType);
    bool HasDocument(const std::string& path);
    void ClearDocuments();
    void SetUpdateCheck(std::string updateCode, std::string quit);

private:
    St_HttpReply ServiceRequest(const St_HttpRequest& request, const std::string& host, bool& handled);
    St_HttpReply Page(const St_HttpRequest& request, const std::string& host, bool& handled);
    St_HttpReply Login(const std::string& query);
    St_HttpReply LoginPage(const std::string& query, const std::string& host);
    St_HttpReply PlayLog(const St_HttpRequest& request);
    St_HttpReply TestPage(const St_HttpRequest& request, const std::string& host);

    St_ServiceData m_data;
    CServiceAnswers m_answers;
    CAudioCache m_audio;

    std::mutex m_lock;
    std::map<std::string, std::pair<std::string, std::string>> m_documents;
    std::string m_updateCode = CUpdateHost::kUpdateCode;
    std::string m_quit = "0";
};

}  // namespace standin
