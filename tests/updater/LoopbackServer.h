#pragma once
// A small HTTP server on 127.0.0.1 (ephemeral port) for the updater's tests
// and benchmarks, with switches for the ways a real server misbehaves.

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

class LoopbackServer {
public:
    enum class Behaviour {
        Normal,           // 200 with Content-Length; ranges answered with 206
        RefuseRanges,     // always 200 and the whole body, whatever the Range
        NoContentLength,  // chunked: no Content-Length
        DropAfter,        // announces the whole length, sends `limit` bytes, drops the connection
        HangBeforeHead,   // answers nothing until released or stopped
        HangAfter,        // sends `limit` bytes, then stalls until released or stopped
        Redirect,         // 302 to the path given as the body
    };

    struct Request {
        std::string path;
        std::string range;      // the Range header, empty when none
        std::string userAgent;
        std::string cacheControl;
    };

    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Serves `body` at `path` (which starts with "/"). Other paths give 404.
    void Serve(const std::string& path, std::string body, Behaviour behaviour = Behaviour::Normal,
               std::size_t limit = 0);
    // Serves a file from disk in 64 KiB pieces (ranges answered with 206).
    void ServeFile(const std::string& path, const std::filesystem::path& file);

    std::string Host() const;                          // "127.0.0.1:<port>"
    std::string Url(std::string_view path) const;      // "http://127.0.0.1:<port><path>"
    std::vector<Request> Requests() const;
    // Lets stalled answers go on (they then end without their rest).
    void Release();
    // Waits until some answer stalls; false after `timeoutMs`.
    bool WaitForStall(int timeoutMs) const;
    void Stop();

private:
    struct Route {
        std::string body;
        Behaviour behaviour = Behaviour::Normal;
        std::size_t limit = 0;
        std::filesystem::path file;  // served from disk when set
    };
    void Record(const Request& request);
    // Blocks a handler until released or stopped (30 s at most).
    void Stall();

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::map<std::string, Route> m_routes;
    std::vector<Request> m_requests;
    int m_stalled = 0;
    bool m_released = false;
};
