#pragma once

#include <functional>
#include <map>
#include <string>

#include <QByteArray>
#include <QTcpServer>

// A small HTTP/1.1 server on 127.0.0.1 for end-to-end tests. Lives on the Qt
// thread and answers while the test waits in an event loop.
class TestHttpServer : public QObject {
  Q_OBJECT

 public:
  struct Response {
    int status = 200;
    QByteArray contentType = "text/html; charset=utf-8";
    QByteArray body;
    int delayMs = 0;  // answer after this long (a slow response)
  };

  TestHttpServer();
  void Route(const QByteArray& path, Response response);
  quint16 Port() const { return m_server.serverPort(); }
  std::string Url(const std::string& path) const;
  // A port on which nothing listens (connections are refused).
  static quint16 ClosedPort();

 private:
  void OnConnection();

  QTcpServer m_server;
  std::map<QByteArray, Response> m_routes;
};
