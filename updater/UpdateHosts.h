#pragma once
// The two hosts the library downloads from, read from "Patchwell.ini" beside
// the host program (section "Hosts", keys "Update" and "GamePatch"). A host
// may carry a port ("127.0.0.1:18080").

#include <filesystem>
#include <string>
#include <string_view>

namespace patchwell {

inline constexpr std::string_view kDefaultUpdateHost = "127.0.0.1:18080";

struct UpdateHosts {
    std::string update;
    std::string gamePatch;
};

UpdateHosts ReadUpdateHosts(const std::filesystem::path& programFolder);

// "http://" + host + path (the path starts with "/").
std::string HostAddress(std::string_view host, std::string_view path);

}  // namespace patchwell
