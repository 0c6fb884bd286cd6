#include "tests/updater/LoopbackServer.h"

#include <httplib.h>

#include <chrono>
#include <fstream>
#include <stdexcept>

namespace {
constexpr std::size_t kPiece = 64 * 1024;
constexpr auto kLongestStall = std::chrono::seconds(30);

void ServeFromDisk(const std::filesystem::path& file, httplib::Response& response) {
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(file));
    auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
    auto piece = std::make_shared<std::string>(kPiece, '\0');
    response.set_content_provider(
        size, "application/octet-stream",
        [in, piece](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            in->seekg(static_cast<std::streamoff>(offset));
            in->read(piece->data(), static_cast<std::streamsize>(std::min(length, kPiece)));
            const auto got = in->gcount();
            return got > 0 && sink.write(piece->data(), static_cast<std::size_t>(got));
        });
}

}  // namespace

LoopbackServer::LoopbackServer() : m_server(std::make_unique<httplib::Server>()) {
    m_server->Get(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response) {
        Record({request.path, request.get_header_value("Range"), request.get_header_value("User-Agent"),
                request.get_header_value("Cache-Control")});
        Route route;
        {
            std::lock_guard guard(m_lock);
            const auto found = m_routes.find(request.path);
            if (found == m_routes.end()) {
                response.status = 404;
                response.set_content("not found", "text/plain");
                return;
            }
            route = found->second;
        }
        if (!route.file.empty()) {
            ServeFromDisk(route.file, response);
            return;
        }
        auto body = std::make_shared<std::string>(std::move(route.body));
        const std::size_t limit = route.limit;
        switch (route.behaviour) {
        case Behaviour::Normal:
            response.set_content(*body, "application/octet-stream");
            break;
        case Behaviour::RefuseRanges:
            // The library answers a Range by itself; this server ignores it.
            // The request object is the library's own, not a constant.
            const_cast<httplib::Request&>(request).ranges.clear();
            response.set_content(*body, "application/octet-stream");
            break;
        case Behaviour::NoContentLength:
            response.set_chunked_content_provider(
                "application/octet-stream", [body](std::size_t offset, httplib::DataSink& sink) {
                    if (offset >= body->size()) {
                        sink.done();
                        return true;
                    }
                    const std::size_t piece = std::min(kPiece, body->size() - offset);
                    return sink.write(body->data() + offset, piece);
                });
            break;
        case Behaviour::DropAfter:
        case Behaviour::HangAfter: {
            const bool hang = route.behaviour == Behaviour::HangAfter;
            response.set_content_provider(
                body->size(), "application/octet-stream",
                [this, body, limit, hang](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                    if (offset >= limit) {
                        if (hang) Stall();
                        return false;  // the connection is dropped
                    }
                    const std::size_t piece = std::min({kPiece, length, limit - offset});
                    return sink.write(body->data() + offset, piece);
                });
            break;
        }
        case Behaviour::Redirect:
            response.set_redirect(*body);
            break;
        case Behaviour::HangBeforeHead:
            Stall();
            response.status = 503;
            break;
        }
    });
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) throw std::runtime_error("the loopback server found no port");
    // The socket listens from here on; connections wait in its backlog.
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // Stopping works only once the accept loop runs: wait for it, bounded.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!m_server->is_running()) {
        if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("the loopback server did not start");
        std::this_thread::yield();
    }
}

LoopbackServer::~LoopbackServer() { Stop(); }

void LoopbackServer::Serve(const std::string& path, std::string body, Behaviour behaviour, std::size_t limit) {
    std::lock_guard guard(m_lock);
    m_routes[path] = Route{std::move(body), behaviour, limit, {}};
}

void LoopbackServer::ServeFile(const std::string& path, const std::filesystem::path& file) {
    std::lock_guard guard(m_lock);
    m_routes[path] = Route{{}, Behaviour::Normal, 0, file};
}

std::string LoopbackServer::Host() const { return "127.0.0.1:" + std::to_string(m_port); }

std::string LoopbackServer::Url(std::string_view path) const { return "http://" + Host() + std::string(path); }

std::vector<LoopbackServer::Request> LoopbackServer::Requests() const {
    std::lock_guard guard(m_lock);
    return m_requests;
}

void LoopbackServer::Record(const Request& request) {
    std::lock_guard guard(m_lock);
    m_requests.push_back(request);
}

void LoopbackServer::Stall() {
    std::unique_lock lock(m_lock);
    ++m_stalled;
    m_changed.notify_all();
    m_changed.wait_for(lock, kLongestStall, [this] { return m_released; });
}

bool LoopbackServer::WaitForStall(int timeoutMs) const {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_stalled > 0; });
}

void LoopbackServer::Release() {
    std::lock_guard guard(m_lock);
    m_released = true;
    m_changed.notify_all();
}

void LoopbackServer::Stop() {
    Release();
    if (m_thread.joinable()) {
        m_server->stop();
        m_thread.join();
    }
}
