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

std::vector<QByteArray> TestHttpServer::RequestsFor(const QByteArray& path) const {
  const auto it = m_ranges.find(path);
  return it == m_ranges.end() ? std::vector<QByteArray>() : it->second;
}

void TestHttpServer::OnConnection() {
  while (QTcpSocket* socket = m_server.nextPendingConnection()) {
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket]() {
      const QByteArray request = socket->peek(socket->bytesAvailable());
      if (!request.contains("\r\n\r\n")) return;
      socket->readAll();
      Answer(socket, request);
    });
  }
}

namespace {

// The header `name` of a request head; empty when absent.
QByteArray RequestHeader(const QByteArray& request, const QByteArray& name) {
  for (const QByteArray& line : request.split('\n')) {
    const int colon = line.indexOf(':');
    if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower()) return line.mid(colon + 1).trimmed();
  }
  return QByteArray();
}

// Writes `body` a piece at a time, then closes.
void Trickle(QTcpSocket* socket, QByteArray body, int chunkBytes, int delayMs) {
  if (socket->state() != QAbstractSocket::ConnectedState) return;
  socket->write(body.left(chunkBytes));
  body.remove(0, chunkBytes);
  if (body.isEmpty()) return socket->disconnectFromHost();
  QTimer::singleShot(delayMs, socket, [socket, body, chunkBytes, delayMs] { Trickle(socket, body, chunkBytes, delayMs); });
}

}  // namespace

void TestHttpServer::Answer(QTcpSocket* socket, const QByteArray& request) {
  const QByteArray path = request.split(' ').value(1).split('?').value(0);
  const QByteArray rangeHeader = RequestHeader(request, "Range");
  m_ranges[path].push_back(rangeHeader);
  const auto it = m_routes.find(path);
  Response response = it == m_routes.end() ? Response{404, "text/plain", "not found", 0, {}, 0, 0, false} : it->second;
  QByteArray status = QByteArray::number(response.status) + " X";
  QByteArray extra = response.headers;
  if (!extra.toLower().contains("cache-control:")) extra += "Cache-Control: no-store\r\n";
  if (response.ranges) extra += "Accept-Ranges: bytes\r\n";
  if (response.ranges && rangeHeader.startsWith("bytes=")) {
    const qint64 from = rangeHeader.mid(6).split('-').value(0).toLongLong();
    const qint64 size = response.body.size();
    extra += "Content-Range: bytes " + QByteArray::number(from) + "-" + QByteArray::number(size - 1) + "/" +
             QByteArray::number(size) + "\r\n";
    response.body = response.body.mid(static_cast<int>(from));
    status = "206 Partial Content";
  }
  auto answer = [socket, response, status, extra]() {
    QByteArray head = "HTTP/1.1 " + status + "\r\nContent-Type: " + response.contentType +
                      "\r\nContent-Length: " + QByteArray::number(response.body.size()) +
                      "\r\nConnection: close\r\n" + extra + "\r\n";
    if (response.chunkBytes <= 0) {
      socket->write(head + response.body);
      return socket->disconnectFromHost();
    }
    socket->write(head);
    Trickle(socket, response.body, response.chunkBytes, response.chunkDelayMs);
  };
  if (response.delayMs > 0) {
    QTimer::singleShot(response.delayMs, socket, answer);
  } else {
    answer();
  }
}
