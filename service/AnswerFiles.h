#pragma once
// The files in the program's folder that hold the service's answers, and
// the lock that keeps one request's write of a file and its parse apart
// from another request's write of the same file.

#include <mutex>
#include <string>
#include <string_view>

// Answer kinds of the song-information requests.
enum SongAnswerKind { kAnswerPlaySong = 0, kAnswerAlbumSong = 1, kAnswerRecommendSong = 2 };

inline constexpr const char* kPlaySongFile = "playsong.xml";
inline constexpr const char* kAlbumSongFile = "albumsong.xml";
inline constexpr const char* kRecmdSongFile = "recmdsong.xml";
inline constexpr const char* kRecommendFile = "recommend.xml";
inline constexpr const char* kLogonFile = "logon.xml";
inline constexpr const char* kAlbumFile = "album.xml";
inline constexpr const char* kCreateAlbumFile = "createalbum.xml";
inline constexpr const char* kCheckUpdateFile = "CheckUpdate.xml";

// The file name of a song-information answer kind.
const char* SongAnswerFileName(int kind);

// The full path of an answer file: the program's folder and the name.
std::string AnswerFilePath(std::string_view fileName);
// Removes what answers written when the program was killed left beside the
// answer files (see tonvik::platform::RemoveLeftTemporaries); at start.
int RemoveLeftAnswerTemporaries();

// Holds the lock of one answer file (by its path) while it lives. Taken
// before the file is written and released once the parser has read it in.
std::unique_lock<std::mutex> LockAnswerFile(const std::string& path);
