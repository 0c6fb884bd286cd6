#include "tools/standin/Pages.h"

#include "platform/AtomicFile.h"
#include "tools/standin/TextUtil.h"

namespace standin {
namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

std::vector<std::string> IdsOf(const std::vector<const St_CatalogueSong*>& songs) {
    std::vector<std::string> ids;
    for (const auto* song : songs) ids.push_back(song->id);
    return ids;
}

}  // namespace

bool CPages::LoadTemplate(const std::filesystem::path& file, std::string& error) {
    if (!tonvik::platform::ReadWholeFile(file, m_template) || m_template.find("{{body}}") == std::string::npos) {
        error = "cannot read the page template " + file.string();
        return false;
    }
    return true;
}

std::string CPages::PlayLink(const std::vector<std::string>& ids, const std::string& host, bool add) {
    std::string joined;
    for (const auto& id : ids) joined += (joined.empty() ? "" : "_") + id;
    return "http://" + host + "/songhall/m/" + joined + ".html" + (add ? "#addlist" : "");
}

std::string CPages::Frame(const std::string& titleUtf8, const std::string& bodyUtf8, const std::string& host) const {
    std::string page = m_template;
    ReplaceAll(page, "{{title}}", HtmlEscape(titleUtf8));
    ReplaceAll(page, "{{host}}", HtmlEscape(host));
    ReplaceAll(page, "{{body}}", bodyUtf8);
    return ToGbk(page);
}

std::string CPages::SongTable(const std::vector<const St_CatalogueSong*>& songs, const std::string& host) const {
    if (songs.empty()) return "<p>没有找到相关的歌曲。</p>\n";
    std::string html;
    if (songs.size() > 1) {
        html += "<p><a class=\"playall\" href=\"" + PlayLink(IdsOf(songs), host, false) + "\">全部播放</a> ";
        html += "<a class=\"addall\" href=\"" + PlayLink(IdsOf(songs), host, true) + "\">全部添加</a></p>\n";
    }
    html += "<table>\n<tr><th>歌曲</th><th>歌手</th><th>专辑</th><th></th></tr>\n";
    for (const auto* song : songs) {
        html += "<tr><td><a href=\"http://" + host + "/songhall/tonvik/songinfo.php?song_id=" + song->id + "\">" +
                HtmlEscape(song->name) + "</a></td><td>" + HtmlEscape(song->singer) + "</td><td>" +
                HtmlEscape(song->album) + "</td><td><a class=\"play\" href=\"" + PlayLink({song->id}, host, false) +
                "\">播放</a> <a class=\"add\" href=\"" + PlayLink({song->id}, host, true) + "\">添加</a></td></tr>\n";
    }
    html += "</table>\n";
    return html;
}

std::string CPages::Recommendations(const std::string& host) const {
    return Frame("新歌推荐", SongTable(m_catalogue.Recommended(), host), host);
}

std::string CPages::Search(const std::string& keyUtf8, const std::string& host) const {
    const auto songs = m_catalogue.Search(keyUtf8);
    const std::string title = keyUtf8.empty() ? "全部歌曲" : "搜索：" + keyUtf8;
    return Frame(title, "<p>共 " + std::to_string(songs.size()) + " 首</p>\n" + SongTable(songs, host), host);
}

std::string CPages::SongInfo(const std::string& id, const std::string& host) const {
    const St_CatalogueSong* song = m_catalogue.Find(id);
    if (!song) return Notice("歌曲信息", "没有这首歌曲。", host);
    std::string body = "<table>\n<tr><th>歌曲</th><td>" + HtmlEscape(song->name) + "</td></tr>\n<tr><th>歌手</th><td>" +
                       HtmlEscape(song->singer) + "</td></tr>\n<tr><th>专辑</th><td>" + HtmlEscape(song->album) +
                       "</td></tr>\n<tr><th>时长</th><td>" + std::to_string(song->seconds) + " 秒</td></tr>\n</table>\n";
    body += "<p><a class=\"play\" href=\"" + PlayLink({id}, host, false) + "\">播放</a> <a class=\"add\" href=\"" +
            PlayLink({id}, host, true) + "\">添加到播放列表</a></p>\n";
    body += "<pre class=\"lyric\">" + HtmlEscape(song->lyric) + "</pre>\n";
    return Frame(song->name, body, host);
}

