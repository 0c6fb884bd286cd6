#include "albums/ServiceWorker.h"

#include "common/MessageIds.h"
#include "common/Trace.h"
#include "service/HttpClient.h"

#include <exception>
#include <future>
#include <system_error>
#include <thread>

struct CServiceWorker::Run {
    std::thread thread;
    std::shared_future<void> finished;
    std::shared_ptr<GenericHTTPClient> client;
    WPARAM number = 0;

    bool WaitFor(std::chrono::milliseconds wait) const {
        return finished.wait_for(wait) == std::future_status::ready;
    }
};

CServiceWorker::CServiceWorker(CMessageHandle target, unsigned doneMessage, const char* name)
    : m_target(std::move(target)), m_doneMessage(doneMessage), m_name(name) {}

CServiceWorker::~CServiceWorker() {
    if (!m_run) return;
    m_run->client->CloseHandles();
    EndRun(m_run->WaitFor(kCancelWait));
}

WPARAM CServiceWorker::Start(Job job) {
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
                                   message = m_doneMessage, name = m_name, number = run->number,
                                   finished = std::move(finished)]() mutable {
            {
                TRACE_SCOPE("%s", name);
                try {
                    job(*client);
                } catch (const std::exception& error) {
                    Trace("%s Exception! %.512s", name, error.what());
                }
            }
            finished.set_value();
            PostMessage(target, message, number, 0);
        });
    } catch (const std::system_error& error) {
        Trace("%s Exception! %.512s", m_name, error.what());
        return 0;
    }
    m_run = std::move(run);
    return m_run->number;
}

bool CServiceWorker::WaitIdle(std::chrono::milliseconds wait) { return !m_run || m_run->WaitFor(wait); }

WPARAM CServiceWorker::CurrentRun() const { return m_run ? m_run->number : 0; }

void CServiceWorker::Terminate(std::uint32_t exitCode) {
    m_exitCode = exitCode;
    if (!m_run) return;
    m_run->client->CloseHandles();
    EndRun(m_run->WaitFor(kCancelWait));
}

void CServiceWorker::EndRun(bool join) {
    // A thread that did not end in time keeps its own job and client and
    // posts under a number nobody answers to any more.
    if (join) m_run->thread.join();
    else m_run->thread.detach();
    m_run.reset();
}
