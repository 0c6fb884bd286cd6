#pragma once
// A re-entrant lock for objects shared between the user-interface thread and
// worker threads; the song and album lists derive from it.

#include <mutex>

class CMFMutex {
public:
    CMFMutex() = default;
    CMFMutex(const CMFMutex&) = delete;
    CMFMutex& operator=(const CMFMutex&) = delete;

    void Lock() const { m_cs.lock(); }
    void Unlock() const { m_cs.unlock(); }

    // Standard lockable interface, so std::scoped_lock works as well.
    void lock() const { Lock(); }
    void unlock() const { Unlock(); }

private:
    mutable std::recursive_mutex m_cs;
};

// Holds a CMFMutex for the length of a scope.
class CMFAutoLock {
public:
    explicit CMFAutoLock(const CMFMutex& mutex) : m_mutex(mutex) { m_mutex.Lock(); }
    ~CMFAutoLock() { m_mutex.Unlock(); }
    CMFAutoLock(const CMFAutoLock&) = delete;
    CMFAutoLock& operator=(const CMFAutoLock&) = delete;

private:
    const CMFMutex& m_mutex;
};
