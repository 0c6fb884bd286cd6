// The request operations: build the address, send it, keep the answer in
// its file in the program's folder, parse it.

#include "common/Text.h"
#include "common/Trace.h"
#include "platform/AtomicFile.h"
#include "service/AnswerFiles.h"
#include "service/HttpClient.h"
#include "service/ServiceHosts.h"
#include "service/ServiceXml.h"

#include <QDateTime>

#include <exception>

namespace {

constexpr const char* kSongInfoPath = "/songhall/port/tonvik/playlist.php?";
constexpr const char* kRecommendPath = "/songhall/port/tonvik/recommend_song.php";
constexpr const char* kLogonPath = "/shequ/port/tonvik/login.php?";
constexpr const char* kAlbumListPath = "/shequ/port/tonvik/get_useralbumlist.php?";
constexpr const char* kCreateAlbumPath = "/shequ/port/tonvik/createuseralbum.php?";
constexpr const char* kEditAlbumPath = "/shequ/port/tonvik/edituseralbum.php?";
constexpr const char* kDelAlbumPath = "/shequ/port/tonvik/deluseralbum.php?";
constexpr const char* kLogoutPath = "/shequ/port/tonvik/logout.php";
constexpr const char* kCheckUpdatePath = "/songhall/intro/tonvik/updatecheck.xml";

// A name the user typed, as it goes into an address: UTF-8, URL-encoded.
std::string EncodeTypedName(std::string_view ansi) { return UrlEncode(AnsiToUtf8(ansi)); }

std::string LocalTimeText() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
}

// Writes the answer body (up to its first zero byte) to its file.
bool WriteAnswer(const std::string& path, const GenericHTTPClient& client) {
    return tonvik::platform::WriteFileAtomically(path, std::string_view(client.GetBody()));
}

// Sends a request whose answer nobody reads.
void SendUnread(const std::string& address, GenericHTTPClient& client) {
    client.RequestOfURI(address, kHttpGet, kServiceAgent);
}

// Sends a request whose answer only says whether the service took it
// (`name` opens the traces).
int SendForStatus(const char* name, const std::string& address, GenericHTTPClient& client) {
    if (!client.RequestOfURI(address, kHttpGet, kServiceAgent)) {
        Trace("%s===Request failed!", name);
        return -2;
    }
    std::string status;
    CStatusXml parser;
    if (!parser.LoadStatus(client.GetBody(), status)) {
        Trace("%s===Refused : %.256s", name, status.c_str());
        return -3;
    }
    return 1;
}

}  // namespace

// ---- song information ----

std::string CSongXml::SongInfoAddress(const CSongList& list) {
    std::string address = ServiceAddress(kSongInfoPath);
    const std::vector<St_SongInfo> songs = list.Snapshot();
    for (size_t i = 0; i < songs.size(); ++i) {
        address += i == 0 ? "SONG_ID[]=" : "&SONG_ID[]=";
        address += songs[i].id;
    }
    return address;
}

int CSongXml::RequestSongInfo(CSongList& list, GenericHTTPClient& client, int answerKind, bool withClient) {
    const std::string address = SongInfoAddress(list);
    Trace("GetSong :%s", address.c_str());
    if (!client.RequestOfURI(address, kHttpGet, kServiceAgent)) {
        Trace(withClient ? "GetEx playsong.xml failed!" : "Get playsong.xml failed!");
        return -2;
    }
    Trace("GetSong===Finish the request.");

    const std::string path = AnswerFilePath(SongAnswerFileName(answerKind));
    std::unique_lock<std::mutex> fileLock = LockAnswerFile(path);
    if (!WriteAnswer(path, client)) {
        Trace("Failed to write playsong.xml!");
        return -1;
    }
    SetXmlFile(path);
    HoldFileLock(std::move(fileLock));
    const int parsed = withClient ? LoadSongWithClient(list, &client) : LoadSong(list);
    if (!parsed) {
        Trace("Failed to parse playsong.xml OK!");
        return -3;
    }
    return 1;
}

int CSongXml::GetSongInfo(CSongList& list, int answerKind) {
    TRACE_SCOPE("GetSongInfo...");
    if (list.IsEmpty()) return 0;
    GenericHTTPClient client;
    return RequestSongInfo(list, client, answerKind, false);
}

