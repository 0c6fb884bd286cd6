#pragma once
// The answer documents of the service's request paths: XML with a
// "Result" root, in GBK, declared as such. Addresses inside them are made
// from the host the client asked for.

#include "tools/standin/AlbumStore.h"
#include "tools/standin/Catalogue.h"

#include <string>
#include <vector>

namespace standin {

class CServiceAnswers {
public:
    static constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n";
    static constexpr const char* kContentType = "text/xml; charset=GBK";
    // How many albums one group element of the album list holds.
    static constexpr size_t kAlbumsPerGroup = 5;

    explicit CServiceAnswers(const CCatalogue& catalogue) : m_catalogue(catalogue) {}

    // One item per requested identifier, in request order; an unknown
    // identifier gets an item with an empty name.
    std::string SongInfo(const std::vector<std::string>& ids, const std::string& host) const;
    std::string Recommendations() const;
    std::string LogonAccepted(const std::string& uid, const std::string& userInfoUtf8) const;
    std::string LogonRefused(const std::string& messageUtf8) const;
    // The "sign" album first, then the other albums in groups.
    std::string AlbumList(const std::vector<St_StoredAlbum>& albums) const;
    std::string CreatedAlbum(const std::string& albumId) const;
    std::string Status(const std::string& itemUtf8) const;
    std::string UpdateCheck(const std::string& updateCode, const std::string& quit) const;
    // The stream descriptor: its first quoted text is the audio address.
    std::string StreamDescriptor(const std::string& id, const std::string& host) const;

    static std::string AudioPath(const std::string& id) { return "/songhall/audio/" + id + ".wav"; }
    static std::string DescriptorPath(const std::string& id) { return "/songhall/stream/" + id + ".asx"; }
    static std::string FindoPath(const std::string& id) { return "/findo/song.php?id=" + id; }

private:
    void AppendAlbum(std::string& xml, const char* element, const St_StoredAlbum& album, const char* indent) const;

    const CCatalogue& m_catalogue;
};

}  // namespace standin
