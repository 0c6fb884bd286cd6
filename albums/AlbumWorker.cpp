#include "albums/AlbumWorker.h"

#include "common/MessageIds.h"
#include "common/Trace.h"
#include "service/HttpClient.h"

#include <exception>
#include <future>
#include <system_error>
#include <thread>

struct CAlbumWorker::Run {
    std::thread thread;
    std::shared_future<void> finished;
    std::shared_ptr<GenericHTTPClient> client;
    WPARAM number = 0;

    bool WaitFor(std::chrono::milliseconds wait) const {
        return finished.wait_for(wait) == std::future_status::ready;
    }
};

CAlbumWorker::CAlbumWorker(CMessageHandle target) : m_target(std::move(target)) {}

CAlbumWorker::~CAlbumWorker() {
    if (!m_run) return;
    m_run->client->CloseHandles();
    EndRun(m_run->WaitFor(kCancelWait));
}

WPARAM CAlbumWorker::Start(Job job) {
    if (m_run) {
        if (!m_run->WaitFor(std::chrono::milliseconds(0))) return 0;
        EndRun(true);
    }
    auto run = std::make_unique<Run>();
    run->client = std::make_shared<GenericHTTPClient>();
    run->number = ++m_lastNumber;
    std::promise<void> finished;
    run->finished = finished.get_future().share();
    try {
        run->thread = std::thread([job = std::move(job), client = run->client, target = m_target,
                                   number = run->number, finished = std::move(finished)]() mutable {
            {
                TRACE_SCOPE("ThreadAlbumImpl");
                try {
                    job(*client);
                } catch (const std::exception& error) {
                    Trace("ThreadAlbumImpl Exception! %.512s", error.what());
                }
            }
            finished.set_value();
            PostMessage(target, WM_PANEL_ALBUMDONE, number, 0);
        });
    } catch (const std::system_error& error) {
        Trace("ThreadAlbumImpl Exception! %.512s", error.what());
        return 0;
    }
    m_run = std::move(run);
    return m_run->number;
}

bool CAlbumWorker::WaitIdle(std::chrono::milliseconds wait) { return !m_run || m_run->WaitFor(wait); }

WPARAM CAlbumWorker::CurrentRun() const { return m_run ? m_run->number : 0; }

void CAlbumWorker::Terminate(std::uint32_t exitCode) {
    m_exitCode = exitCode;
    if (!m_run) return;
    m_run->client->CloseHandles();
    EndRun(m_run->WaitFor(kCancelWait));
}

void CAlbumWorker::EndRun(bool join) {
    // A thread that did not end in time keeps its own job and client and
    // posts under a number nobody answers to any more.
    if (join) m_run->thread.join();
    else m_run->thread.detach();
    m_run.reset();
}
