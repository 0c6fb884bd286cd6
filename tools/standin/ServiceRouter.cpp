#include "tools/standin/ServiceRouter.h"

#include "tools/standin/TextUtil.h"

#include <cstdlib>

namespace standin {
namespace {

St_HttpReply Xml(std::string body) {
    St_HttpReply reply;
    reply.SetBody(std::move(body), CServiceAnswers::kContentType);
    return reply;
}

St_HttpReply Html(std::string body, int status = 200) {
    St_HttpReply reply;
    reply.status = status;
    reply.SetBody(std::move(body), CPages::kContentType);
    return reply;
}

// A user-typed text from a query: UTF-8 as the player sends it, or GBK.
std::string TypedText(const std::string& raw) {
    const std::string bytes = UrlDecode(raw, true);
    if (IsUtf8(bytes)) return bytes;
    return GbkOrUtf8ToUtf8(bytes);
}

// "<ids>.html" after the song-link prefix: identifiers joined by "_".
std::vector<std::string> LinkIds(const std::string& rest) {
    std::vector<std::string> ids;
    const size_t dot = rest.find('.');
    for (const std::string& id : Split(rest.substr(0, dot), '_')) {
        if (!id.empty()) ids.push_back(id);
    }
    return ids;
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// "/prefix/<id>.<ext>" → id, or "".
std::string IdInPath(const std::string& path, std::string_view prefix, std::string_view extension) {
    if (path.rfind(prefix, 0) != 0 || path.size() <= prefix.size() + extension.size()) return {};
    if (path.compare(path.size() - extension.size(), extension.size(), extension) != 0) return {};
    return path.substr(prefix.size(), path.size() - prefix.size() - extension.size());
}

}  // namespace

CServiceRouter::CServiceRouter(St_ServiceData data) : m_data(data), m_answers(data.catalogue) {}

void CServiceRouter::SetDocument(const std::string& path, std::string body, std::string contentType) {
    std::lock_guard lock(m_lock);
    m_documents[path] = {std::move(body), std::move(contentType)};
}

bool CServiceRouter::HasDocument(const std::string& path) {
    std::lock_guard lock(m_lock);
    return m_documents.count(path) > 0;
}

void CServiceRouter::ClearDocuments() {
    std::lock_guard lock(m_lock);
    m_documents.clear();
    m_updateCode = CUpdateHost::kUpdateCode;
    m_quit = "0";
}

void CServiceRouter::SetUpdateCheck(std::string updateCode, std::string quit) {
    std::lock_guard lock(m_lock);
    m_updateCode = std::move(updateCode);
    m_quit = std::move(quit);
}

St_HttpReply CServiceRouter::Route(const St_HttpRequest& request, const std::string& host) {
    {
        std::lock_guard lock(m_lock);
        auto it = m_documents.find(request.path);
        if (it != m_documents.end()) {
            std::string body = it->second.first;
            ReplaceAll(body, "{HOST}", host);
            St_HttpReply reply;
            reply.SetBody(std::move(body), it->second.second);
            return reply;
        }
    }
    bool handled = false;
    St_HttpReply reply = ServiceRequest(request, host, handled);
    if (handled) return reply;
    reply = Page(request, host, handled);
    if (handled) return reply;

    std::string manifest;
    if (m_data.updateHost.Manifest(request.path, host, manifest)) {
        reply = St_HttpReply();
        reply.SetBody(std::move(manifest), "text/xml");
        return reply;
    }
    if (auto package = m_data.updateHost.Package(request.path)) {
        reply = St_HttpReply();
        reply.SetSharedBody(std::move(package), "application/octet-stream");
        return reply;
    }
    return Html(m_data.pages.NotFound(request.path, host), 404);
}

St_HttpReply CServiceRouter::ServiceRequest(const St_HttpRequest& request, const std::string& host, bool& handled) {
    handled = true;
    const std::string& path = request.path;
    const std::string& query = request.query;
    if (path == paths::kPlaylist) {
        std::vector<std::string> ids;
        for (const std::string& raw : QueryValues(query, "SONG_ID[]")) ids.push_back(UrlDecode(raw, true));
        return Xml(m_answers.SongInfo(ids, host));
    }
    if (path == paths::kRecommend) return Xml(m_answers.Recommendations());
    if (path == paths::kLogin) return Login(query);
    if (path == paths::kLogout) {
        m_data.accounts.SetSignedIn({});
        return Xml(m_answers.Status("1"));
    }
    if (path == paths::kAlbumList) {
        return Xml(m_answers.AlbumList(m_data.albums.AlbumsOf(UrlDecode(QueryValue(query, "id"), true))));
    }
    if (path == paths::kCreateAlbum) {
        const std::string uid = m_data.accounts.SignedIn();
        if (uid.empty()) return Xml(m_answers.CreatedAlbum({}));
        return Xml(m_answers.CreatedAlbum(m_data.albums.Create(uid, TypedText(QueryValue(query, "ua_name")))));
    }
    if (path == paths::kEditAlbum) {
        std::vector<std::string> ids;
        for (const std::string& id : Split(UrlDecode(QueryValue(query, "song_list"), false), '|')) {
            if (!id.empty()) ids.push_back(id);
        }
        const bool done = m_data.albums.Edit(UrlDecode(QueryValue(query, "id"), true),
                                             TypedText(QueryValue(query, "ua_name")), ids);
        return Xml(m_answers.Status(done ? "1" : "0"));
    }
    if (path == paths::kDeleteAlbum) {
        const bool done = m_data.albums.Remove(UrlDecode(QueryValue(query, "id"), true));
        return Xml(m_answers.Status(done ? "1" : "0"));
    }
    if (path == paths::kUpdateCheck) {
        std::lock_guard lock(m_lock);
        return Xml(m_answers.UpdateCheck(m_updateCode, m_quit));
    }
    if (path == paths::kPlayLog) return PlayLog(request);
    if (const std::string id = IdInPath(path, "/songhall/stream/", ".asx"); !id.empty()) {
        if (!m_data.catalogue.Find(id)) return Html(m_data.pages.NotFound(path, host), 404);
        St_HttpReply reply;
        reply.SetBody(m_answers.StreamDescriptor(id, host), "video/x-ms-asf");
        return reply;
    }
    if (const std::string id = IdInPath(path, "/songhall/audio/", ".wav"); !id.empty()) {
        const St_CatalogueSong* song = m_data.catalogue.Find(id);
        if (!song) return Html(m_data.pages.NotFound(path, host), 404);
        St_HttpReply reply;
        reply.SetSharedBody(m_audio.Get(*song), "audio/wav");
        return reply;
    }
    handled = false;
    return {};
}

St_HttpReply CServiceRouter::Login(const std::string& query) {
    bool hasName = false;
    const std::string name = TypedText(QueryValue(query, "username", &hasName));
    const std::string password = QueryValue(query, "password");
    if (!hasName || name.empty()) return Xml(m_answers.LogonRefused("请输入用户名"));
    const St_Account* account = m_data.accounts.FindByName(name);
    // The player sends the password encoded like the name; a client that
    // sends it as typed is accepted too.
    if (!account || (account->password != password && account->password != TypedText(password))) {
        return Xml(m_answers.LogonRefused("用户名或密码错误"));
    }
    m_data.accounts.SetSignedIn(account->uid);
    return Xml(m_answers.LogonAccepted(account->uid, account->userInfo));
}

St_HttpReply CServiceRouter::LoginPage(const std::string& query, const std::string& host) {
    // "uid=<name>&password=<password>&redirect_url=<address>": the address
    // is not escaped and may hold its own "?" and "=".
    const size_t redirectAt = query.find("redirect_url=");
    const std::string redirect = redirectAt == std::string::npos ? std::string() : query.substr(redirectAt + 13);
    const std::string head = redirectAt == std::string::npos ? query : query.substr(0, redirectAt);
    const St_Account* account = m_data.accounts.FindByName(TypedText(QueryValue(head, "uid")));
    const std::string password = QueryValue(head, "password");
    if (!account || (account->password != password && account->password != UrlDecode(password, false))) {
        return Html(m_data.pages.Notice("登录", "登录失败：用户名或密码错误。", host));
    }
    m_data.accounts.SetSignedIn(account->uid);
    if (redirect.rfind("http://", 0) != 0) return Html(m_data.pages.Notice("登录", "登录成功。", host));
    St_HttpReply reply = Html(m_data.pages.Notice("登录", "登录成功，正在跳转……", host), 302);
    reply.headers.emplace_back("Location", redirect);
    return reply;
}

St_HttpReply CServiceRouter::PlayLog(const St_HttpRequest& request) {
    St_PlayReport report;
    report.id = UrlDecode(QueryValue(request.query, "id"), true);
    report.encodedName = QueryValue(request.query, "name");
    report.name = TypedText(report.encodedName);
    report.target = request.target;
    m_data.log.AddPlayReport(std::move(report));
    return Xml(m_answers.Status("1"));
}

St_HttpReply CServiceRouter::TestPage(const St_HttpRequest& request, const std::string& host) {
    const std::string name = request.path.substr(std::string_view(paths::kTestPages).size());
    if (name == "hop") {
        // "hop?n=N&to=<address>": N redirects through this path, then to the address.
        const int left = std::atoi(QueryValue(request.query, "n").c_str());
        const std::string to = UrlDecode(QueryValue(request.query, "to"), false);
        St_HttpReply reply = Html(m_data.pages.Notice("跳转", "正在跳转……", host), 302);
        const std::string next = left > 1 ? std::string(paths::kTestPages) + "hop?n=" + std::to_string(left - 1) +
                                                "&to=" + QueryValue(request.query, "to")
                                          : to;
        reply.headers.emplace_back("Location", next);
        return reply;
    }
    std::string page = m_data.pages.TestPage(name, host);
    if (page.empty()) return Html(m_data.pages.NotFound(request.path, host), 404);
    St_HttpReply reply;
    reply.SetBody(std::move(page), "text/html; charset=utf-8");
    return reply;
}

St_HttpReply CServiceRouter::Page(const St_HttpRequest& request, const std::string& host, bool& handled) {
    handled = true;
    const std::string& path = request.path;
    const std::string& query = request.query;
    const CPages& pages = m_data.pages;
    if (path == paths::kRecommendPage) return Html(pages.Recommendations(host));
    if (path == paths::kSearchPage) return Html(pages.Search(TypedText(QueryValue(query, "key")), host));
    if (path == paths::kSongInfoPage) return Html(pages.SongInfo(UrlDecode(QueryValue(query, "song_id"), true), host));
    if (path == paths::kAdPage) return Html(pages.Advertisement(host));
    if (path == paths::kHelpPage) return Html(pages.Help(host));
    if (path.rfind(paths::kUserPage, 0) == 0) {
        const std::string uid = m_data.accounts.SignedIn();
        const St_Account* account = m_data.accounts.FindByUid(uid);
        return Html(pages.UserPage(account ? account->name : "", m_data.albums.AlbumsOf(uid), host));
    }
    if (path == paths::kAlbumEditPage) {
        const std::string albumId = UrlDecode(QueryValue(query, "id"), true);
        for (const auto& album : m_data.albums.AlbumsOf(m_data.accounts.SignedIn())) {
            if (album.albumId == albumId) return Html(pages.AlbumEditing(&album, host));
        }
        return Html(pages.AlbumEditing(nullptr, host));
    }
    if (path == paths::kLoginPage) return LoginPage(query, host);
    if (path == paths::kUpdatingPage) return Html(pages.Notice("正在升级", "服务正在升级，请稍后再来。", host));
    if (path.rfind(paths::kSongLinks, 0) == 0) {
        return Html(pages.SongLinkTarget(LinkIds(path.substr(std::string_view(paths::kSongLinks).size())), host));
    }
    if (path == "/getpass.html") return Html(pages.Notice("找回密码", "请联系客服找回密码。", host));
    if (path == "/shequ/register_form.php") return Html(pages.Notice("注册", "注册新用户。", host));
    if (path == "/comment/skin/default.html") return Html(pages.Notice("意见反馈", "欢迎留下您的意见。", host));
    if (path == "/songhall/findbug/suebug.php") {
        return Html(pages.Notice("报告错误", "歌曲 " + UrlDecode(QueryValue(query, "id"), true) + " 的错误已记录。", host));
    }
    if (path.rfind(paths::kTestPages, 0) == 0) return TestPage(request, host);
    if (path == "/g") return Html(pages.Search(TypedText(QueryValue(query, "k")), host));
    if (path == "/findo/song.php") return Html(pages.SongInfo(UrlDecode(QueryValue(query, "id"), true), host));
    handled = false;
    return {};
}

}  // namespace standin
