#include "tests/service/LoopbackServer.h"

#include "common/WellKnownPaths.h"
#include "platform/Profile.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

constexpr auto kIoSlice = std::chrono::milliseconds(20);
constexpr auto kReadLimit = std::chrono::seconds(10);

std::string Lower(std::string text) {
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

// Waits up to one slice for the socket to become readable.
bool Readable(int socket) {
    pollfd fd{socket, POLLIN, 0};
    return ::poll(&fd, 1, static_cast<int>(kIoSlice.count())) > 0;
}

bool SendAll(int socket, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void ParseHead(RawRequest& request, const std::string& head) {
    size_t start = 0;
    bool first = true;
    while (start < head.size()) {
        size_t end = head.find("\r\n", start);
        if (end == std::string::npos) end = head.size();
        const std::string line = head.substr(start, end - start);
        start = end + 2;
        if (line.empty()) break;
        if (first) {
            request.requestLine = line;
            const size_t a = line.find(' ');
            const size_t b = line.rfind(' ');
            if (a != std::string::npos && b != std::string::npos && b > a) {
                request.method = line.substr(0, a);
                request.target = line.substr(a + 1, b - a - 1);
                request.version = line.substr(b + 1);
            }
            first = false;
        } else {
            request.headerLines.push_back(line);
        }
    }
}

}  // namespace

std::string RawRequest::Header(const std::string& name) const {
    const std::string wanted = Lower(name) + ":";
    for (const std::string& line : headerLines) {
        if (Lower(line.substr(0, wanted.size())) != wanted) continue;
        std::string value = line.substr(wanted.size());
        while (!value.empty() && value.front() == ' ') value.erase(value.begin());
        return value;
    }
    return {};
}

int RawRequest::HeaderCount(const std::string& name) const {
    const std::string wanted = Lower(name) + ":";
    return static_cast<int>(std::count_if(headerLines.begin(), headerLines.end(), [&](const std::string& line) {
        return Lower(line.substr(0, wanted.size())) == wanted;
    }));
}

RawReply RawReply::Ok(const std::string& body, bool withLength, int status) {
    RawReply reply;
    reply.bytes = "HTTP/1.0 " + std::to_string(status) + (status == 200 ? " OK" : " Error") + "\r\n";
    reply.bytes += "Content-Type: text/xml\r\n";
    if (withLength) reply.bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    reply.bytes += "\r\n" + body;
    return reply;
}

RawReply RawReply::Hanging(const std::string& bytes) {
    RawReply reply;
    reply.bytes = bytes;
    reply.action = Hang;
    return reply;
}

RawReply RawReply::Dropped() {
    RawReply reply;
    reply.action = Drop;
    return reply;
}

LoopbackServer::LoopbackServer(Handler handler) : m_handler(std::move(handler)) {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listen < 0) throw std::runtime_error("socket");
    const int yes = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_listen, 64) != 0) {
        ::close(m_listen);
        throw std::runtime_error("bind");
    }
    socklen_t length = sizeof address;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() { Stop(); }

std::string LoopbackServer::Host() const { return "127.0.0.1:" + std::to_string(m_port); }

std::string LoopbackServer::Url(const std::string& path) const { return "http://" + Host() + path; }

void LoopbackServer::Stop() {
    if (m_stopping.exchange(true)) return;
    if (m_acceptThread.joinable()) m_acceptThread.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(m_mutex);
        workers.swap(m_workers);
    }
    for (std::thread& worker : workers) worker.join();
    if (m_listen >= 0) ::close(m_listen);
    m_listen = -1;
}

void LoopbackServer::AcceptLoop() {
    while (!m_stopping.load()) {
        if (!Readable(m_listen)) continue;
        const int socket = ::accept(m_listen, nullptr, nullptr);
        if (socket < 0) continue;
        ++m_connections;
        std::lock_guard lock(m_mutex);
        m_workers.emplace_back([this, socket] { Serve(socket); });
    }
}

void LoopbackServer::Serve(int socket) {
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + kReadLimit;
    size_t headEnd = std::string::npos;
    size_t wanted = 0;
    bool complete = false;
    char block[8192];
    while (!m_stopping.load() && std::chrono::steady_clock::now() < deadline) {
        if (!Readable(socket)) continue;
        const ssize_t n = ::recv(socket, block, sizeof block, 0);
        if (n <= 0) break;
        received.append(block, static_cast<size_t>(n));
        if (headEnd == std::string::npos) {
            headEnd = received.find("\r\n\r\n");
            if (headEnd == std::string::npos) continue;
            RawRequest probe;
            ParseHead(probe, received.substr(0, headEnd + 4));
            const std::string length = probe.Header("Content-Length");
            wanted = headEnd + 4 + (length.empty() ? 0 : std::stoul(length));
        }
        if (received.size() >= wanted) {
            complete = true;
            break;
        }
    }

    RawReply reply = RawReply::Dropped();
    if (complete) {
        RawRequest request;
        request.raw = received;
        ParseHead(request, received.substr(0, headEnd + 4));
        request.body = received.substr(headEnd + 4);
        reply = m_handler(request);
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(std::move(request));
        }
        m_changed.notify_all();
    }

    if (reply.action != RawReply::Drop) SendAll(socket, reply.bytes);
    if (reply.action == RawReply::Hang) {
        // Keep the connection open until the client goes or the server stops.
        while (!m_stopping.load()) {
            if (!Readable(socket)) continue;
            if (::recv(socket, block, sizeof block, 0) <= 0) break;
        }
    }
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
}

std::vector<RawRequest> LoopbackServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int LoopbackServer::RequestCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_requests.size());
}

bool LoopbackServer::WaitForRequests(int count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return static_cast<int>(m_requests.size()) >= count; });
}

int LoopbackServer::UnusedPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

UnansweredPort::UnansweredPort() {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    // A queue of no length holds one connection; the filler takes that place.
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_listen, 0) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ::connect(m_filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    pollfd fd{m_filler, POLLOUT, 0};
    m_ready = ::poll(&fd, 1, static_cast<int>(std::chrono::milliseconds(kReadLimit).count())) > 0 &&
              (fd.revents & POLLOUT) != 0;
}

UnansweredPort::~UnansweredPort() {
    if (m_filler >= 0) ::close(m_filler);
    if (m_listen >= 0) ::close(m_listen);
}

std::string UnansweredPort::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void UseServiceHost(const std::string& folder, const std::string& host) {
    SetupWellKnownPaths(folder);
    WritePrivateProfileString("Hosts", "Service", host, g_strIniFile);
}