int CSongXml::GetSongInfoEx(CSongList& list, GenericHTTPClient* client, int answerKind) {
    TRACE_SCOPE("GetSongInfoEx...");
    if (list.IsEmpty() || client == nullptr) return 0;
    // The client is not closed first: every exchange already ends closed,
    // and a close is the caller's way to abort this lookup for good.
    return RequestSongInfo(list, *client, answerKind, true);
}

int GetSongInfoWithoutPlayUrl(CSongList& list) {
    CSongXml parser;
    parser.loadPlayUrl = 0;
    return parser.GetSongInfo(list, kAnswerPlaySong) > 0 ? 1 : -1;
}

// ---- recommendations ----

int CRecommendXml::GetRecommendXml(CSongList& list) {
    GenericHTTPClient client;
    return GetRecommendXml(list, client);
}

int CRecommendXml::GetRecommendXml(CSongList& list, GenericHTTPClient& client) {
    TRACE_SCOPE("GetRecommendXml...");
    if (!client.RequestOfURI(ServiceAddress(kRecommendPath), kHttpGet, kServiceAgent)) {
        Trace("Get recommend.xml failed!");
        return -2;
    }
    const std::string path = AnswerFilePath(kRecommendFile);
    std::unique_lock<std::mutex> fileLock = LockAnswerFile(path);
    if (!WriteAnswer(path, client)) {
        Trace("Failed to write recommend.xml!");
        return -1;
    }
    SetXmlFile(path);
    HoldFileLock(std::move(fileLock));
    if (!LoadSonglist(list)) {
        Trace("Failed to parse recommend.xml!");
        return -3;
    }
    return 1;
}

int CRecommendXml::LoadExistXml(CSongList& list) {
    TRACE_SCOPE("LoadExistXml...");
    SetXmlFile(AnswerFilePath(kRecommendFile));
    if (!LoadSonglist(list)) {
        Trace("Failed to parse recommend.xml!");
        return -1;
    }
    return 1;
}

// ---- sign-in ----

// The password is encoded like the name: as typed, a "&", "#" or blank in
// it would cut the query short or change its meaning.
std::string CLogonXml::LogonAddress(std::string_view userName, std::string_view password) {
    return ServiceAddress(kLogonPath) + "username=" + EncodeTypedName(userName) +
           "&password=" + EncodeTypedName(password);
}

int CLogonXml::Logon(std::string_view userName, std::string_view password, LogonResult& result) {
    GenericHTTPClient client;
    return Logon(userName, password, result, client);
}

int CLogonXml::Logon(std::string_view userName, std::string_view password, LogonResult& result,
                     GenericHTTPClient& client) {
    TRACE_SCOPE("Logon...");
    // The address below carries it; no trace of a failure may.
    HideInTraces(password);
    try {
        if (!client.RequestOfURI(LogonAddress(userName, password), kHttpGet, kServiceAgent)) {
            result.status = Cp936("登录失败");
            Trace("Get logon.xml failed!");
            return -2;
        }
        const std::string path = AnswerFilePath(kLogonFile);
        std::unique_lock<std::mutex> fileLock = LockAnswerFile(path);
        if (!WriteAnswer(path, client)) {
            result.status = client.GetBody();
            Trace("logon result : %s", result.status.c_str());
            return -1;
        }
        SetXmlFile(path);
        HoldFileLock(std::move(fileLock));
        if (!LoadLogon(result)) {
            Trace("Failed to parse logon.xml OK!");
            return -3;
        }
        return 1;
    } catch (const std::exception& e) {
        Trace("Logon exception!%s", e.what());
        return -5;
    }
}

// ---- albums ----

int CAlbumXml::GetAlbumList(std::string_view uid, CAlbumList& albums) {
    GenericHTTPClient client;
    return GetAlbumList(uid, albums, client);
}

int CAlbumXml::GetAlbumList(std::string_view uid, CAlbumList& albums, GenericHTTPClient& client) {
    TRACE_SCOPE("GetAlbumList...");
    try {
        const std::string address = ServiceAddress(kAlbumListPath) + "id=" + std::string(uid);
        if (!client.RequestOfURI(address, kHttpGet, kServiceAgent)) {
            Trace("Get album.xml failed!");
            return -2;
        }
        const std::string path = AnswerFilePath(kAlbumFile);
        std::unique_lock<std::mutex> fileLock = LockAnswerFile(path);
        if (!WriteAnswer(path, client)) {
            Trace("Failed to write album.xml!");
            return -1;
        }
        SetXmlFile(path);
        HoldFileLock(std::move(fileLock));
        if (!LoadAlbumList(albums)) {
            Trace("Failed to parse album.xml OK!");
            return -3;
        }
        return 1;
    } catch (const std::exception& e) {
        Trace("GetAlbumList exception!%s", e.what());
        return -4;
    }
}

