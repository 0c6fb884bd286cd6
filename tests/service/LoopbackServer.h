#pragma once
// A raw HTTP server on 127.0.0.1 with an ephemeral port, for tests that must
// see the exact bytes of a request or need a service that misbehaves (hangs,
// drops the connection, answers nothing or too much). Each connection is
// served on its own thread; every wait is bounded.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct RawRequest {
    std::string raw;          // everything received, headers and body
    std::string requestLine;  // without CR LF
    std::string method;
    std::string target;       // path and query as sent
    std::string version;
    std::vector<std::string> headerLines;  // without CR LF, in order
    std::string body;

    // The value of the first header of that name (ASCII case ignored), or
    // empty; `count` of those headers.
    std::string Header(const std::string& name) const;
    int HeaderCount(const std::string& name) const;
};

struct RawReply {
    enum Action {
        Send,  // send `bytes`, then close
        Hang,  // send `bytes`, then keep the connection open until the server stops
        Drop,  // close without a byte
    };
    std::string bytes;
    Action action = Send;

    // An HTTP/1.0 answer with a status, a Content-Length (unless left out)
    // and the body.
    static RawReply Ok(const std::string& body, bool withLength = true, int status = 200);
    static RawReply Hanging(const std::string& bytes = {});
    static RawReply Dropped();
};

class LoopbackServer {
public:
    using Handler = std::function<RawReply(const RawRequest&)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return m_port; }
    // "127.0.0.1:port"
    std::string Host() const;
    // "http://127.0.0.1:port" followed by the path.
    std::string Url(const std::string& path) const;

    std::vector<RawRequest> Requests() const;
    int RequestCount() const;
    // Waits until at least `count` requests have arrived; false on time-out.
    bool WaitForRequests(int count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Connections accepted so far (requests or not).
    int ConnectionCount() const { return m_connections.load(); }

    // Ends every hanging connection and the accept loop; waits for them.
    void Stop();

    // A port on which nothing listens (bound, then released).
    static int UnusedPort();

private:
    void AcceptLoop();
    void Serve(int socket);

    Handler m_handler;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_connections{0};
    std::thread m_acceptThread;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<RawRequest> m_requests;
    std::vector<std::thread> m_workers;
};

// A port whose listener never takes a connection and whose queue is already
// full: a new connection to it is never completed, as with a host that does
// not answer.
class UnansweredPort {
public:
    UnansweredPort();
    ~UnansweredPort();
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    // False when the queue could not be filled.
    bool Ready() const { return m_ready; }
    std::string Url(const std::string& path) const;

private:
    int m_listen = -1;
    int m_filler = -1;
    int m_port = 0;
    bool m_ready = false;
};

// Points the program's folder and its options file at `folder` and the
// service host at `host` (section "Hosts", key "Service").
void UseServiceHost(const std::string& folder, const std::string& host);
