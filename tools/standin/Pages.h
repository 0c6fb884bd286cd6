#pragma once
// The service's HTML pages: recommendations, search, song information,
// advertisement, help, user, album editing and the small pages the player
// opens. Song links are "/songhall/m/<ids>.html" (play) and the same with
// "#addlist" (add), identifiers joined by "_". Pages are sent in GBK.

#include "tools/standin/AlbumStore.h"
#include "tools/standin/Catalogue.h"

#include <filesystem>
#include <string>
#include <vector>

namespace standin {

class CPages {
public:
    static constexpr const char* kContentType = "text/html; charset=GBK";

    explicit CPages(const CCatalogue& catalogue) : m_catalogue(catalogue) {}
    bool LoadTemplate(const std::filesystem::path& file, std::string& error);

    // Each returns the whole page in GBK.
    std::string Recommendations(const std::string& host) const;
    std::string Search(const std::string& keyUtf8, const std::string& host) const;
    std::string SongInfo(const std::string& id, const std::string& host) const;
    std::string Advertisement(const std::string& host) const;
    std::string Help(const std::string& host) const;
    std::string UserPage(const std::string& userUtf8, const std::vector<St_StoredAlbum>& albums,
                         const std::string& host) const;
    std::string AlbumEditing(const St_StoredAlbum* album, const std::string& host) const;
    std::string SongLinkTarget(const std::vector<std::string>& ids, const std::string& host) const;
    // A page with a title and one paragraph.
    std::string Notice(const std::string& titleUtf8, const std::string& textUtf8, const std::string& host) const;
    std::string NotFound(const std::string& path, const std::string& host) const;

    static std::string PlayLink(const std::vector<std::string>& ids, const std::string& host, bool add);

    // Pages of tests ("testpages/" beside the template): the file `name`,
    // with "{SERVICE}" as "127.0.0.1:<port>" and "{ELSEWHERE}" as
    // "localhost:<port>" (another site for the web engine), the port taken
    // from `host`. Empty when there is no such page.
    void SetTestPagesFolder(std::filesystem::path folder) { m_testPages = std::move(folder); }
    std::string TestPage(const std::string& name, const std::string& host) const;

private:
    std::string Frame(const std::string& titleUtf8, const std::string& bodyUtf8, const std::string& host) const;
    std::string SongTable(const std::vector<const St_CatalogueSong*>& songs, const std::string& host) const;

    const CCatalogue& m_catalogue;
    std::string m_template;
    std::filesystem::path m_testPages;
};

}  // namespace standin