std::string CPages::Advertisement(const std::string& host) const {
    const auto songs = m_catalogue.Recommended();
    std::string body = "<p>本周新歌抢先听！</p>\n";
    if (!songs.empty()) {
        body += "<p><a class=\"play\" href=\"" + PlayLink({songs.front()->id}, host, false) + "\">" +
                HtmlEscape(songs.front()->name) + " - " + HtmlEscape(songs.front()->singer) + "</a></p>\n";
    }
    return Frame("Tonvik 音乐", body, host);
}

std::string CPages::Help(const std::string& host) const {
    return Frame("使用帮助",
                 "<p>双击列表中的歌曲即可播放；在乐库页面点击“播放”或“添加”把歌曲放进播放列表。</p>\n"
                 "<p>登录后可以在“我的专辑”里整理自己的歌曲。</p>\n",
                 host);
}

std::string CPages::UserPage(const std::string& userUtf8, const std::vector<St_StoredAlbum>& albums,
                             const std::string& host) const {
    if (userUtf8.empty()) return Notice("我的主页", "请先登录。", host);
    std::string body = "<ul>\n";
    for (const auto& album : albums) {
        body += "<li><a href=\"http://" + host + "/shequ/manage/edituseralbum.php?id=" + album.albumId + "\">" +
                HtmlEscape(album.name.empty() ? "(未命名)" : album.name) + "</a> (" +
                std::to_string(album.songIds.size()) + ")</li>\n";
    }
    body += "</ul>\n";
    return Frame(userUtf8 + " 的主页", body, host);
}

std::string CPages::AlbumEditing(const St_StoredAlbum* album, const std::string& host) const {
    if (!album) return Notice("编辑专辑", "没有这个专辑。", host);
    std::vector<const St_CatalogueSong*> songs;
    for (const auto& id : album->songIds) {
        if (const auto* song = m_catalogue.Find(id)) songs.push_back(song);
    }
    return Frame("编辑专辑：" + album->name, SongTable(songs, host), host);
}

std::string CPages::SongLinkTarget(const std::vector<std::string>& ids, const std::string& host) const {
    std::vector<const St_CatalogueSong*> songs;
    for (const auto& id : ids) {
        if (const auto* song = m_catalogue.Find(id)) songs.push_back(song);
    }
    return Frame("歌曲", SongTable(songs, host), host);
}

std::string CPages::Notice(const std::string& titleUtf8, const std::string& textUtf8, const std::string& host) const {
    return Frame(titleUtf8, "<p>" + HtmlEscape(textUtf8) + "</p>\n", host);
}

std::string CPages::NotFound(const std::string& path, const std::string& host) const {
    return Frame("页面不存在", "<p>找不到页面 " + HtmlEscape(path) + "</p>\n", host);
}

std::string CPages::TestPage(const std::string& name, const std::string& host) const {
    const bool plainName = !name.empty() && name.find("..") == std::string::npos &&
                           name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-_.") == std::string::npos;
    std::string page;
    if (!plainName || m_testPages.empty() || !tonvik::platform::ReadWholeFile(m_testPages / name, page)) return {};
    const size_t colon = host.rfind(':');
    const std::string port = colon == std::string::npos ? "80" : host.substr(colon + 1);
    ReplaceAll(page, "{SERVICE}", "127.0.0.1:" + port);
    ReplaceAll(page, "{ELSEWHERE}", "localhost:" + port);
    return page;
}

}  // namespace standin
