#include "tools/standin/ServerThread.h"

#include "tools/standin/HttpServer.h"

#include <QDeadlineTimer>
#include <QMetaObject>

#include <chrono>

namespace standin {

CServerThread::CServerThread(CHttpConnection::Handler handler, CHttpConnection::HangObserver hangObserver, int port)
    : m_handler(std::move(handler)), m_hangObserver(std::move(hangObserver)), m_requestedPort(port) {}

CServerThread::~CServerThread() { StopAndWait(); }

int CServerThread::StartListening(std::string& error) {
    start();
    std::unique_lock lock(m_lock);
    if (!m_ready.wait_for(lock, std::chrono::seconds(10), [this] { return m_started; })) {
        error = "the server thread did not start";
        return -1;
    }
    if (m_port < 0) error = m_error;
    return m_port;
}

bool CServerThread::StopAndWait() {
    if (!isRunning()) return true;
    quit();
    return wait(QDeadlineTimer(5000));
}

void CServerThread::EndHung(const std::string& path, bool drop) {
    std::lock_guard lock(m_lock);
    if (!m_server) return;
    CHttpServer* server = m_server;
    QMetaObject::invokeMethod(server, [server, path, drop] { server->EndHung(path, drop); }, Qt::QueuedConnection);
}

void CServerThread::run() {
    CHttpServer server(m_handler, m_hangObserver);
    const int port = server.Listen(m_requestedPort);
    {
        std::lock_guard lock(m_lock);
        m_started = true;
        m_port = port;
        if (port < 0) {
            m_error = "cannot listen on 127.0.0.1:" + std::to_string(m_requestedPort) + ": " +
                      server.ErrorText().toStdString();
        } else {
            m_server = &server;
        }
    }
    m_ready.notify_all();
    if (port < 0) return;
    exec();
    std::lock_guard lock(m_lock);
    m_server = nullptr;
}

}  // namespace standin
