#pragma once
// The hosts of the music service, read from the section "Hosts" of
// "TonvikMusic.ini". A host may carry a port ("127.0.0.1:18080").

#include <string>
#include <string_view>

struct ServiceHosts {
    std::string service;      // key "Service": every request path
    std::string login;        // key "Login": the sign-in pages
    std::string comment;      // key "Comment": the comment page
    std::string lyricSearch;  // key "LyricSearch": the lyric search
};

inline constexpr const char* kHostsSection = "Hosts";
inline constexpr const char* kDefaultHost = "127.0.0.1:18080";

// Reads the hosts afresh from the options file (g_strIniFile); missing keys
// give kDefaultHost.
ServiceHosts ReadServiceHosts();

// The HTTP address of `path` on `host`: "http://", the host, the path. A
// host written with its own scheme keeps it.
std::string HostAddress(std::string_view host, std::string_view path);

// The address of `path` on the service host.
std::string ServiceAddress(std::string_view path);

// The sign-in page that signs the user in and then shows `redirectPath` of
// the service host: "/login.php?uid=" on the login host, the user name
// (CP936, sent as URL-encoded UTF-8), "&password=", the password (the same
// way, so that "&" or "#" in it cannot cut the address), "&redirect_url="
// and the page's address.
std::string SignInRedirectAddress(const ServiceHosts& hosts, std::string_view user, std::string_view password,
                                  std::string_view redirectPath);
