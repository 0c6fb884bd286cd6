#pragma once
// The machine's view of its own network: the first address of its host name.

#include <optional>
#include <string>

namespace tonvik::platform {

// The first address of this machine's host name in dotted (or IPv6 text)
// form; nullopt when the host name cannot be read or has no address.
std::optional<std::string> FirstHostAddress();

// Test seam: while set, the network check reports this state instead of
// asking the system. Reset with std::nullopt.
void SetNetworkStateOverride(std::optional<bool> online);
std::optional<bool> NetworkStateOverride();

}  // namespace tonvik::platform
