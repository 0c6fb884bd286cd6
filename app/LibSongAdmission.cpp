#include "app/LibSongAdmission.h"

#include "common/Trace.h"

#include <algorithm>

CLibSongAdmission::CLibSongAdmission(Clock clock) : m_clock(clock ? std::move(clock) : std::chrono::steady_clock::now) {}

CLibSongAdmission::Verdict CLibSongAdmission::Admit(bool play, std::u16string_view ids) {
    const bool waiting = std::any_of(m_pending.begin(), m_pending.end(),
                                     [&](const St_Waiting& request) { return request.play == play && request.ids == ids; });
    if (waiting) {
        Trace("OnLibSong===Dropped : the same request waits.");
        return Verdict::SameAsWaiting;
    }
    if (m_pending.size() >= kPendingLimit) {
        Trace("OnLibSong===Dropped : %d requests wait.", static_cast<int>(m_pending.size()));
        return Verdict::TooMany;
    }
    if (play) {
        const auto now = m_clock();
        if (m_lastPlay && now - *m_lastPlay < kPlayInterval) {
            Trace("OnLibSong===Dropped : a song was played less than %d ms ago.", static_cast<int>(kPlayInterval.count()));
            return Verdict::PlayTooSoon;
        }
        m_lastPlay = now;
    }
    m_pending.push_back({play, std::u16string(ids)});
    return Verdict::Taken;
}

void CLibSongAdmission::Finished() {
    if (!m_pending.empty()) m_pending.pop_front();
}
