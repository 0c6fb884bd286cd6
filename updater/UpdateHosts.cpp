#include "updater/UpdateHosts.h"

#include "platform/Profile.h"

namespace patchwell {

UpdateHosts ReadUpdateHosts(const std::filesystem::path& programFolder) {
    CProfile profile;
    profile.Load(programFolder / "Patchwell.ini");
    UpdateHosts hosts;
    hosts.update = profile.GetString("Hosts", "Update", kDefaultUpdateHost);
    hosts.gamePatch = profile.GetString("Hosts", "GamePatch", kDefaultUpdateHost);
    if (hosts.update.empty()) hosts.update = kDefaultUpdateHost;
    if (hosts.gamePatch.empty()) hosts.gamePatch = kDefaultUpdateHost;
    return hosts;
}

std::string HostAddress(std::string_view host, std::string_view path) {
    std::string address = "http://";
    address += host;
    address += path;
    return address;
}

}  // namespace patchwell
