#pragma once

#include <atomic>
#include <condition_variable>
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

// Serves streams on 127.0.0.1, on several ports, under unguessable one-off
// paths, with Range. A body of unknown length goes chunked, so that a
// handler failing midway fails the request instead of ending it early.
class StreamServer {
 public:
  static StreamServer* Instance();
  // The URL that serves the body of `job` (with the response's status, MIME
  // type and headers) once, until the server stops.
  std::string Publish(CefRefPtr<ResourceJob> job, CefRefPtr<CefResponse> response, int64 length);
  static void Shutdown();

 private:
  StreamServer();
  ~StreamServer();
  void AcceptLoop();
  void Accept(int listener);
  void Serve(int socket);
  static std::string ReadHead(int socket, std::string& received);
  bool Answer(int socket, const std::string& head);
  struct Item;
  // Writes the body (or the part the range names); false when it could not be sent whole.
  static bool SendBody(int socket, Item& item, int64 from, int64 left, bool chunked);

  static constexpr size_t kPorts = 8;
  std::vector<int> listeners_;
  std::vector<int> ports_;
  std::atomic<size_t> next_{0};  // the port of the next stream
  int wake_[2] = {-1, -1};
  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<Item>> items_;
  std::thread acceptor_;
  // Connections are served on detached threads; shutdown closes their
  // sockets and waits for them.
  std::set<int> connections_;
  std::condition_variable idle_;
};

}  // namespace cefcompat
