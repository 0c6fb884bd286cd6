#pragma once
// A worker of the my-music panel: one thread at a time that runs a job
// against the service and then posts its done message to its target, with
// the run's number in wParam. The album worker and the recommendation
// worker are two of these. The user-interface thread waits for it only with
// a bound. A run that has to end by force has its exchange cancelled and is
// abandoned: its number is retired, so whatever it reports afterwards is
// ignored, and it touches nothing but what its job owns.

#include "common/MessageIds.h"
#include "common/WindowMessage.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class GenericHTTPClient;

class CServiceWorker {
public:
    // A run's work. It may touch only what it owns (its own records) and the
    // client it is given, whose exchange the worker can cancel.
    using Job = std::function<void(GenericHTTPClient& client)>;
    // How long an ending by force waits for the cancelled exchange to end.
    static constexpr std::chrono::milliseconds kCancelWait{500};

    // Runs post `doneMessage` to `target`; `name` opens each run's trace
    // scope and names its exceptions.
    explicit CServiceWorker(CMessageHandle target, unsigned doneMessage = WM_PANEL_ALBUMDONE,
                            const char* name = "ThreadAlbumImpl");
    // A job still running is ended by force.
    ~CServiceWorker();
    CServiceWorker(const CServiceWorker&) = delete;
    CServiceWorker& operator=(const CServiceWorker&) = delete;

    // Starts `job` on a new thread; the run's number, or 0 when the last run
    // has not ended yet or no thread could be started.
    WPARAM Start(Job job);
    // True when there is no run or the last one has ended, waiting at most
    // `wait` for it.
    bool WaitIdle(std::chrono::milliseconds wait);
    // The number of the last run started and not abandoned; 0 for none.
    WPARAM CurrentRun() const;
    // Ends the last run by force: cancels its exchange, waits at most
    // kCancelWait for it and abandons it; records `exitCode`.
    void Terminate(std::uint32_t exitCode);
    // 0, or the code recorded by the last Terminate.
    std::uint32_t ExitCode() const { return m_exitCode; }

private:
    struct Run;
    void EndRun(bool join);

    CMessageHandle m_target;
    unsigned m_doneMessage;
    const char* m_name;
    std::unique_ptr<Run> m_run;
    WPARAM m_lastNumber = 0;
    std::uint32_t m_exitCode = 0;
};
