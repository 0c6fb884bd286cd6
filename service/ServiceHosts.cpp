#include "service/ServiceHosts.h"

#include "common/Text.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "platform/Profile.h"

ServiceHosts ReadServiceHosts() {
    CProfile profile;
    profile.Load(g_strIniFile);  // a missing file leaves every default
    ServiceHosts hosts;
    hosts.service = profile.GetString(kHostsSection, "Service", kDefaultHost);
    hosts.login = profile.GetString(kHostsSection, "Login", kDefaultHost);
    hosts.comment = profile.GetString(kHostsSection, "Comment", kDefaultHost);
    hosts.lyricSearch = profile.GetString(kHostsSection, "LyricSearch", kDefaultHost);
    return hosts;
}

std::string HostAddress(std::string_view host, std::string_view path) {
    std::string address;
    if (host.substr(0, 7) != "http://" && host.substr(0, 8) != "https://") address = "http://";
    address += host;
    while (!address.empty() && address.back() == '/') address.pop_back();
    address += path;
    return address;
}

std::string ServiceAddress(std::string_view path) { return HostAddress(ReadServiceHosts().service, path); }

std::string SignInRedirectAddress(const ServiceHosts& hosts, std::string_view user, std::string_view password,
                                  std::string_view redirectPath) {
    HideInTraces(password);
    return HostAddress(hosts.login, "/login.php?uid=") + UrlEncode(AnsiToUtf8(user)) + "&password=" +
           UrlEncode(AnsiToUtf8(password)) + "&redirect_url=" + HostAddress(hosts.service, redirectPath);
}
