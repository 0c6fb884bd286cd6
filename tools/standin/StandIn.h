#pragma once
// The local stand-in of the music service and of the update host, for runs
// without the real service and for every integration test. One HTTP server
// on 127.0.0.1 answers all the hosts the programs use (service, sign-in,
// comment, lyric search, update, game patch): their paths differ.
//
// Usage in a test:
//     standin::CStandIn standIn(standin::OptionsWithState(tempDir.Path()));
//     ASSERT_TRUE(standIn.Start());            // an ephemeral port
//     settings host = standIn.Host();          // "127.0.0.1:<port>"
//     standIn.SetFault(path, standin::MakeFault(standin::FaultKind::Drop));
//     ... standIn.WaitForRequests(1, 2s) ...; standIn.Requests() ...
//
// The server runs on a thread of its own with a Qt event loop, so the
// process needs a QCoreApplication (every test program has one). All
// operations are thread-safe; Stop() returns promptly even with answers
// held back.

#include "tools/standin/Accounts.h"
#include "tools/standin/AlbumStore.h"
#include "tools/standin/Catalogue.h"
#include "tools/standin/Chaos.h"
#include "tools/standin/FaultTable.h"
#include "tools/standin/RequestLog.h"
#include "tools/standin/UpdateHost.h"
#include "updater/UpdateSigner.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

struct St_StandInOptions {
    int port = 0;                      // 0: any free port
    std::filesystem::path dataDir;     // catalogue, users, page template; empty: DefaultDataDir()
    std::filesystem::path stateDir;    // where albums.txt is kept; empty: albums live in memory only
};

// The data folder the stand-in was built with (tools/standin/data).
std::filesystem::path DefaultDataDir();

// The update host signs the manifests it serves (at the manifest's path +
// ".sig") with a TEST key of the stand-in, or with its next TEST key.
enum class SigningKey { Current, Next };
// The private key file of a TEST key (tools/standin/keys).
std::filesystem::path TestSigningKeyFile(SigningKey key);

// Options with the albums kept in `stateDir` and everything else default.
inline St_StandInOptions OptionsWithState(std::filesystem::path stateDir) {
    St_StandInOptions options;
    options.stateDir = std::move(stateDir);
    return options;
}

class CServerThread;
class CServiceRouter;
class CPages;

class CStandIn {
public:
    static constexpr int kDefaultPort = 18080;
    // Paths under this prefix are control requests (not logged).
    static constexpr const char* kControlPrefix = "/_standin/";

    explicit CStandIn(St_StandInOptions options = {});
    ~CStandIn();
    CStandIn(const CStandIn&) = delete;
    CStandIn& operator=(const CStandIn&) = delete;

    // Loads the data and starts listening; false (see Error()) when the data
    // cannot be read or the port is taken. Returns within a few seconds.
    bool Start();
    // Stops listening, ends every connection (held-back answers included)
    // and joins the server thread. Idempotent.
    void Stop();
    bool IsRunning() const;
    const std::string& Error() const { return m_error; }

    int Port() const { return m_port; }
    std::string Host() const;                               // "127.0.0.1:<port>"
    std::string Url(std::string_view pathAndQuery) const;   // "http://127.0.0.1:<port>" + path

    // Faults per request path (the path without the query).
    void SetFault(const std::string& path, const St_Fault& fault);
    // Queues a fault behind the path's faults: it applies once they have
    // run out (say, a song's audio dropped once and then not answered).
    void AddFault(const std::string& path, const St_Fault& fault);
    void ClearFault(const std::string& path);
    void ClearFaults();
    // Every `every`-th request for audio, a look-up, the recommendations
    // or a sign-in gets a fault (CChaos); 0 ends it. For long runs.
    void SetChaos(int every) { m_chaos.SetEvery(every); }
    std::map<std::string, size_t> ChaosFaults() const { return m_chaos.Given(); }
    // With ranges refused, a Range header is ignored: 200 and the whole body.
    void SetRangesEnabled(bool enabled);
    bool RangesEnabled() const;
    // Sends the held-back answers of `path` (all when empty).
    void ReleaseHung(const std::string& path = {});
    // Resets their connections instead, after the bytes sent before the
    // stall: a connection dropped at the moment the caller chooses.
    void DropHung(const std::string& path = {});
    size_t HungCount(const std::string& path = {}) const;
    bool WaitForHung(size_t count, std::chrono::milliseconds timeout, const std::string& path = {}) const;

    // What clients sent.
    std::vector<St_LoggedRequest> Requests() const { return m_log.Requests(); }
    std::vector<St_LoggedRequest> RequestsFor(const std::string& path) const { return m_log.RequestsFor(path); }
    bool WaitForRequests(size_t count, std::chrono::milliseconds timeout, const std::string& path = {}) const {
        return m_log.WaitForRequests(count, timeout, path);
    }
    std::vector<St_PlayReport> PlayReports() const { return m_log.PlayReports(); }
    bool WaitForPlayReports(size_t count, std::chrono::milliseconds timeout) const {
        return m_log.WaitForPlayReports(count, timeout);
    }
    void ClearLogs() { m_log.Clear(); }

    // A fixed answer for a path (bytes as given; "{HOST}" becomes the
    // client's host). Useful for manifests and odd answers.
    void SetDocument(const std::string& path, std::string body, std::string contentType = "text/xml; charset=GBK");
    // The values of the update check answer (default "2" and "0").
    void SetUpdateCheck(std::string updateCode, std::string quit);
    // Which TEST key signs the manifests (default: Current).
    void SetSigningKey(SigningKey key);
    // Back to the start state: no faults, no fixed answers, ranges on, held
    // answers released, logs empty, nobody signed in, albums as seeded.
    void Reset();

    // The data served (filled in by Start()).
    const CCatalogue& Catalogue() const { return m_catalogue; }
    const CUpdateHost& UpdateHost() const { return m_updateHost; }
    const std::vector<St_Account>& Accounts() const { return m_accounts.All(); }
    std::vector<St_StoredAlbum> AlbumsOf(const std::string& uid) const { return m_albums.AlbumsOf(uid); }
    std::string SignedInUid() const { return m_accounts.SignedIn(); }

private:
    St_HttpReply Handle(const St_HttpRequest& request);
    St_HttpReply Control(const St_HttpRequest& request);
    // The signature of what `path` without its ".sig" answers, or nullopt
    // when `path` is no signature's.
    std::optional<St_HttpReply> Signature(const St_HttpRequest& request, const std::string& host);
    void OnHang(const std::string& path, int delta);
    std::vector<St_StoredAlbum> SeedAlbums() const;
    bool LoadData();

    St_StandInOptions m_options;
    std::string m_error;
    int m_port = -1;

    CCatalogue m_catalogue;
    CAccounts m_accounts;
    CAlbumStore m_albums;
    CUpdateHost m_updateHost;
    CRequestLog m_log;
    CFaultTable m_faults;
    std::optional<patchwell::UpdateSigner> m_signers[2];
    CChaos m_chaos;
    std::unique_ptr<CPages> m_pages;
    std::unique_ptr<CServiceRouter> m_router;
    std::unique_ptr<CServerThread> m_thread;

    mutable std::mutex m_lock;
    mutable std::condition_variable m_hangChanged;
    std::map<std::string, size_t> m_hung;
    bool m_rangesEnabled = true;
    SigningKey m_signingKey = SigningKey::Current;
};

}  // namespace standin
