#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "include/cef_request.h"
#include "network/resource_job.h"

namespace cefcompat {

// Serves streams on 127.0.0.1, on several ports, under unguessable paths,
// with Range. A body of unknown length goes chunked, so that a handler
// failing midway fails the request instead of ending it early. A whole body
// with an ETag is published under a path of its URL's own, the same each
// time, so Chromium's HTTP cache keeps it; the cache's conditional request
// for the version it holds gets 304 and the body is not read.
class StreamServer {
 public:
  static StreamServer* Instance();
  // The URL that serves the body of `job` (with the response's status, MIME
  // type and headers) once, until the server stops (or, for a body under its
  // URL's own path, until many more of that URL wait). `keepable`: what
  // Keepable answered for it.
  std::string Publish(CefRefPtr<ResourceJob> job, CefRefPtr<CefResponse> response, int64 length, bool keepable);
  static void Shutdown();
  // Whether Chromium's cache may keep the body (a whole answer to a GET, with
  // an ETag so that the cache can ask whether it changed): such a body goes
  // through this server even when it is small.
  static bool Keepable(CefRefPtr<ResourceJob> job, CefRefPtr<CefResponse> response, int64 length);

 private:
  StreamServer();
  ~StreamServer();
  void AcceptLoop();
  void Accept(int listener);
  void Serve(int socket);
  static std::string ReadHead(int socket, std::string& received);
  bool Answer(int socket, const std::string& head);
  struct Item;
  // The path of a keepable body of `url`: a hash of it keyed by this process's secret.
  std::string KeptPath(const std::string& url) const;
  // Answers 304 when the request asks for the version `item` holds; false (nothing written) otherwise.
  static bool AnswerUnchanged(int socket, const std::string& head, Item& item);
  // Writes the body (or the part the range names); false when it could not be sent whole.
  static bool SendBody(int socket, Item& item, int64 from, int64 left, bool chunked);

  static constexpr size_t kPorts = 8;
  const std::string secret_;
  std::vector<int> listeners_;
  std::vector<int> ports_;
  std::atomic<size_t> next_{0};  // the port of the next stream
  int wake_[2] = {-1, -1};
  std::mutex mutex_;
  static constexpr size_t kWaitingPerPath = 16;
  std::map<std::string, std::deque<std::shared_ptr<Item>>> items_;  // by path, oldest first
  std::thread acceptor_;
  // Connections are served on detached threads; shutdown closes their
  // sockets and waits for them.
  std::set<int> connections_;
  std::condition_variable idle_;
};

}  // namespace cefcompat
