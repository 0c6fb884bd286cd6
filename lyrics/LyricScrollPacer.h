#pragma once
// Keeps the scroll timer's ticks on a fixed schedule. The lyric's own clock
// advances by one interval per tick, so a tick must come one interval after
// the previous one was due, not after it ran: otherwise the little time a
// loaded machine takes to get to each tick adds up, and the lyric falls
// behind the song by seconds over a few minutes.

#include <cstdint>

class CScrollPacer {
public:
    // A schedule further behind than this starts afresh (the machine slept).
    static constexpr int64_t kMaxLagMs = 1000;

    // The wait before the next tick, `interval` ms after the last due time
    // when it follows a tick, else after `now` (ms of a steady clock); 0
    // when that time has passed already.
    int64_t Schedule(int64_t now, uint32_t interval, bool afterTick);

private:
    int64_t m_nDue = 0;
};
