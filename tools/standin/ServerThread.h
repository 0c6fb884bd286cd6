#pragma once
// The thread the HTTP server lives on: it listens, runs the Qt event loop
// until told to stop, and closes every connection on the way out.

#include "tools/standin/HttpConnection.h"

#include <QThread>

#include <condition_variable>
#include <mutex>
#include <string>

namespace standin {

class CHttpServer;

class CServerThread : public QThread {
public:
    CServerThread(CHttpConnection::Handler handler, CHttpConnection::HangObserver hangObserver, int port);
    ~CServerThread() override;

    // Starts the thread and waits (bounded) until it listens: the port, or
    // -1 with `error` set.
    int StartListening(std::string& error);
    // Ends the event loop and waits (bounded) for the thread; false when it
    // did not end in time.
    bool StopAndWait();
    void EndHung(const std::string& path, bool drop);

protected:
    void run() override;

private:
    CHttpConnection::Handler m_handler;
    CHttpConnection::HangObserver m_hangObserver;
    int m_requestedPort;

    std::mutex m_lock;
    std::condition_variable m_ready;
    bool m_started = false;
    int m_port = -1;
    std::string m_error;
    CHttpServer* m_server = nullptr;  // while the event loop runs
};

}  // namespace standin
