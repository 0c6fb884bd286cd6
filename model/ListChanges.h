#pragma once
// News of a list's changes for whoever shows the list. Lists are changed
// from worker threads as well as from the user-interface thread; listeners
// are told on the thread that made the change, once the change is complete,
// and must do no more than hand the news over to their own thread (one may
// still run while an outer caller holds the list's lock, so it must never
// call back into the list).

#include <functional>
#include <mutex>
#include <utility>
#include <vector>

class CListChangeNotice {
public:
    CListChangeNotice() = default;
    // A copy of a list is another list: its copy starts without a listener.
    CListChangeNotice(const CListChangeNotice&) = delete;
    CListChangeNotice& operator=(const CListChangeNotice&) = delete;

    // Adds a listener; the number returned takes it away again.
    int Listen(std::function<void()> listener) {
        std::lock_guard lock(m_mutex);
        m_listeners.emplace_back(++m_nLastToken, std::move(listener));
        return m_nLastToken;
    }

    // Once this returns, the listener is not running and will not be called
    // again.
    void Forget(int token) {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_listeners, [token](const auto& entry) { return entry.first == token; });
    }

    void Notify() const {
        std::lock_guard lock(m_mutex);
        for (const auto& entry : m_listeners) entry.second();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<int, std::function<void()>>> m_listeners;
    int m_nLastToken = 0;
};

// Tells the notice when it goes out of scope. Declared before an
// operation's lock, it speaks after the lock is released.
class CListChangeScope {
public:
    explicit CListChangeScope(const CListChangeNotice& notice) : m_notice(notice) {}
    ~CListChangeScope() { m_notice.Notify(); }
    CListChangeScope(const CListChangeScope&) = delete;
    CListChangeScope& operator=(const CListChangeScope&) = delete;

private:
    const CListChangeNotice& m_notice;
};
