#pragma once
// The machine's view of its own network: the addresses of its interfaces.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tonvik::platform {

// One address of one network interface.
struct InterfaceAddress {
    enum class Family { IPv4, IPv6 };

    bool up = false;        // the interface is up and has a link
    bool loopback = false;  // the interface is a loopback interface
    Family family = Family::IPv4;
    // Network byte order; an IPv4 address takes the first four bytes.
    std::array<uint8_t, 16> bytes{};
};

// The IPv4 and IPv6 addresses of all interfaces, read from the system's
// interface list without resolving any name; empty when the list cannot be
// read.
std::vector<InterfaceAddress> InterfaceAddresses();

// Makes the closing of a connected socket a reset (RST) instead of an
// orderly end, so that the peer sees its connection broken. False when the
// descriptor takes no such option.
bool ResetConnectionOnClose(std::intptr_t socketDescriptor);

// Test seam: while set, the network check reports this state instead of
// asking the system. Reset with std::nullopt.
void SetNetworkStateOverride(std::optional<bool> online);
std::optional<bool> NetworkStateOverride();

}  // namespace tonvik::platform
