#pragma once
// Answer documents for the tests, written in UTF-8 source text and encoded
// the way the service sends them.

#include "common/Text.h"
#include "model/SongList.h"

#include <initializer_list>
#include <string>
#include <string_view>

// A GBK document: the declaration and the body's CP936 bytes.
inline std::string GbkDocument(std::string_view utf8Body) {
    return "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n" + Cp936(utf8Body);
}

// A UTF-8 document with its declaration.
inline std::string Utf8Document(std::string_view utf8Body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + std::string(utf8Body);
}

// One item of a song-information answer, children in the documented order.
inline std::string SongItem(const std::string& id, const std::string& name, const std::string& mp3Url = "") {
    return "<song><id>" + id + "</id><name>" + name + "</name><album_name>专辑" + id +
           "</album_name><singer_name>歌手" + id + "</singer_name><lyric>[00:01]词" + id +
           "</lyric><findo_url>http://f/" + id + "</findo_url><mp3_url>" + mp3Url + "</mp3_url></song>";
}

// A request list of songs known by their ids only.
inline CSongList ListOfIds(std::initializer_list<std::string> ids) {
    CSongList list;
    for (const std::string& id : ids) {
        St_SongInfo song;
        song.id = id;
        list.Add(song);
    }
    return list;
}

// The song at `index`, empty when there is none.
inline St_SongInfo SongAt(const CSongList& list, int index) {
    St_SongInfo song;
    list.GetAt(index, song);
    return song;
}
