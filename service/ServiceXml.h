#pragma once
// The service's answer documents and the requests that fetch them. Each
// answer class reads one kind of answer file (root element "Result") into
// the records of the model or into a small result record; each request
// operation sends its GET, stores the answer in its file in the program's
// folder and parses it. Results: 1 success, -1 answer file not written,
// -2 request failed, -3 answer not parsed, -4 (-5 for Logon) exception.

#include "model/AlbumList.h"
#include "model/SongList.h"
#include "service/MarkupMsxml.h"

#include <mutex>
#include <string>
#include <string_view>

class GenericHTTPClient;

struct LogonResult {
    std::string status;    // text of "item": "1" on success, else what the caller shows
    std::string uid;       // text of "uid"
    std::string userInfo;  // text of "user_info"
};

struct UpdateCheckResult {
    std::string quit;        // text of "quit"
    std::string updateCode;  // text of "update_code"
};

// What every answer class shares: its file and the reading idioms.
class CAnswerXml : public CMarkupMSXML {
public:
    void SetXmlFile(const std::string& path) { m_strXmlFile = path; }
    const std::string& GetXmlFile() const { return m_strXmlFile; }

    // Hands over the lock of the answer file taken by the request that
    // wrote it; it is released as soon as the file has been read in.
    void HoldFileLock(std::unique_lock<std::mutex> lock) { m_fileLock = std::move(lock); }

protected:
    // Loads the answer file (under its lock).
    bool LoadAnswer();
    // Loads and finds the root "Result"; traces a missing root.
    bool LoadResult();
    // The text of the next child `name` after the last child read; false
    // (and `out` untouched) when there is none.
    bool ReadChild(const char* name, std::string& out);
    // The next read searches from the first child again.
    void Rewind();

private:
    std::string m_strXmlFile;
    std::unique_lock<std::mutex> m_fileLock;
};

class CSongXml : public CAnswerXml {
public:
    // Whether LoadSong fetches each song's stream descriptor.
    int loadPlayUrl = 1;

    int LoadSong(CSongList& list);
    int LoadSongWithClient(CSongList& list, GenericHTTPClient* client);

    // The song information of every song of `list`, written back into it.
    int GetSongInfo(CSongList& list, int answerKind);
    int GetSongInfoEx(CSongList& list, GenericHTTPClient* client, int answerKind);

    // The stream address in a descriptor: the text between its first two
    // double quotes; empty with fewer than two.
    static std::string PlayUrlOfDescriptor(std::string_view descriptor);
    // The request address of a list's songs.
    static std::string SongInfoAddress(const CSongList& list);

private:
    int LoadSongs(CSongList& list, GenericHTTPClient* client, bool fetchPlayUrl);
    int RequestSongInfo(CSongList& list, GenericHTTPClient& client, int answerKind, bool withClient);
};

class CRecommendXml : public CAnswerXml {
public:
    static constexpr int kMaxSongs = 10;

    int LoadSonglist(CSongList& list);
    int GetRecommendXml(CSongList& list);
    // The same through the caller's client, which another thread may cancel.
    int GetRecommendXml(CSongList& list, GenericHTTPClient& client);
    // Parses the "recommend.xml" kept from the last request; sends nothing.
    int LoadExistXml(CSongList& list);
};

class CLogonXml : public CAnswerXml {
public:
    bool LoadLogon(LogonResult& result);
    int Logon(std::string_view userName, std::string_view password, LogonResult& result);
    // The same through the caller's client, which another thread may cancel.
    int Logon(std::string_view userName, std::string_view password, LogonResult& result, GenericHTTPClient& client);
    static std::string LogonAddress(std::string_view userName, std::string_view password);
};

class CAlbumXml : public CAnswerXml {
public:
    static constexpr int kMaxAlbumSongs = 50;

    bool LoadAlbumList(CAlbumList& albums);
    int GetAlbumList(std::string_view uid, CAlbumList& albums);
    int GetAlbumList(std::string_view uid, CAlbumList& albums, GenericHTTPClient& client);

private:
    void ReadAlbum(St_Album& album);
};

class CCreateAlbumXml : public CAnswerXml {
public:
    bool LoadCreatedAlbum(St_Album& album);
    int CreateAlbum(St_Album& album);
    int CreateAlbum(St_Album& album, GenericHTTPClient& client);
    static std::string CreateAlbumAddress(std::string_view albumName, std::string_view createTime);
};

class CCheckXml : public CAnswerXml {
public:
    bool LoadCheckXml(UpdateCheckResult& result);
    int CheckUpdate(UpdateCheckResult& result);
    // The same through the caller's client, which another thread may cancel.
    int CheckUpdate(UpdateCheckResult& result, GenericHTTPClient& client);
};

// The answers that only say whether the service did what it was asked
// ("item" 1). They are read from memory; no answer file is kept.
class CStatusXml : public CAnswerXml {
public:
    // True when `answer` is a "Result" whose "item" reads as 1; `status`
    // gets the text of "item" (empty when there is none).
    bool LoadStatus(std::string_view answer, std::string& status);
};

// Sending an album's name and songs, and deleting an album: 1 when the
// service took it; -2 when the request failed; -3 when the answer refused
// it or could not be read. Each can go through the caller's client.
int EditAlbum(const St_Album& album);
int EditAlbum(const St_Album& album, GenericHTTPClient& client);
int DelAlbum(const St_Album& album);
int DelAlbum(const St_Album& album, GenericHTTPClient& client);
// The sign-out, whose answer is not read.
void Logout();
void Logout(GenericHTTPClient& client);
std::string EditAlbumAddress(const St_Album& album);

// The my-music panel's song lookup: no stream descriptors, answer kind 0;
// 1 when the request succeeded, else -1.
int GetSongInfoWithoutPlayUrl(CSongList& list);
