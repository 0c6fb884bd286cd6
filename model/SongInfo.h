#pragma once
// The records every list of the program holds. Texts are CP936 bytes.

#include <string>

struct St_SongInfo {
    std::string id;        // the service's song identifier; empty = invalid record
    std::string name;      // song title
    std::string singer;    // singer's name
    std::string findoUrl;  // the song's page on the search site
    std::string spare;     // carried along, filled by no answer
    std::string mp3Url;    // address of the stream descriptor
    std::string playUrl;   // the stream address handed to the media player
    std::string lyric;     // LRC text as the service sent it
    std::string playing;   // "1" on the song that plays (or last started) in its list
    std::string album;     // album name

    bool operator==(const St_SongInfo&) const = default;
};

// The playing mark's value.
inline constexpr const char* kPlayingMark = "1";
