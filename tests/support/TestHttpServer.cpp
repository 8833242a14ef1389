#include "TestHttpServer.h"

#include <QTcpSocket>
#include <QTimer>

TestHttpServer::TestHttpServer() {
  m_server.listen(QHostAddress::LocalHost, 0);
  connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::OnConnection);
}

void TestHttpServer::Route(const QByteArray& path, Response response) { m_routes[path] = std::move(response); }

std::string TestHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(Port()) + path;
}

quint16 TestHttpServer::ClosedPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  const quint16 port = probe.serverPort();
  probe.close();
  return port;
}

void TestHttpServer::OnConnection() {
  while (QTcpSocket* socket = m_server.nextPendingConnection()) {
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket]() {
      const QByteArray request = socket->peek(socket->bytesAvailable());
      if (!request.contains("\r\n\r\n")) return;
      socket->readAll();
      const QByteArray path = request.split(' ').value(1).split('?').value(0);
      const auto it = m_routes.find(path);
      Response response = it == m_routes.end() ? Response{404, "text/plain", "not found", 0} : it->second;
      auto answer = [socket, response]() {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " X\r\nContent-Type: " +
                          response.contentType + "\r\nContent-Length: " + QByteArray::number(response.body.size()) +
                          "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
        socket->write(head + response.body);
        socket->disconnectFromHost();
      };
      if (response.delayMs > 0) {
        QTimer::singleShot(response.delayMs, socket, answer);
      } else {
        answer();
      }
    });
  }
}
