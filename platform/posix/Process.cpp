#include "platform/Process.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace tonvik::platform {
namespace {

constexpr int kWatchedSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The signal handler can reach nothing but these: the write end of the pipe
// the watcher reads, and whether a watcher is active.
std::atomic<int> g_signalPipeWrite{-1};
std::atomic<bool> g_watcherActive{false};

extern "C" void OnTerminationSignal(int signalNumber) {
    const int saved = errno;
    const int fd = g_signalPipeWrite.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

void TerminateProcess(unsigned exitCode) {
    std::fflush(nullptr);
    ::_exit(static_cast<int>(exitCode & 0xFFu));
}

TerminationWatcher::TerminationWatcher(std::function<void(int)> onRequest, QObject* parent)
    : QObject(parent), m_onRequest(std::move(onRequest)) {
    if (g_watcherActive.exchange(true)) return;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_watcherActive = false;
        return;
    }
    g_signalPipeWrite = fds[1];
    auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, this);
    QObject::connect(notifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
    m_notifier = notifier;

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kWatchedSignals) ::sigaction(signalNumber, &action, nullptr);
    m_watching = true;
}

TerminationWatcher::~TerminationWatcher() {
    if (!m_watching) return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kWatchedSignals) ::sigaction(signalNumber, &action, nullptr);
    const int writeEnd = g_signalPipeWrite.exchange(-1);
    auto* notifier = static_cast<QSocketNotifier*>(m_notifier);
    const int readEnd = static_cast<int>(notifier->socket());
    delete notifier;
    ::close(readEnd);
    ::close(writeEnd);
    g_watcherActive = false;
}

void TerminationWatcher::OnReadable() {
    auto* notifier = static_cast<QSocketNotifier*>(m_notifier);
    unsigned char byte = 0;
    int last = 0;
    while (::read(static_cast<int>(notifier->socket()), &byte, 1) == 1) last = byte;
    if (last != 0 && m_onRequest) m_onRequest(last);
}

}  // namespace tonvik::platform
