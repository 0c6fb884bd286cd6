#pragma once
// Which of the songs chosen on pages are taken. Pages come over plain HTTP,
// so a page (or anyone on its way) must not bury the user under requests,
// tips and songs that stop what plays: at most kPendingLimit requests wait
// or are being fetched, a request identical to one that waits is that same
// request, and at most one request to play is taken in kPlayInterval.
// Whatever is not taken is dropped with a trace. User-interface thread only.

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class CLibSongAdmission {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr size_t kPendingLimit = 4;
    static constexpr std::chrono::milliseconds kPlayInterval{1000};

    enum class Verdict {
        Taken,          // it joins the queue
        SameAsWaiting,  // an identical request waits already
        TooMany,        // kPendingLimit requests wait
        PlayTooSoon,    // a request to play was taken less than kPlayInterval ago
    };

    explicit CLibSongAdmission(Clock clock = std::chrono::steady_clock::now);

    // A request to play (`play`) or to add the songs `ids` (the page's text)
    // came. When it is taken, it counts as waiting until Finished.
    Verdict Admit(bool play, std::u16string_view ids);
    // The oldest request taken is done with.
    void Finished();
    size_t Pending() const { return m_pending.size(); }

    // Tests: the clock that times the requests to play.
    void SetClock(Clock clock) { m_clock = std::move(clock); }

private:
    struct St_Waiting {
        bool play;
        std::u16string ids;
    };

    Clock m_clock;
    std::deque<St_Waiting> m_pending;
    std::optional<std::chrono::steady_clock::time_point> m_lastPlay;
};
