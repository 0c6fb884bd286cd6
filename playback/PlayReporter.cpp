#include "playback/PlayReporter.h"

#include "common/Trace.h"
#include "service/HttpClient.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>

struct CPlayReporter::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> waiting;
    // The client of the report under way, so that a close can end it.
    std::shared_ptr<GenericHTTPClient> current;
    bool closed = false;
    bool finished = false;  // set by the worker as its last act
};

CPlayReporter::~CPlayReporter() { Close(); }

void CPlayReporter::Send(std::string url) {
    if (m_closed) return;
    if (!m_shared) {
        auto shared = std::make_shared<Shared>();
        try {
            m_worker = std::thread([shared] { Work(shared); });
        } catch (const std::system_error& error) {
            Trace("PlayReport===No worker: %s", error.what());
            return;
        }
        m_shared = std::move(shared);
    }
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->waiting.size() >= kMaxWaiting) {
            Trace("PlayReport===Dropped %s", m_shared->waiting.front().c_str());
            m_shared->waiting.pop_front();
        }
        m_shared->waiting.push_back(std::move(url));
    }
    m_shared->changed.notify_all();
}

void CPlayReporter::Work(const std::shared_ptr<Shared>& shared) {
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&] { return shared->closed || !shared->waiting.empty(); });
        if (shared->closed) break;
        const std::string url = std::move(shared->waiting.front());
        shared->waiting.pop_front();
        // A fresh client each time: a close ends a client for good.
        auto client = std::make_shared<GenericHTTPClient>();
        shared->current = client;
        lock.unlock();
        client->RequestOfURI(url, kHttpGet, kServiceAgent);  // the answer does not matter
        lock.lock();
        shared->current.reset();
    }
    shared->finished = true;
    shared->changed.notify_all();
}

bool CPlayReporter::Close(std::chrono::milliseconds wait) {
    if (m_closed) return true;
    m_closed = true;
    if (!m_shared) return true;
    std::unique_lock lock(m_shared->mutex);
    m_shared->closed = true;
    m_shared->waiting.clear();
    if (m_shared->current) m_shared->current->CloseHandles();
    m_shared->changed.notify_all();
    if (m_shared->changed.wait_for(lock, wait, [this] { return m_shared->finished; })) {
        lock.unlock();
        m_worker.join();
        return true;
    }
    Trace("PlayReport===Worker out time.");
    m_worker.detach();
    return false;
}
