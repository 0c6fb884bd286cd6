#include "playback/StreamResume.h"

bool CStreamResume::Broke(double position) {
    if (!(position >= 0)) position = 0;  // also catches NaN
    // A stream that got on since its last recovery has earned a fresh set
    // of tries; one that breaks again where it was mended has not.
    if (m_recoveredAt < 0 || position >= m_recoveredAt + kProgressSeconds) m_try = 0;
    m_position = position;
    m_active = true;
    m_firstTryOfBreak = m_try + 1;
    return NextTry();
}

bool CStreamResume::TryFailed() { return m_active && NextTry(); }

bool CStreamResume::NextTry() {
    if (m_try >= kMaxTries) {
        m_active = false;
        return false;
    }
    ++m_try;
    return true;
}

void CStreamResume::Recovered() {
    m_active = false;
    m_recoveredAt = m_position;
}

void CStreamResume::Reset() { *this = CStreamResume(); }

std::chrono::milliseconds CStreamResume::Delay() const {
    if (m_try <= 0) return std::chrono::milliseconds(0);
    return kFirstDelay * (1 << (m_try - 1));
}
