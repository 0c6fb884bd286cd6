#pragma once
// Asking the running player, from another process, to close in order
// (message 0x0455 to its main frame) and waiting until it has gone: what
// the close tool and "tonvikmusic --close" do.

#include <chrono>

enum class CloseResult {
    Closed = 0,        // the player took the request and has gone
    NoPlayer = 1,      // no player was running
    NotTaken = 2,      // the player did not take the request
    StillRunning = 3,  // it took it but was still running at the end of the wait
};

CloseResult ClosePlayer(std::chrono::milliseconds sendTimeout, std::chrono::milliseconds waitGone);

// What went wrong, for the user; empty for Closed.
const char* CloseResultText(CloseResult result);
