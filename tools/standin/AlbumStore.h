#pragma once
// The users' albums, kept per user and saved to a data file after every
// change so that they outlive the stand-in. Thread-safe.

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace standin {

struct St_StoredAlbum {
    std::string albumId;
    std::string ownerUid;
    std::string name;                  // UTF-8
    std::vector<std::string> songIds;  // in album order
    bool sign = false;                 // the user's own "sign" album
};

class CAlbumStore {
public:
    static constexpr const char* kFileName = "albums.txt";

    // Reads `folder`/albums.txt when it exists; otherwise (or with an empty
    // folder) starts from `seed`. With an empty folder nothing is saved.
    void Open(const std::filesystem::path& folder, std::vector<St_StoredAlbum> seed);
    // Back to the seed, saved at once.
    void Reset();

    std::vector<St_StoredAlbum> AlbumsOf(const std::string& uid) const;
    // The new album's identifier.
    std::string Create(const std::string& uid, const std::string& name);
    // False when there is no such album.
    bool Edit(const std::string& albumId, const std::string& name, const std::vector<std::string>& songIds);
    bool Remove(const std::string& albumId);

private:
    bool LoadLocked();
    void SaveLocked() const;

    mutable std::mutex m_lock;
    std::filesystem::path m_file;
    std::vector<St_StoredAlbum> m_seed;
    std::vector<St_StoredAlbum> m_albums;
    long long m_nextId = 500001;
};

}  // namespace standin
