#include "tools/standin/ServiceAnswers.h"

#include "tools/standin/TextUtil.h"

namespace standin {
namespace {

void Element(std::string& xml, const char* indent, const char* name, std::string_view utf8) {
    xml += indent;
    xml += '<';
    xml += name;
    xml += '>';
    xml += XmlEscape(utf8);
    xml += "</";
    xml += name;
    xml += ">\r\n";
}

std::string Document(const std::string& bodyUtf8) {
    return CServiceAnswers::kDeclaration + ToGbk("<Result>\r\n" + bodyUtf8 + "</Result>\r\n");
}

}  // namespace

std::string CServiceAnswers::SongInfo(const std::vector<std::string>& ids, const std::string& host) const {
    std::string xml;
    xml.reserve(ids.size() * 1024);
    for (const std::string& id : ids) {
        const St_CatalogueSong* song = m_catalogue.Find(id);
        xml += "  <song>\r\n";
        Element(xml, "    ", "id", id);
        Element(xml, "    ", "name", song ? song->name : "");
        Element(xml, "    ", "album_name", song ? song->album : "");
        Element(xml, "    ", "singer_name", song ? song->singer : "");
        Element(xml, "    ", "lyric", song ? song->lyric : "");
        Element(xml, "    ", "findo_url", song ? "http://" + host + FindoPath(id) : "");
        Element(xml, "    ", "mp3_url", song ? "http://" + host + DescriptorPath(id) : "");
        xml += "  </song>\r\n";
    }
    return Document(xml);
}

std::string CServiceAnswers::Recommendations() const {
    std::string xml;
    for (const St_CatalogueSong* song : m_catalogue.Recommended()) {
        xml += "  <song>\r\n";
        Element(xml, "    ", "SONG", song->name);
        Element(xml, "    ", "SONGID", song->id);
        Element(xml, "    ", "SINGER", song->singer);
        Element(xml, "    ", "ALBUM", song->album);
        xml += "  </song>\r\n";
    }
    return Document(xml);
}

std::string CServiceAnswers::LogonAccepted(const std::string& uid, const std::string& userInfoUtf8) const {
    std::string xml;
    Element(xml, "  ", "uid", uid);
    Element(xml, "  ", "user_info", userInfoUtf8);
    Element(xml, "  ", "item", "1");
    return Document(xml);
}

std::string CServiceAnswers::LogonRefused(const std::string& messageUtf8) const {
    std::string xml;
    Element(xml, "  ", "uid", "");
    Element(xml, "  ", "user_info", "");
    Element(xml, "  ", "item", messageUtf8);
    return Document(xml);
}

void CServiceAnswers::AppendAlbum(std::string& xml, const char* element, const St_StoredAlbum& album,
                                  const char* indent) const {
    const std::string inner = std::string(indent) + "  ";
    const std::string songIndent = inner + "  ";
    const std::string fieldIndent = songIndent + "  ";
    xml += std::string(indent) + "<" + element + ">\r\n";
    Element(xml, inner.c_str(), "USERALBUMID", album.albumId);
    Element(xml, inner.c_str(), "NAME", album.name);
    xml += inner + "<SONGLIST>\r\n";
    for (const std::string& id : album.songIds) {
        const St_CatalogueSong* song = m_catalogue.Find(id);
        xml += songIndent + "<song>\r\n";
        Element(xml, fieldIndent.c_str(), "NAME", song ? song->name : "未知歌曲 " + id);
        Element(xml, fieldIndent.c_str(), "SINGERCNAME", song ? song->singer : "");
        Element(xml, fieldIndent.c_str(), "SONGBASEID", id);
        xml += songIndent + "</song>\r\n";
    }
    xml += inner + "</SONGLIST>\r\n";
    xml += std::string(indent) + "</" + element + ">\r\n";
}

std::string CServiceAnswers::AlbumList(const std::vector<St_StoredAlbum>& albums) const {
    std::string xml;
    for (const auto& album : albums) {
        if (album.sign) AppendAlbum(xml, "sign", album, "  ");
    }
    size_t inGroup = 0;
    for (const auto& album : albums) {
        if (album.sign) continue;
        if (inGroup == 0) xml += "  <albumlist>\r\n";
        AppendAlbum(xml, "album", album, "    ");
        if (++inGroup == kAlbumsPerGroup) {
            xml += "  </albumlist>\r\n";
            inGroup = 0;
        }
    }
    if (inGroup != 0) xml += "  </albumlist>\r\n";
    return Document(xml);
}

std::string CServiceAnswers::CreatedAlbum(const std::string& albumId) const {
    std::string xml;
    Element(xml, "  ", "item", albumId.empty() ? "0" : "1");
    Element(xml, "  ", "ID", albumId);
    return Document(xml);
}

std::string CServiceAnswers::Status(const std::string& itemUtf8) const {
    std::string xml;
    Element(xml, "  ", "item", itemUtf8);
    return Document(xml);
}

std::string CServiceAnswers::UpdateCheck(const std::string& updateCode, const std::string& quit) const {
    std::string xml;
    Element(xml, "  ", "update_code", updateCode);
    Element(xml, "  ", "quit", quit);
    return Document(xml);
}

std::string CServiceAnswers::StreamDescriptor(const std::string& id, const std::string& host) const {
    // No attribute may come before the address: the player takes the text
    // between the first two quote characters.
    return "<asx>\r\n"
           "  <entry><ref href=\"http://" + host + AudioPath(id) + "\" /><title>" + id + "</title></entry>\r\n"
           "</asx>\r\n";
}

}  // namespace standin
