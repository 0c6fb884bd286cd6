#include "platform/Network.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <cstring>

namespace tonvik::platform {
namespace {
// 0 = ask the system, 1 = forced offline, 2 = forced online.
std::atomic<int> g_override{0};
}  // namespace

bool ResetConnectionOnClose(std::intptr_t socketDescriptor) {
    if (socketDescriptor < 0) return false;
    linger option{};
    option.l_onoff = 1;
    option.l_linger = 0;
    return setsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_LINGER, &option, sizeof option) == 0;
}

std::vector<InterfaceAddress> InterfaceAddresses() {
    std::vector<InterfaceAddress> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return addresses;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr) continue;
        InterfaceAddress address;
        // A cable pulled or a bridge without members leaves the interface up
        // but not running: no link, no network.
        address.up = (entry->ifa_flags & IFF_UP) != 0 && (entry->ifa_flags & IFF_RUNNING) != 0;
        address.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
        if (entry->ifa_addr->sa_family == AF_INET) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
            address.family = InterfaceAddress::Family::IPv4;
            std::memcpy(address.bytes.data(), &in->sin_addr, sizeof in->sin_addr);
        } else if (entry->ifa_addr->sa_family == AF_INET6) {
            const auto* in6 = reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr);
            address.family = InterfaceAddress::Family::IPv6;
            std::memcpy(address.bytes.data(), &in6->sin6_addr, sizeof in6->sin6_addr);
        } else {
            continue;  // link-layer and other entries
        }
        addresses.push_back(address);
    }
    freeifaddrs(list);
    return addresses;
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
