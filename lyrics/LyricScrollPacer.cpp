#include "lyrics/LyricScrollPacer.h"

#include <algorithm>

int64_t CScrollPacer::Schedule(int64_t now, uint32_t interval, bool afterTick) {
    const int64_t from = afterTick && now - m_nDue <= kMaxLagMs ? m_nDue : now;
    m_nDue = from + interval;
    return std::max<int64_t>(0, m_nDue - now);
}
