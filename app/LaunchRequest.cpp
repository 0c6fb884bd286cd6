#include "app/LaunchRequest.h"

#include <utility>

namespace {

constexpr std::pair<const char*, LaunchRequest> kRequests[] = {
    {"--version", LaunchRequest::Version},       {"--help", LaunchRequest::Help},
    {"--close", LaunchRequest::Close},           {"--play-pause", LaunchRequest::PlayPause},
    {"--next", LaunchRequest::Next},
};

}  // namespace

LaunchRequest ParseLaunchRequest(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return LaunchRequest::Start;
    for (const auto& [text, request] : kRequests)
        if (arguments[0] == text) return request;
    return LaunchRequest::Start;
}

std::string LaunchUsage() {
    return "Usage: tonvikmusic [--version | --help | --close | --play-pause | --next]\n"
           "  --version     print the version\n"
           "  --close       close the running player in order\n"
           "  --play-pause  play or pause the running player\n"
           "  --next        the running player's next song\n";
}
