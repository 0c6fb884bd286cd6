#pragma once
// The stand-in's HTTP/1.x server on 127.0.0.1: accepts connections and gives
// each to a CHttpConnection. Lives on the server's thread.

#include "tools/standin/HttpConnection.h"

#include <QObject>
#include <QTcpServer>

#include <string>

namespace standin {

class CHttpServer : public QObject {
    Q_OBJECT
public:
    CHttpServer(CHttpConnection::Handler handler, CHttpConnection::HangObserver hangObserver);
    ~CHttpServer() override;

    // Listens on 127.0.0.1 at `port` (0: any free port); the port, or -1.
    int Listen(int port);
    QString ErrorText() const { return m_server.errorString(); }

    // Sends the held-back answers of `path` (of every path when empty).
    // Releases (or, with `drop`, resets) the held-back answers of `path`
    // (all when empty).
    void EndHung(const std::string& path, bool drop);

private:
    void OnNewConnection();

    QTcpServer m_server;
    CHttpConnection::Handler m_handler;
    CHttpConnection::HangObserver m_hangObserver;
};

}  // namespace standin