std::string CCreateAlbumXml::CreateAlbumAddress(std::string_view albumName, std::string_view createTime) {
    return ServiceAddress(kCreateAlbumPath) + "where=1&when=2&how=3&create_time=" + std::string(createTime) +
           "&ua_name=" + EncodeTypedName(albumName) + "&intro=4&sign=0&song_list=";
}

int CCreateAlbumXml::CreateAlbum(St_Album& album) {
    GenericHTTPClient client;
    return CreateAlbum(album, client);
}

int CCreateAlbumXml::CreateAlbum(St_Album& album, GenericHTTPClient& client) {
    TRACE_SCOPE("CreateAlbum...");
    try {
        const std::string address = CreateAlbumAddress(album.albumName, LocalTimeText());
        Trace("CreateAlbum:%s", address.c_str());
        if (!client.RequestOfURI(address, kHttpGet, kServiceAgent)) {
            Trace("Get createalbum.xml failed!");
            return -2;
        }
        const std::string path = AnswerFilePath(kCreateAlbumFile);
        std::unique_lock<std::mutex> fileLock = LockAnswerFile(path);
        if (!WriteAnswer(path, client)) {
            Trace("Failed to write createalbum.xml!");
            return -1;
        }
        SetXmlFile(path);
        HoldFileLock(std::move(fileLock));
        if (!LoadCreatedAlbum(album)) {
            Trace("Failed to parse createalbum.xml OK!");
            return -3;
        }
        return 1;
    } catch (const std::exception& e) {
        Trace("CreateAlbum  Exception!%s", e.what());
        return -4;
    }
}

std::string EditAlbumAddress(const St_Album& album) {
    std::string songList;
    for (const St_SongInfo& song : album.songs.Snapshot()) {
        if (song.id.empty()) continue;
        if (!songList.empty()) songList += '|';
        songList += song.id;
    }
    return ServiceAddress(kEditAlbumPath) + "id=" + album.albumId + "&ua_name=" + EncodeTypedName(album.albumName) +
           "&intro=1&sign=0&song_list=" + songList;
}

int EditAlbum(const St_Album& album) {
    GenericHTTPClient client;
    return EditAlbum(album, client);
}

int EditAlbum(const St_Album& album, GenericHTTPClient& client) {
    TRACE_SCOPE("EditAlbum...");
    const std::string address = EditAlbumAddress(album);
    Trace("Edit:%s", address.c_str());
    return SendForStatus("EditAlbum", address, client);
}

int DelAlbum(const St_Album& album) {
    GenericHTTPClient client;
    return DelAlbum(album, client);
}

int DelAlbum(const St_Album& album, GenericHTTPClient& client) {
    TRACE_SCOPE("DelAlbum...");
    return SendForStatus("DelAlbum", ServiceAddress(kDelAlbumPath) + "id=" + album.albumId, client);
}

void Logout() {
    GenericHTTPClient client;
    Logout(client);
}

void Logout(GenericHTTPClient& client) {
    TRACE_SCOPE("Logout...");
    SendUnread(ServiceAddress(kLogoutPath), client);
}

// ---- update check ----

int CCheckXml::CheckUpdate(UpdateCheckResult& result) {
    GenericHTTPClient client;
    return CheckUpdate(result, client);
}

int CCheckXml::CheckUpdate(UpdateCheckResult& result, GenericHTTPClient& client) {
    TRACE_SCOPE("CheckUpdate...");
    try {
        if (!client.RequestOfURI(ServiceAddress(kCheckUpdatePath), kHttpGet, kServiceAgent)) {
            Trace("Get CheckUpdate.xml failed!");
            return -2;
        }
        const std::string path = AnswerFilePath(kCheckUpdateFile);
        std::unique_lock<std::mutex> fileLock = LockAnswerFile(path);
        if (!WriteAnswer(path, client)) {
            Trace("Failed to write CheckUpdate.xml!");
            return -1;
        }
        SetXmlFile(path);
        HoldFileLock(std::move(fileLock));
        if (!LoadCheckXml(result)) {
            Trace("Failed to parse CheckUpdate.xml OK!");
            return -3;
        }
        return 1;
    } catch (const std::exception& e) {
        Trace("CheckUpdate  Exception!%s", e.what());
        return -4;
    }
}
