#include "tools/standin/StandIn.h"

#include "tools/standin/Pages.h"
#include "tools/standin/Ranges.h"
#include "tools/standin/ServerThread.h"
#include "tools/standin/ServiceRouter.h"
#include "tools/standin/TextUtil.h"

#include <QCoreApplication>

#include <cstdlib>

#ifndef TONVIK_STANDIN_DATA_DIR
#define TONVIK_STANDIN_DATA_DIR "tools/standin/data"
#endif
#ifndef TONVIK_STANDIN_KEY_DIR
#define TONVIK_STANDIN_KEY_DIR "tools/standin/keys"
#endif

namespace standin {
namespace {

bool ReplacesBody(FaultKind kind) {
    return kind == FaultKind::MalformedXml || kind == FaultKind::HtmlError200 || kind == FaultKind::HtmlError404 ||
           kind == FaultKind::EmptyBody || kind == FaultKind::Oversize || kind == FaultKind::BadSignature ||
           kind == FaultKind::NoSignature;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

St_HttpReply Text(std::string text, int status = 200) {
    St_HttpReply reply;
    reply.status = status;
    reply.SetBody(std::move(text), "text/plain; charset=UTF-8");
    return reply;
}

}  // namespace

std::filesystem::path DefaultDataDir() { return TONVIK_STANDIN_DATA_DIR; }

std::filesystem::path TestSigningKeyFile(SigningKey key) {
    return std::filesystem::path(TONVIK_STANDIN_KEY_DIR) /
           (key == SigningKey::Next ? "standin-TEST-update-key-next.private.pem"
                                    : "standin-TEST-update-key.private.pem");
}

CStandIn::CStandIn(St_StandInOptions options) : m_options(std::move(options)) {
    if (m_options.dataDir.empty()) m_options.dataDir = DefaultDataDir();
    // The router and the pages refer to the data, which Start() fills in;
    // so fixed answers and the update check can be set before starting.
    m_pages = std::make_unique<CPages>(m_catalogue);
    m_router = std::make_unique<CServiceRouter>(
        St_ServiceData{m_catalogue, m_accounts, m_albums, m_updateHost, *m_pages, m_log});
}

CStandIn::~CStandIn() { Stop(); }

bool CStandIn::LoadData() {
    const auto& dir = m_options.dataDir;
    if (!m_catalogue.Load(dir / "catalogue.txt", m_error) || !m_accounts.Load(dir / "users.txt", m_error) ||
        !m_pages->LoadTemplate(dir / "page.html", m_error)) {
        return false;
    }
    m_pages->SetTestPagesFolder(dir / "testpages");
    m_albums.Open(m_options.stateDir, SeedAlbums());
    for (SigningKey key : {SigningKey::Current, SigningKey::Next}) {
        auto& signer = m_signers[static_cast<int>(key)];
        if (!signer) signer = patchwell::UpdateSigner::FromKeyFile(TestSigningKeyFile(key), m_error);
        if (!signer) return false;
    }
    return true;
}

bool CStandIn::Start() {
    if (IsRunning()) return true;
    m_error.clear();
    if (!QCoreApplication::instance()) {
        m_error = "the stand-in needs a QCoreApplication in the process";
        return false;
    }
    if (!LoadData()) return false;
    m_thread = std::make_unique<CServerThread>([this](const St_HttpRequest& request) { return Handle(request); },
                                               [this](const std::string& path, int delta) { OnHang(path, delta); },
                                               m_options.port);
    m_port = m_thread->StartListening(m_error);
    if (m_port < 0) {
        m_thread->StopAndWait();
        m_thread.reset();
        return false;
    }
    return true;
}

void CStandIn::Stop() {
    if (!m_thread) return;
    if (m_thread->StopAndWait()) {
        m_thread.reset();
    } else {
        // Never reached in practice: the event loop ends at once. A thread
        // that did not end must not be destroyed while it runs.
        static_cast<void>(m_thread.release());
    }
    std::lock_guard lock(m_lock);
    m_hung.clear();
}

bool CStandIn::IsRunning() const { return m_thread != nullptr; }

std::string CStandIn::Host() const { return "127.0.0.1:" + std::to_string(m_port); }

std::string CStandIn::Url(std::string_view pathAndQuery) const { return "http://" + Host() + std::string(pathAndQuery); }

void CStandIn::SetFault(const std::string& path, const St_Fault& fault) { m_faults.Set(path, fault); }
void CStandIn::AddFault(const std::string& path, const St_Fault& fault) { m_faults.Add(path, fault); }
void CStandIn::ClearFault(const std::string& path) { m_faults.Clear(path); }
void CStandIn::ClearFaults() { m_faults.ClearAll(); }

void CStandIn::SetRangesEnabled(bool enabled) {
    std::lock_guard lock(m_lock);
    m_rangesEnabled = enabled;
}

bool CStandIn::RangesEnabled() const {
    std::lock_guard lock(m_lock);
    return m_rangesEnabled;
}

void CStandIn::ReleaseHung(const std::string& path) {
    if (m_thread) m_thread->EndHung(path, false);
}

void CStandIn::DropHung(const std::string& path) {
    if (m_thread) m_thread->EndHung(path, true);
}

size_t CStandIn::HungCount(const std::string& path) const {
    std::lock_guard lock(m_lock);
    if (!path.empty()) {
        auto it = m_hung.find(path);
        return it == m_hung.end() ? 0 : it->second;
    }
    size_t total = 0;
    for (const auto& [key, count] : m_hung) total += count;
    return total;
}

bool CStandIn::WaitForHung(size_t count, std::chrono::milliseconds timeout, const std::string& path) const {
    std::unique_lock lock(m_lock);
    return m_hangChanged.wait_for(lock, timeout, [&] {
        size_t total = 0;
        for (const auto& [key, held] : m_hung) total += (path.empty() || key == path) ? held : 0;
        return total >= count;
    });
}

void CStandIn::OnHang(const std::string& path, int delta) {
    {
        std::lock_guard lock(m_lock);
        size_t& count = m_hung[path];
        if (delta > 0) ++count;
        else if (count > 0) --count;
        if (count == 0) m_hung.erase(path);
    }
    m_hangChanged.notify_all();
}

void CStandIn::SetDocument(const std::string& path, std::string body, std::string contentType) {
    m_router->SetDocument(path, std::move(body), std::move(contentType));
}

void CStandIn::SetUpdateCheck(std::string updateCode, std::string quit) {
    m_router->SetUpdateCheck(std::move(updateCode), std::move(quit));
}

void CStandIn::SetSigningKey(SigningKey key) {
    std::lock_guard lock(m_lock);
    m_signingKey = key;
}

void CStandIn::Reset() {
    m_faults.ClearAll();
    m_chaos.SetEvery(0);
    SetRangesEnabled(true);
    ReleaseHung();
    m_log.Clear();
    m_accounts.SetSignedIn({});
    m_albums.Reset();
    m_router->ClearDocuments();
    SetSigningKey(SigningKey::Current);
}

std::vector<St_StoredAlbum> CStandIn::SeedAlbums() const {
    // Every user starts with a "sign" album and two albums of their own.
    const auto& songs = m_catalogue.Songs();
    auto idAt = [&](size_t index) { return songs[index % songs.size()].id; };
    std::vector<St_StoredAlbum> seed;
    const auto& accounts = m_accounts.All();
    for (size_t i = 0; i < accounts.size(); ++i) {
        const std::string uid = accounts[i].uid;
        const long long base = 300000 + static_cast<long long>(i) * 10;
        seed.push_back({std::to_string(base + 1), uid, "我的最爱", {idAt(i), idAt(i + 4), idAt(i + 8)}, true});
        seed.push_back({std::to_string(base + 2), uid, "开车听的歌", {idAt(i + 1), idAt(i + 2), idAt(i + 5), idAt(i + 9)}, false});
        seed.push_back({std::to_string(base + 3), uid, "Late Night", {idAt(i + 17), idAt(i + 29)}, false});
    }
    return seed;
}

St_HttpReply CStandIn::Handle(const St_HttpRequest& request) {
    if (request.path.rfind(kControlPrefix, 0) == 0) return Control(request);
    m_log.Add(request);
    std::string host = request.Header("Host");
    if (host.empty()) host = Host();
    std::optional<St_Fault> fault = m_faults.Take(request.path);
    std::optional<St_HttpReply> signature = Signature(request, host);
    St_HttpReply reply = signature ? std::move(*signature) : m_router->Route(request, host);
    if (!fault) fault = m_chaos.Take(request.path, reply.length);
    if (fault) CFaultTable::ApplyToContent(*fault, reply);
    if (RangesEnabled() && (!fault || !ReplacesBody(fault->kind))) ApplyRange(request, reply);
    if (fault) CFaultTable::Apply(*fault, reply);
    return reply;
}

std::optional<St_HttpReply> CStandIn::Signature(const St_HttpRequest& request, const std::string& host) {
    const std::string suffix = patchwell::kSignatureSuffix;
    if (!EndsWith(request.path, suffix) || m_router->HasDocument(request.path)) return std::nullopt;
    St_HttpRequest signedRequest = request;
    signedRequest.path = request.path.substr(0, request.path.size() - suffix.size());
    signedRequest.target = signedRequest.path;
    signedRequest.query.clear();
    // Made over the bytes the path answers, its content fault included.
    St_HttpReply served = m_router->Route(signedRequest, host);
    if (const auto fault = m_faults.Peek(signedRequest.path)) CFaultTable::ApplyToContent(*fault, served);
    St_HttpReply reply;
    if (served.status != 200) {
        reply.status = 404;
        reply.SetBody("nothing to sign at " + signedRequest.path + "\n", "text/plain; charset=UTF-8");
        return reply;
    }
    SigningKey key;
    {
        std::lock_guard lock(m_lock);
        key = m_signingKey;
    }
    const auto& signer = m_signers[static_cast<int>(key)];
    if (!signer) {
        reply.status = 404;
        reply.SetBody("no signing key\n", "text/plain; charset=UTF-8");
        return reply;
    }
    reply.SetBody(patchwell::SignatureText(signer->Sign(served.BodyView())), "text/plain");
    return reply;
}

// Control requests, for tests in other processes and for trying faults by
// hand:
//   /_standin/fault?path=P&kind=K[&delay=MS][&cut=N][&count=C][&queue=1]
//   /_standin/clear[?path=P]      /_standin/release[?path=P][&drop=1]
//   /_standin/ranges?on=0|1       /_standin/reset
//   /_standin/chaos?every=N       (0: off; the answer counts the faults given)
//   /_standin/updatecheck?code=C&quit=Q
//   /_standin/signkey?key=current|next
//   /_standin/log                 /_standin/playlog
St_HttpReply CStandIn::Control(const St_HttpRequest& request) {
    const std::string command = request.path.substr(std::string_view(kControlPrefix).size());
    auto param = [&](const char* name) { return UrlDecode(QueryValue(request.query, name), true); };
    if (command == "fault") {
        const auto kind = FaultKindFromName(param("kind"));
        const std::string path = param("path");
        if (!kind || path.empty() || path[0] != '/') return Text("bad fault\n", 400);
        St_Fault fault;
        fault.kind = *kind;
        fault.delayMs = std::atoi(param("delay").c_str());
        fault.cutAt = static_cast<size_t>(std::strtoull(param("cut").c_str(), nullptr, 10));
        bool hasCount = false;
        const std::string count = UrlDecode(QueryValue(request.query, "count", &hasCount), true);
        fault.count = hasCount ? std::atoi(count.c_str()) : -1;
        if (param("queue") == "1") AddFault(path, fault);
        else SetFault(path, fault);
        return Text("OK\n");
    }
    if (command == "chaos") {
        SetChaos(std::atoi(param("every").c_str()));
        std::string text;
        for (const auto& [kind, count] : ChaosFaults()) text += kind + "\t" + std::to_string(count) + "\n";
        return Text(text.empty() ? "OK\n" : text);
    }
    if (command == "clear") {
        const std::string path = param("path");
        if (path.empty()) ClearFaults();
        else ClearFault(path);
        return Text("OK\n");
    }
    if (command == "release") {
        if (param("drop") == "1") DropHung(param("path"));
        else ReleaseHung(param("path"));
        return Text("OK\n");
    }
    if (command == "ranges") {
        SetRangesEnabled(param("on") != "0");
        return Text("OK\n");
    }
    if (command == "reset") {
        Reset();
        return Text("OK\n");
    }
    if (command == "signkey") {
        const std::string key = param("key");
        if (key != "current" && key != "next") return Text("bad key\n", 400);
        SetSigningKey(key == "next" ? SigningKey::Next : SigningKey::Current);
        return Text("OK\n");
    }
    if (command == "updatecheck") {
        SetUpdateCheck(param("code"), param("quit"));
        return Text("OK\n");
    }
    if (command == "log") {
        std::string text;
        for (const auto& entry : m_log.Requests()) {
            text += entry.method + " " + entry.target + " " + entry.version + "\tUser-Agent: " + entry.userAgent +
                    "\tAccept: " + entry.accept + "\n";
        }
        return Text(text);
    }
    if (command == "playlog") {
        std::string text;
        for (const auto& report : m_log.PlayReports()) text += report.id + "\t" + report.encodedName + "\t" + report.name + "\n";
        return Text(text);
    }
    return Text("unknown control request\n", 404);
}

}  // namespace standin
