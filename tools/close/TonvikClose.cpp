// TonvikClose: sends the orderly close (0x0455) to the running player and
// waits until the player has gone.
//
// Usage: TonvikClose [seconds]   (how long to wait, 20 by default)
// Exit codes: 0 the player closed, 1 no player was running, 2 the player
// did not take the message, 3 it took it but was still running at the end.

#include "common/PlayerClose.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::chrono::milliseconds kSendTimeout(5000);
constexpr int kDefaultWaitSeconds = 20;

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    int waitSeconds = kDefaultWaitSeconds;
    if (argc > 1) {
        char* end = nullptr;
        const long value = std::strtol(argv[1], &end, 10);
        if (end == argv[1] || *end != '\0' || value < 0 || value > 3600) {
            std::fprintf(stderr, "usage: %s [seconds]\n", argv[0]);
            return 64;
        }
        waitSeconds = static_cast<int>(value);
    }
    const CloseResult result = ClosePlayer(kSendTimeout, std::chrono::seconds(waitSeconds));
    if (result != CloseResult::Closed) std::fprintf(stderr, "TonvikClose: %s\n", CloseResultText(result));
    return static_cast<int>(result);
}
