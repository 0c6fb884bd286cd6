#include "lyrics/LyricStrip.h"

#include <algorithm>

void CLyricStrip::Reset(int count, SpanFunction span) {
    m_nCount = std::max(0, count);
    m_span = std::move(span);
    m_offsets.clear();
}

void CLyricStrip::Measure() const {
    if (!m_offsets.empty()) return;
    m_offsets.resize(static_cast<size_t>(m_nCount) + 1);
    int64_t at = 0;
    for (int line = 0; line < m_nCount; ++line) {
        m_offsets[static_cast<size_t>(line)] = at;
        at += m_span ? std::max<int64_t>(0, m_span(line)) : 0;
    }
    m_offsets[static_cast<size_t>(m_nCount)] = at;
}

int64_t CLyricStrip::Offset(int line) const {
    if (m_nCount == 0 || line <= 0) return 0;
    Measure();
    return m_offsets[static_cast<size_t>(std::min(line, m_nCount))];
}

int64_t CLyricStrip::Span(int line) const {
    if (line < 0 || line >= m_nCount) return 0;
    return Offset(line + 1) - Offset(line);
}

int CLyricStrip::LineAt(int64_t x) const {
    if (m_nCount == 0) return -1;
    Measure();
    // The last line that starts at or before x.
    const auto after = std::upper_bound(m_offsets.begin(), m_offsets.begin() + m_nCount, x);
    return std::max(0, static_cast<int>(after - m_offsets.begin()) - 1);
}
