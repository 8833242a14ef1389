#pragma once

#include <atomic>
#include <string>
#include <thread>

// A loopback HTTP server with one file, for the download: GET /<name>
// answers the file as text/plain, anything else 404. One connection at a
// time on a thread of its own, until destroyed.
class FileServer {
 public:
  FileServer(std::string name, std::string body);
  ~FileServer();
  FileServer(const FileServer&) = delete;
  FileServer& operator=(const FileServer&) = delete;

  bool Started() const { return listener_ >= 0; }
  // http://127.0.0.1:<port>/<name>
  std::string Url() const;

 private:
  void Serve();
  void Answer(int connection) const;

  const std::string name_;
  const std::string body_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};
