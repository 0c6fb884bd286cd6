#include "lyrics/LyricScroller.h"

#include "lyrics/LyricWindowIds.h"

#include <algorithm>
#include <limits>

namespace {

uint32_t AddSaturated(uint32_t a, uint64_t b) {
    const uint64_t sum = uint64_t{a} + b;
    return sum > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                      : static_cast<uint32_t>(sum);
}

int32_t ShiftBy(int32_t shift, int64_t by) {
    const int64_t sum = int64_t{shift} + by;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

CLyricScroller::CLyricScroller(const LyricModel& model, const CLyricStrip& strip, ILyricScrollHost& host)
    : m_model(model), m_strip(strip), m_host(host) {}

uint32_t CLyricScroller::StartOf(int line) const {
    const auto& lines = m_model.displayLines();
    if (line < 0 || static_cast<size_t>(line) >= lines.size()) return kNoTime;
    return lines[static_cast<size_t>(line)].start;
}

int64_t CLyricScroller::LineOffset(int line) const {
    return m_mode == LyricMode::Vertical ? int64_t{line} * m_nLineHeight : m_strip.Offset(line);
}

int64_t CLyricScroller::MaxOffset() const {
    if (m_mode == LyricMode::Vertical) return int64_t{m_nLineHeight} * m_model.displayCount() - 1;
    // The strip ends with 75 blanks of room in the picture; the view stops
    // 129 pixels before the end of the text.
    return m_strip.Width() - 129;
}

void CLyricScroller::Reset(int line) {
    m_host.StopScrollTimer();
    m_nCurrent = line;
    m_nScrollY = m_nScrollX = 0;
    m_nLyricPos = 0;
    m_nUserShift = 0;
    m_bPlaying = false;
    m_nTickMs = 0;
    m_bRestoreEnabled = false;
}

uint32_t CLyricScroller::NextInterval(int line) const {
    const int count = m_model.displayCount();
    if (line < 0 || line >= count) return 0;
    const uint32_t start = StartOf(line);
    for (int next = line + 1; next < count; ++next) {
        const uint32_t later = StartOf(next);
        if (!IsStartTime(later) || later <= start) continue;
        // The lines between scroll by their pixels in the time between.
        const int64_t pixels = LineOffset(next) - LineOffset(line);
        if (pixels <= 0) continue;
        const auto interval = static_cast<uint32_t>((later - start) / static_cast<uint64_t>(pixels));
        if (interval != 0) return interval;
    }
    return 0;
}

void CLyricScroller::ArmTimer(uint32_t interval) {
    if (m_bPlaying && m_model.hasTiming() && interval != 0) {
        m_host.StartScrollTimer(interval);
    } else {
        m_host.StopScrollTimer();
    }
}

void CLyricScroller::Reposition(uint32_t position) {
    const LinePosition at = m_model.FindLineAt(position);
    m_nCurrent = at.index;
    if (at.index < 0 || at.duration == 0) {
        m_nScrollY = m_nScrollX = 0;
    } else {
        // Products before the division, in 64 bits: a long line times a long
        // gap does not fit in 32.
        const auto into = [&at](int64_t pixels) {
            return static_cast<int64_t>(uint64_t{at.elapsed} * static_cast<uint64_t>(pixels) / at.duration);
        };
        m_nScrollY = int64_t{at.index} * m_nLineHeight + into(m_nLineHeight);
        // The strip is measured only once horizontal mode needs it.
        if (m_mode == LyricMode::Horizontal) m_nScrollX = LineOffset(at.index) + into(m_strip.Span(at.index));
    }
    m_nLyricPos = position;
    m_nTickMs = NextInterval(m_nCurrent);
    ArmTimer(m_nTickMs);
}

void CLyricScroller::Play(uint32_t position) {
    m_bPlaying = true;
    // The song's position; the lyric keeps the user's correction to it.
    const int64_t shifted = int64_t{position} + m_nUserShift;
    Reposition(static_cast<uint32_t>(std::clamp<int64_t>(shifted, 0, std::numeric_limits<uint32_t>::max())));
    m_host.RepaintLyric();
}

void CLyricScroller::SetShift(int32_t shiftMs) {
    m_nUserShift = shiftMs;
    m_bRestoreEnabled = shiftMs != 0;
}

void CLyricScroller::Pause() {
    m_host.StopScrollTimer();
    m_bPlaying = false;
    m_host.RepaintLyric();
}

void CLyricScroller::Resume() {
    m_bPlaying = true;
    const uint32_t interval = NextInterval(m_nCurrent);
    if (interval != 0) m_nTickMs = interval;
    ArmTimer(interval);
}

void CLyricScroller::Tick() {
    m_host.StopScrollTimer();
    if (!m_bPlaying || !m_model.hasTiming()) return;
    m_nLyricPos = AddSaturated(m_nLyricPos, m_nTickMs);
    OffsetRef() += 1;
    const int count = m_model.displayCount();
    // The index may reach the count, one past the last line: nothing is lit.
    if (m_nCurrent >= 0 && m_nCurrent < count && m_nLyricPos >= StartOf(m_nCurrent + 1)) {
        ++m_nCurrent;
        // Whole pixels per tick never add up exactly to a line; a new line
        // starts where it belongs, so the scroll never drifts off the lyric.
        if (m_nCurrent < count) OffsetRef() = LineOffset(m_nCurrent);
    }
    m_host.RepaintLyric();
    const uint32_t interval = NextInterval(m_nCurrent);
    if (interval != 0) {
        m_nTickMs = interval;
        ArmTimer(interval);
    }
}

void CLyricScroller::CatchUp(uint64_t elapsedMs) {
    // The lyric's own position already holds the correction.
    if (!m_bPlaying) return;
    Reposition(AddSaturated(m_nLyricPos, elapsedMs));
    m_host.RepaintLyric();
}

void CLyricScroller::NextLine() {
    if (m_nCurrent < 0 || m_nCurrent >= m_model.displayCount() - 1 || m_nTickMs == 0) return;
    const uint32_t next = StartOf(m_nCurrent + 1);
    if (!IsStartTime(next)) return;
    // As many pixels as the timer would have taken to reach the next line.
    const uint64_t steps = m_nLyricPos >= next ? 1 : (next - m_nLyricPos + m_nTickMs - 1) / m_nTickMs;
    const uint64_t time = steps * m_nTickMs;
    m_nLyricPos = AddSaturated(m_nLyricPos, time);
    m_nUserShift = ShiftBy(m_nUserShift, static_cast<int64_t>(time));
    ++m_nCurrent;
    OffsetRef() = LineOffset(m_nCurrent);
    m_bRestoreEnabled = true;
    m_host.RepaintLyric();
}

void CLyricScroller::PreviousLine() {
    if (m_nCurrent <= 0 || m_nTickMs == 0) return;
    int64_t& offset = OffsetRef();
    bool moved = false;
    // Back pixel by pixel over the start of the current line, then over the
    // start of the line before: the lyric stands at that line's beginning.
    int crossings = 0;
    while (m_nLyricPos >= m_nTickMs && offset > 0) {
        --offset;
        m_nUserShift = ShiftBy(m_nUserShift, -int64_t{m_nTickMs});
        m_nLyricPos -= m_nTickMs;
        moved = true;
        if (m_nLyricPos < StartOf(m_nCurrent)) {
            if (++crossings == 2) break;
            --m_nCurrent;
        }
    }
    if (moved) m_bRestoreEnabled = true;
    m_host.RepaintLyric();
}

void CLyricScroller::Ahead() {
    m_nLyricPos = AddSaturated(m_nLyricPos, kCorrectionMs);
    m_nUserShift = ShiftBy(m_nUserShift, kCorrectionMs);
    Reposition(m_nLyricPos);
    m_bRestoreEnabled = true;
    m_host.RepaintLyric();
}

void CLyricScroller::Back() {
    m_nLyricPos = m_nLyricPos >= uint32_t{kCorrectionMs} ? m_nLyricPos - kCorrectionMs : 0;
    m_nUserShift = ShiftBy(m_nUserShift, -kCorrectionMs);
    Reposition(m_nLyricPos);
    m_bRestoreEnabled = true;
    m_host.RepaintLyric();
}

void CLyricScroller::Restore() {
    const int64_t position = int64_t{m_nLyricPos} - m_nUserShift;
    m_nLyricPos = static_cast<uint32_t>(std::clamp<int64_t>(position, 0, std::numeric_limits<uint32_t>::max()));
    m_nUserShift = 0;
    if (m_model.hasTiming()) {
        Reposition(m_nLyricPos);
    } else {
        m_nCurrent = m_model.displayCount() > 0 ? 0 : -1;
        m_nScrollY = m_nScrollX = 0;
    }
    m_bRestoreEnabled = false;
    m_host.RepaintLyric();
}

int64_t CLyricScroller::PercentIntoLine() const {
    const int count = m_model.displayCount();
    for (int line = 1; line <= count; ++line) {
        const uint32_t start = StartOf(line);
        if (!IsStartTime(start) || start <= m_nLyricPos) continue;
        const uint32_t before = StartOf(line - 1);
        if (start == before || before > m_nLyricPos) return 0;
        return int64_t{m_nLyricPos - before} * 100 / (start - before);
    }
    return 0;
}

void CLyricScroller::ChangeFont(int lineHeight, int verticalStep) {
    const int64_t percent = PercentIntoLine();
    m_nLineHeight = std::max(1, lineHeight);
    m_nVerticalStep = std::max(1, verticalStep);
    const int line = std::max(m_nCurrent, 0);
    m_nScrollY = int64_t{line} * m_nLineHeight + m_nLineHeight * percent / 100;
    if (m_mode == LyricMode::Horizontal) m_nScrollX = LineOffset(line) + m_strip.Span(line) * percent / 100;
    // The pixels of the line changed, and with them the time per pixel.
    if (m_bPlaying) Resume();
    m_host.RepaintLyric();
}

void CLyricScroller::SetMode(LyricMode mode) {
    m_mode = mode;
    Reposition(m_nLyricPos);
    m_host.RepaintLyric();
}

void CLyricScroller::Step(int direction, int windowWidth) {
    const int64_t step = m_mode == LyricMode::Vertical ? m_nVerticalStep : windowWidth / 2;
    const int64_t offset = Offset() + (direction > 0 ? step : -step);
    if (step > 0 && offset >= 0 && offset <= MaxOffset()) {
        OffsetRef() = offset;
        m_host.RepaintLyric();
    }
}

void CLyricScroller::BeginDrag(const QPoint& at) {
    m_dragFrom = at;
    m_nDragScrollY = m_nScrollY;
    m_nDragScrollX = m_nScrollX;
}

void CLyricScroller::DragTo(const QPoint& at) {
    const int64_t limit = std::max<int64_t>(0, MaxOffset());
    if (m_mode == LyricMode::Vertical) {
        m_nScrollY = std::clamp<int64_t>(m_nDragScrollY + (m_dragFrom.y() - at.y()), 0, limit);
    } else {
        m_nScrollX = std::clamp<int64_t>(m_nDragScrollX + (m_dragFrom.x() - at.x()), 0, limit);
    }
    m_host.RepaintLyric();
}
