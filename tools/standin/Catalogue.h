#pragma once
// The songs the stand-in knows, read from its catalogue file (UTF-8).

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace standin {

struct St_CatalogueSong {
    std::string id;
    std::string name;    // UTF-8
    std::string singer;  // UTF-8
    std::string album;   // UTF-8
    std::string lyric;   // LRC text, UTF-8, lines ended by CR LF
    int seconds = 10;    // length of the generated audio
    int key = 60;        // base note of the generated tune
    bool recommended = false;
};

class CCatalogue {
public:
    // Reads the file; false (and `error` set) when it cannot be read or a
    // block is broken.
    bool Load(const std::filesystem::path& file, std::string& error);

    const std::vector<St_CatalogueSong>& Songs() const { return m_songs; }
    // The song with that identifier, or nullptr.
    const St_CatalogueSong* Find(const std::string& id) const;
    std::vector<const St_CatalogueSong*> Recommended() const;
    // Songs whose title, singer or album contains the text (Latin letters
    // compared without case); every song for an empty text.
    std::vector<const St_CatalogueSong*> Search(const std::string& utf8) const;

private:
    std::vector<St_CatalogueSong> m_songs;
    std::map<std::string, size_t> m_index;
};

}  // namespace standin
