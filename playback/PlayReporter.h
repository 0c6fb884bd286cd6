#pragma once
// Sends the play reports on a worker thread of its own, one after the other
// in the order they came, so that a service slow to answer never holds up
// the player. Their answers are not read. Used on one thread (the
// user-interface thread); the worker shares nothing else with it.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>

class CPlayReporter {
public:
    // Reports waiting behind a slow one; beyond that the oldest is dropped.
    static constexpr size_t kMaxWaiting = 50;
    static constexpr std::chrono::milliseconds kDefaultCloseWait{500};

    CPlayReporter() = default;
    // Closes with kDefaultCloseWait.
    ~CPlayReporter();
    CPlayReporter(const CPlayReporter&) = delete;
    CPlayReporter& operator=(const CPlayReporter&) = delete;

    // Queues a GET of `url`; returns at once. Nothing after Close.
    void Send(std::string url);

    // Ends the report under way, drops the waiting ones and waits at most
    // `wait` for the worker. A worker still busy after that is left to end
    // on its own: it owns everything it touches. False in that case.
    bool Close(std::chrono::milliseconds wait = kDefaultCloseWait);

private:
    struct Shared;
    static void Work(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;  // created with the worker
    std::thread m_worker;
    bool m_closed = false;
};
