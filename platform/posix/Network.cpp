#include "platform/Network.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

namespace tonvik::platform {
namespace {
// 0 = ask the system, 1 = forced offline, 2 = forced online.
std::atomic<int> g_override{0};
}  // namespace

std::optional<std::string> FirstHostAddress() {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return std::nullopt;

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &list) != 0 || list == nullptr) return std::nullopt;

    std::optional<std::string> result;
    char text[INET6_ADDRSTRLEN] = {};
    const addrinfo* first = list;
    if (first->ai_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(first->ai_addr);
        if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) result = text;
    } else if (first->ai_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(first->ai_addr);
        if (inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text)) result = text;
    }
    freeaddrinfo(list);
    return result;
}

void SetNetworkStateOverride(std::optional<bool> online) {
    g_override.store(online ? (*online ? 2 : 1) : 0);
}

std::optional<bool> NetworkStateOverride() {
    switch (g_override.load()) {
    case 1: return false;
    case 2: return true;
    default: return std::nullopt;
    }
}

}  // namespace tonvik::platform
