#include "service/ServiceXml.h"

#include "common/Trace.h"
#include "service/AnswerFiles.h"
#include "service/HttpClient.h"

#include <cstdlib>
#include <memory>

namespace {

constexpr const char* kResultElement = "Result";

// atoi: optional blanks, an optional sign, the leading digits.
long LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > 1000000000L) return 0;  // overflows an int: not a status we know
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

}  // namespace

// ---- shared reading ----

bool CAnswerXml::LoadAnswer() {
    std::unique_lock<std::mutex> lock = std::move(m_fileLock);
    if (!lock.owns_lock()) lock = LockAnswerFile(m_strXmlFile);  // nobody handed it over
    return LoadFile(m_strXmlFile);
}

bool CAnswerXml::LoadResult() {
    if (!LoadAnswer()) return false;
    if (!FindSibling(kResultElement)) {
        Trace("The xml file is incorret!");
        return false;
    }
    return true;
}

bool CAnswerXml::ReadChild(const char* name, std::string& out) {
    if (!FindChild(name)) return false;
    EnterChild();
    out = GetText();
    LeaveToParent();
    return true;
}

void CAnswerXml::Rewind() {
    if (LeaveToParent()) EnterChild();
}

// ---- song information ----

std::string CSongXml::PlayUrlOfDescriptor(std::string_view descriptor) {
    const size_t first = descriptor.find('"');
    if (first == std::string_view::npos) return {};
    const size_t second = descriptor.find('"', first + 1);
    if (second == std::string_view::npos) return {};
    return std::string(descriptor.substr(first + 1, second - first - 1));
}

int CSongXml::LoadSong(CSongList& list) { return LoadSongs(list, nullptr, loadPlayUrl != 0); }

int CSongXml::LoadSongWithClient(CSongList& list, GenericHTTPClient* client) {
    if (client == nullptr) return 0;
    return LoadSongs(list, client, true);
}

int CSongXml::LoadSongs(CSongList& list, GenericHTTPClient* client, bool fetchPlayUrl) {
    if (!LoadResult()) return 0;
    EnterChild();
    for (int index = 0; FindSibling(nullptr); ++index) {
        St_SongInfo song;
        if (index < list.GetCount()) list.GetAt(index, song);
        ReadChild("id", song.id);
        ReadChild("name", song.name);
        ReadChild("album_name", song.album);
        ReadChild("singer_name", song.singer);
        ReadChild("lyric", song.lyric);
        ReadChild("findo_url", song.findoUrl);
        ReadChild("mp3_url", song.mp3Url);

        if (fetchPlayUrl) {
            // The caller's client, which an abort of the whole lookup closes
            // for good, or a fresh one.
            std::unique_ptr<GenericHTTPClient> own;
            GenericHTTPClient* fetcher = client;
            if (!fetcher) {
                own = std::make_unique<GenericHTTPClient>();
                fetcher = own.get();
            }
            if (fetcher->RequestOfURI(song.mp3Url, kHttpGet, kServiceAgent))
                song.playUrl = PlayUrlOfDescriptor(fetcher->GetBody());
            else
                Trace("Get %s Mp3URL Faild!", song.id.c_str());
        } else {
            Trace("CSongXml::LoadSong===No need to load playurl.");
        }

        if (!song.id.empty() && !song.name.empty()) list.SetAt(index, song);
    }
    LeaveToParent();
    return 1;
}

// ---- recommendations ----

int CRecommendXml::LoadSonglist(CSongList& list) {
    list.RemoveAll();
    if (!LoadAnswer()) {
        Trace("CRecommendXml::LoadSonglist===Failed to load xml");
        return 0;
    }
    if (!FindSibling(kResultElement)) {
        Trace("The xml file is incorret!");
        return 0;
    }
    EnterChild();
    while (list.GetCount() < kMaxSongs && FindSibling(nullptr)) {
        St_SongInfo song;
        ReadChild("SONG", song.name);
        ReadChild("SONGID", song.id);
        ReadChild("SINGER", song.singer);
        ReadChild("ALBUM", song.album);
        if (!song.id.empty() && !song.name.empty()) list.Add(song);
    }
    LeaveToParent();
    return 1;
}

// ---- sign-in ----

bool CLogonXml::LoadLogon(LogonResult& result) {
    if (!LoadResult()) return false;
    ReadChild("uid", result.uid);
    ReadChild("user_info", result.userInfo);
    ReadChild("item", result.status);
    return LeadingNumber(result.status) == 1 && !result.uid.empty();
}

// ---- answers that only say yes or no ----

bool CStatusXml::LoadStatus(std::string_view answer, std::string& status) {
    status.clear();
    if (!LoadDocument(answer)) return false;
    if (!FindSibling(kResultElement)) {
        Trace("The xml file is incorret!");
        return false;
    }
    ReadChild("item", status);
    return LeadingNumber(status) == 1;
}

// ---- albums ----

void CAlbumXml::ReadAlbum(St_Album& album) {
    album.albumId.clear();
    album.albumName.clear();
    album.songIds.clear();
    album.songs.RemoveAll();
    album.songs.SetNoEvict(true);

    ReadChild("USERALBUMID", album.albumId);
    Rewind();
    ReadChild("NAME", album.albumName);
    Rewind();

    if (!FindChild("SONGLIST")) return;
    EnterChild();
    std::string ids;
    while (FindChild(nullptr)) {
        EnterChild();
        St_SongInfo song;
        ReadChild("NAME", song.name);
        Rewind();
        ReadChild("SINGERCNAME", song.singer);
        Rewind();
        std::string songId;
        if (!song.name.empty() && ReadChild("SONGBASEID", songId) && album.songs.GetCount() < kMaxAlbumSongs) {
            ids += songId;
            ids += '|';
            song.id = songId;
        }
        if (!song.id.empty()) {
            album.songs.SetNoEvict(true);
            album.songs.Add(song);
        }
        LeaveToParent();
    }
    while (!ids.empty() && ids.back() == '|') ids.pop_back();
    album.songIds = ids;
    LeaveToParent();
}

bool CAlbumXml::LoadAlbumList(CAlbumList& albums) {
    albums.RemoveAll();
    if (!LoadResult()) return false;
    EnterChild();
    while (FindSibling(nullptr)) {
        if (GetName() == "sign") {
            St_Album album;
            ReadAlbum(album);
            if (!album.albumId.empty()) albums.Add(album);
            continue;
        }
        EnterChild();
        while (FindSibling(nullptr)) {
            St_Album album;
            ReadAlbum(album);
            if (!album.albumId.empty() && !album.albumName.empty()) albums.Add(album);
        }
        LeaveToParent();
    }
    LeaveToParent();
    return true;
}

// ---- created album ----

bool CCreateAlbumXml::LoadCreatedAlbum(St_Album& album) {
    if (!LoadResult()) return false;
    EnterChild();
    while (FindSibling(nullptr)) {
        const std::string name = GetName();
        if (name == "ID" || name == "USERALBUMID") album.albumId = GetText();
    }
    LeaveToParent();
    Trace("AlbumID:%s", album.albumId.c_str());
    return !album.albumId.empty();
}

// ---- update check ----

bool CCheckXml::LoadCheckXml(UpdateCheckResult& result) {
    if (!LoadResult()) return false;
    EnterChild();
    while (FindSibling(nullptr)) {
        const std::string name = GetName();
        if (name == "update_code") result.updateCode = GetText();
        else if (name == "quit") result.quit = GetText();
    }
    LeaveToParent();
    Trace("Code:%s Quit:%s", result.updateCode.c_str(), result.quit.c_str());
    return true;
}
