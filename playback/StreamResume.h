#pragma once
// When a song's stream breaks off (its connection dropped, cut short or
// stalled), the engine reconnects and goes on from the position reached.
// This is the bookkeeping of those tries: how many, how far apart, from
// where, and when the song's address should be looked up again. No clock
// and no media in here: the engine asks and acts.

#include <chrono>

class CStreamResume {
public:
    // Tries per break, the wait before the first (doubled for each further
    // try), and how far a stream must have got past the point of its last
    // recovery for a new break to get a fresh set of tries.
    static constexpr int kMaxTries = 3;
    static constexpr std::chrono::milliseconds kFirstDelay{500};
    static constexpr double kProgressSeconds = 1.0;

    // The stream broke off at `position` seconds. True when a try is left
    // (the first of this break); false when the tries are spent: a stream
    // that keeps breaking at the same place gets no new set.
    bool Broke(double position);
    // The try under way failed. True when another one is left.
    bool TryFailed();
    // The try under way reached playing again.
    void Recovered();
    // A new song or a stop: nothing of the old stream counts any more.
    void Reset();

    bool Active() const { return m_active; }
    // The try under way, 1 .. kMaxTries (0 when none).
    int Try() const { return m_try; }
    // The wait before the try under way.
    std::chrono::milliseconds Delay() const;
    // The try under way follows one that failed: the address did not answer
    // and is looked up again first.
    bool WantsNewAddress() const { return m_try > m_firstTryOfBreak; }
    // Where the stream goes on from, in seconds.
    double Position() const { return m_position; }

private:
    bool NextTry();

    bool m_active = false;
    int m_try = 0;
    int m_firstTryOfBreak = 0;
    double m_position = 0;
    double m_recoveredAt = -1;  // where the last break was mended; -1: none yet
};
