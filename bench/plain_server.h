#pragma once

#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

// The peer of archive and folder pages: a plain static file server on
// 127.0.0.1 as a site would run one (cpp-httplib: a pool of threads started
// once, connections kept alive). It answers as a well-made server does:
// Content-Type from the extension, an ETag and Last-Modified from each file's
// size and modification time, `Cache-Control: no-cache` (revalidate each use),
// and 304 to a conditional request whose validator still holds. A first path
// segment `/r<N>/` is dropped, so that a benchmark can give each cold run
// URLs of its own that no cache holds.
class PlainServer {
 public:
  explicit PlainServer(std::string folder);
  ~PlainServer();
  int Port() const { return port_; }
  // Full responses and 304s sent so far (any thread).
  int Sent() const;
  int NotModified() const;

 private:
  struct Counts;
  std::string root_;
  std::unique_ptr<httplib::Server> server_;
  std::shared_ptr<Counts> counts_;
  std::thread thread_;
  int port_ = 0;
};
