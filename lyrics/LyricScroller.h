#pragma once
// Keeps the lyric in step with playback: the current line, the scroll
// offsets of both display modes, the window's own idea of the play position
// and the scroll timer. The scroll moves one pixel per timer tick; the tick
// interval is the time of the current line divided by its pixels, so a line
// has scrolled by its height (or, in horizontal mode, its width) when the
// next one starts. Manual corrections, line jumps, font and mode changes and
// dragging by hand all go through here; the window only paints and forwards.
// Each new line starts at its own offset, so whole pixels per tick and lines
// that share a start time never let the scroll drift off the lyric.
//
// Positions are unsigned milliseconds, as the lyric model keeps them;
// offsets are 64-bit, so a long strip of long lines never overflows.

#include "lyrics/LyricModel.h"
#include "lyrics/LyricStrip.h"

#include <QPoint>

#include <cstdint>

// What the scroll logic needs of its window.
class ILyricScrollHost {
public:
    virtual ~ILyricScrollHost() = default;
    // (Re)starts the scroll timer with an interval in milliseconds; one
    // tick follows each start unless it is stopped first.
    virtual void StartScrollTimer(uint32_t intervalMs) = 0;
    virtual void StopScrollTimer() = 0;
    virtual void RepaintLyric() = 0;
};

enum class LyricMode { Vertical, Horizontal };

class CLyricScroller {
public:
    // `model` and `strip` outlive the scroller; the strip measures the
    // model's display lines in the font in force.
    CLyricScroller(const LyricModel& model, const CLyricStrip& strip, ILyricScrollHost& host);

    // A new lyric was loaded: start at `line` (0, or -1 without lines), at
    // position 0, not playing, with no corrections.
    void Reset(int line);

    // The play messages.
    void Play(uint32_t position);
    void Pause();  // also stop: the scroll halts where it is
    void Resume();
    // One tick of the scroll timer.
    void Tick();
    // The scroll was held for `elapsedMs` (the window was hidden) while the
    // song went on: a playing lyric moves on to where the song is now.
    void CatchUp(uint64_t elapsedMs);

    // Manual timing: each moves the lyric and counts the move as a
    // correction that Restore takes back.
    void NextLine();
    void PreviousLine();
    void Ahead();
    void Back();
    void Restore();
    // A correction remembered for the song: the lyric runs `shiftMs` ahead
    // of the song (behind when negative) from the next play position on,
    // and Restore takes it back.
    void SetShift(int32_t shiftMs);

    // A new line height and vertical scroll step for a new font (the strip
    // has been measured anew): the position inside the current line is kept
    // as a share of the line.
    void ChangeFont(int lineHeight, int verticalStep);
    void SetMode(LyricMode mode);

    // Scrolling a lyric without timing by one step: +1 towards the end (the
    // up button), -1 back (the down button). A step that would leave the
    // text is not taken. `windowWidth` sizes horizontal steps.
    void Step(int direction, int windowWidth);

    // Dragging the text by hand; the play position does not change.
    void BeginDrag(const QPoint& at);
    void DragTo(const QPoint& at);

    // The time per pixel for line `line`: from the first later line that
    // starts later, its start minus this start, over the pixels in between;
    // 0 when there is none (the timer does not run).
    uint32_t NextInterval(int line) const;

    int CurrentLine() const { return m_nCurrent; }
    int64_t ScrollY() const { return m_nScrollY; }
    int64_t ScrollX() const { return m_nScrollX; }
    int64_t Offset() const { return m_mode == LyricMode::Vertical ? m_nScrollY : m_nScrollX; }
    uint32_t LyricPos() const { return m_nLyricPos; }
    int32_t UserShift() const { return m_nUserShift; }
    bool IsPlaying() const { return m_bPlaying; }
    uint32_t TickMs() const { return m_nTickMs; }
    bool RestoreEnabled() const { return m_bRestoreEnabled; }
    LyricMode Mode() const { return m_mode; }
    int LineHeight() const { return m_nLineHeight; }
    // The furthest offset of the mode in force (scrolling by hand stops there).
    int64_t MaxOffset() const;

private:
    uint32_t StartOf(int line) const;
    // Where line `line` begins in the mode in force.
    int64_t LineOffset(int line) const;
    int64_t& OffsetRef() { return m_mode == LyricMode::Vertical ? m_nScrollY : m_nScrollX; }
    // Line and offsets for the lyric at `position`, and the timer from there.
    void Reposition(uint32_t position);
    // Runs the timer at `interval` while playing a timed lyric, else stops it.
    void ArmTimer(uint32_t interval);
    // The share of the current line already played, 0 … 100.
    int64_t PercentIntoLine() const;

    const LyricModel& m_model;
    const CLyricStrip& m_strip;
    ILyricScrollHost& m_host;

    LyricMode m_mode = LyricMode::Vertical;
    int m_nLineHeight = 20;
    int m_nVerticalStep = 20;
    int m_nCurrent = -1;
    int64_t m_nScrollY = 0;
    int64_t m_nScrollX = 0;
    uint32_t m_nLyricPos = 0;
    int32_t m_nUserShift = 0;
    bool m_bPlaying = false;
    uint32_t m_nTickMs = 0;
    bool m_bRestoreEnabled = false;

    QPoint m_dragFrom;
    int64_t m_nDragScrollY = 0;
    int64_t m_nDragScrollX = 0;
};
