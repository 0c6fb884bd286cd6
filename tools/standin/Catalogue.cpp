#include "tools/standin/Catalogue.h"

#include "platform/AtomicFile.h"
#include "tools/standin/TextUtil.h"

#include <algorithm>

namespace standin {

bool CCatalogue::Load(const std::filesystem::path& file, std::string& error) {
    m_songs.clear();
    m_index.clear();
    std::string content;
    if (!tonvik::platform::ReadWholeFile(file, content)) {
        error = "cannot read " + file.string();
        return false;
    }
    St_CatalogueSong song;
    bool inLyric = false;
    bool inBlock = false;
    int lineNumber = 0;
    for (std::string line : Split(content, '\n')) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "---") {
            if (!IsDecimalId(song.id) || song.name.empty() || m_index.count(song.id)) {
                error = "bad or repeated song ending at line " + std::to_string(lineNumber);
                return false;
            }
            song.seconds = std::clamp(song.seconds, 5, 30);
            m_index[song.id] = m_songs.size();
            m_songs.push_back(std::move(song));
            song = St_CatalogueSong();
            inLyric = inBlock = false;
            continue;
        }
        if (inLyric) {
            song.lyric += line + "\r\n";
            continue;
        }
        if (!inBlock && (line.empty() || line[0] == '#')) continue;
        inBlock = true;
        if (line == "lyric:") {
            inLyric = true;
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string::npos) {
            error = "line " + std::to_string(lineNumber) + " has no field name";
            return false;
        }
        const std::string field = Trim(std::string_view(line).substr(0, colon));
        const std::string value = Trim(std::string_view(line).substr(colon + 1));
        if (field == "id") song.id = value;
        else if (field == "name") song.name = value;
        else if (field == "singer") song.singer = value;
        else if (field == "album") song.album = value;
        else if (field == "seconds") song.seconds = std::atoi(value.c_str());
        else if (field == "key") song.key = std::clamp(std::atoi(value.c_str()), 36, 84);
        else if (field == "recommend") song.recommended = value == "1";
    }
    if (m_songs.empty()) {
        error = "no songs in " + file.string();
        return false;
    }
    return true;
}

const St_CatalogueSong* CCatalogue::Find(const std::string& id) const {
    auto it = m_index.find(id);
    return it == m_index.end() ? nullptr : &m_songs[it->second];
}

std::vector<const St_CatalogueSong*> CCatalogue::Recommended() const {
    std::vector<const St_CatalogueSong*> songs;
    for (const auto& song : m_songs) {
        if (song.recommended) songs.push_back(&song);
    }
    return songs;
}

std::vector<const St_CatalogueSong*> CCatalogue::Search(const std::string& utf8) const {
    const std::string wanted = ToLowerAscii(Trim(utf8));
    std::vector<const St_CatalogueSong*> songs;
    for (const auto& song : m_songs) {
        if (wanted.empty() || ToLowerAscii(song.name).find(wanted) != std::string::npos ||
            ToLowerAscii(song.singer).find(wanted) != std::string::npos ||
            ToLowerAscii(song.album).find(wanted) != std::string::npos) {
            songs.push_back(&song);
        }
    }
    return songs;
}

}  // namespace standin
