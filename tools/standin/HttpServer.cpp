#include "tools/standin/HttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <utility>

namespace standin {

CHttpServer::CHttpServer(CHttpConnection::Handler handler, CHttpConnection::HangObserver hangObserver)
    : m_handler(std::move(handler)), m_hangObserver(std::move(hangObserver)) {
    m_server.setMaxPendingConnections(256);
    connect(&m_server, &QTcpServer::newConnection, this, &CHttpServer::OnNewConnection);
}

CHttpServer::~CHttpServer() {
    m_server.close();
    // Connections go before the server's members they call back into.
    const auto connections = findChildren<CHttpConnection*>(Qt::FindDirectChildrenOnly);
    for (CHttpConnection* connection : connections) delete connection;
}

int CHttpServer::Listen(int port) {
    if (port < 0 || port > 65535) return -1;
    if (!m_server.listen(QHostAddress::LocalHost, static_cast<quint16>(port))) return -1;
    return m_server.serverPort();
}

void CHttpServer::EndHung(const std::string& path, bool drop) {
    const auto connections = findChildren<CHttpConnection*>(Qt::FindDirectChildrenOnly);
    for (CHttpConnection* connection : connections) {
        if (!connection->IsHung() || (!path.empty() && connection->HungPath() != path)) continue;
        if (drop) connection->Drop();
        else connection->Release();
    }
}

void CHttpServer::OnNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        new CHttpConnection(socket, m_handler, m_hangObserver, this);
    }
}

}  // namespace standin
