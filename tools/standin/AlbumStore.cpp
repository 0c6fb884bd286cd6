#include "tools/standin/AlbumStore.h"

#include "platform/AtomicFile.h"
#include "tools/standin/TextUtil.h"

#include <algorithm>
#include <cstdlib>

namespace standin {
namespace {

// Fields are tab-separated; tabs, line ends and backslashes inside them are
// written as \t, \n, \r and \\.
std::string EscapeField(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

std::string UnescapeField(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out.push_back(next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next);
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

void CAlbumStore::Open(const std::filesystem::path& folder, std::vector<St_StoredAlbum> seed) {
    std::lock_guard lock(m_lock);
    m_seed = std::move(seed);
    m_file = folder.empty() ? std::filesystem::path() : folder / kFileName;
    if (m_file.empty() || !LoadLocked()) {
        m_albums = m_seed;
        m_nextId = 500001;
        for (const auto& album : m_albums) m_nextId = std::max(m_nextId, std::atoll(album.albumId.c_str()) + 1);
        SaveLocked();
    }
}

void CAlbumStore::Reset() {
    std::lock_guard lock(m_lock);
    m_albums = m_seed;
    m_nextId = 500001;
    for (const auto& album : m_albums) m_nextId = std::max(m_nextId, std::atoll(album.albumId.c_str()) + 1);
    SaveLocked();
}

std::vector<St_StoredAlbum> CAlbumStore::AlbumsOf(const std::string& uid) const {
    std::lock_guard lock(m_lock);
    std::vector<St_StoredAlbum> albums;
    for (const auto& album : m_albums) {
        if (album.ownerUid == uid) albums.push_back(album);
    }
    return albums;
}

std::string CAlbumStore::Create(const std::string& uid, const std::string& name) {
    std::lock_guard lock(m_lock);
    St_StoredAlbum album;
    album.albumId = std::to_string(m_nextId++);
    album.ownerUid = uid;
    album.name = name;
    m_albums.push_back(album);
    SaveLocked();
    return album.albumId;
}

bool CAlbumStore::Edit(const std::string& albumId, const std::string& name, const std::vector<std::string>& songIds) {
    std::lock_guard lock(m_lock);
    for (auto& album : m_albums) {
        if (album.albumId != albumId) continue;
        album.name = name;
        album.songIds = songIds;
        SaveLocked();
        return true;
    }
    return false;
}

bool CAlbumStore::Remove(const std::string& albumId) {
    std::lock_guard lock(m_lock);
    auto it = std::find_if(m_albums.begin(), m_albums.end(), [&](const St_StoredAlbum& a) { return a.albumId == albumId; });
    if (it == m_albums.end()) return false;
    m_albums.erase(it);
    SaveLocked();
    return true;
}

bool CAlbumStore::LoadLocked() {
    std::string content;
    if (!tonvik::platform::ReadWholeFile(m_file, content)) return false;
    std::vector<St_StoredAlbum> albums;
    long long nextId = 500001;
    for (std::string line : Split(content, '\n')) {
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> fields = Split(line, '\t');
        if (fields[0] == "next" && fields.size() == 2) {
            nextId = std::max(nextId, std::atoll(fields[1].c_str()));
            continue;
        }
        if (fields.size() != 5 || !IsDecimalId(fields[1])) continue;
        St_StoredAlbum album;
        album.sign = fields[0] == "sign";
        album.albumId = fields[1];
        album.ownerUid = fields[2];
        album.name = UnescapeField(fields[3]);
        if (!fields[4].empty()) album.songIds = Split(fields[4], '|');
        nextId = std::max(nextId, std::atoll(album.albumId.c_str()) + 1);
        albums.push_back(std::move(album));
    }
    m_albums = std::move(albums);
    m_nextId = nextId;
    return true;
}

void CAlbumStore::SaveLocked() const {
    if (m_file.empty()) return;
    std::string content = "# Albums of the stand-in's users: kind, album id, owner uid, name, song ids.\n";
    content += "next\t" + std::to_string(m_nextId) + "\n";
    for (const auto& album : m_albums) {
        std::string ids;
        for (const auto& id : album.songIds) ids += (ids.empty() ? "" : "|") + EscapeField(id);
        content += std::string(album.sign ? "sign" : "album") + "\t" + album.albumId + "\t" + EscapeField(album.ownerUid) +
                   "\t" + EscapeField(album.name) + "\t" + ids + "\n";
    }
    std::error_code ignored;
    std::filesystem::create_directories(m_file.parent_path(), ignored);
    tonvik::platform::WriteFileAtomically(m_file, content);
}

}  // namespace standin
