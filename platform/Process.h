#pragma once
// Ending the process and hearing the system ask it to end.

#include <QObject>

#include <functional>

namespace tonvik::platform {

// Ends the process at once with `exitCode`: no destructors, no exit
// handlers, no return through the event loop. Whatever must not be left
// behind has to be released before. The exit code is the low 8 bits here
// (0xFFFFFFFF shows as 255).
[[noreturn]] void TerminateProcess(unsigned exitCode);

// Turns the termination requests of the system (SIGTERM, SIGINT, SIGHUP) into
// a call of `onRequest` on the thread that owns this object, from its event
// loop. One watcher per process; a second one does not watch anything.
class TerminationWatcher : public QObject {
public:
    explicit TerminationWatcher(std::function<void(int signalNumber)> onRequest, QObject* parent = nullptr);
    ~TerminationWatcher() override;
    TerminationWatcher(const TerminationWatcher&) = delete;
    TerminationWatcher& operator=(const TerminationWatcher&) = delete;

    // False when another watcher was active or the system refused.
    bool IsWatching() const { return m_watching; }

private:
    void OnReadable();

    std::function<void(int)> m_onRequest;
    bool m_watching = false;
    QObject* m_notifier = nullptr;
};

}  // namespace tonvik::platform
