#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QByteArray>
#include <QTcpServer>

// A small HTTP/1.1 server on 127.0.0.1 for end-to-end tests. Lives on the Qt
// thread and answers while the test waits in an event loop.
class QTcpSocket;

class TestHttpServer : public QObject {
  Q_OBJECT

 public:
  struct Response {
    int status = 200;
    QByteArray contentType = "text/html; charset=utf-8";
    QByteArray body;
    int delayMs = 0;  // answer after this long (a slow response)
    QByteArray headers = QByteArray();  // more header lines, each ending in "\r\n" (one may replace Cache-Control)
    // Sent in pieces of this many bytes, one every chunkDelayMs (0: at once).
    int chunkBytes = 0;
    int chunkDelayMs = 0;
    bool ranges = false;  // answers "Range: bytes=N-" with the rest (206)
  };
  // Each request for `path` so far, as its Range header ("" when it had none).
  std::vector<QByteArray> RequestsFor(const QByteArray& path) const;

  TestHttpServer();
  void Route(const QByteArray& path, Response response);
  quint16 Port() const { return m_server.serverPort(); }
  std::string Url(const std::string& path) const;
  // A port on which nothing listens (connections are refused).
  static quint16 ClosedPort();

 private:
  void OnConnection();
  void Answer(QTcpSocket* socket, const QByteArray& request);

  QTcpServer m_server;
  std::map<QByteArray, Response> m_routes;
  std::map<QByteArray, std::vector<QByteArray>> m_ranges;
};
