#include "file_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

FileServer::FileServer(std::string name, std::string body) : name_(std::move(name)), body_(std::move(body)) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listener_, 8) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (listener_ >= 0) close(listener_);
    listener_ = -1;
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

FileServer::~FileServer() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) close(listener_);
}

std::string FileServer::Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/" + name_; }

// Wakes every 100 ms to see whether it should stop.
void FileServer::Serve() {
  while (!stopping_) {
    pollfd waiting = {listener_, POLLIN, 0};
    if (poll(&waiting, 1, 100) <= 0) continue;
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    Answer(connection);
    close(connection);
  }
}

void FileServer::Answer(int connection) const {
  std::string head;
  char buffer[1024];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
    pollfd waiting = {connection, POLLIN, 0};
    if (poll(&waiting, 1, 5000) <= 0) return;
    const ssize_t got = read(connection, buffer, sizeof(buffer));
    if (got <= 0) return;
    head.append(buffer, static_cast<size_t>(got));
  }
  const bool found = head.rfind("GET /" + name_ + " ", 0) == 0;
  const std::string body = found ? body_ : "not found\n";
  const std::string response = std::string(found ? "HTTP/1.1 200 OK" : "HTTP/1.1 404 Not Found") +
                               "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                               "\r\nConnection: close\r\n\r\n" + body;
  for (size_t sent = 0; sent < response.size();) {
    const ssize_t wrote = write(connection, response.data() + sent, response.size() - sent);
    if (wrote <= 0) return;
    sent += static_cast<size_t>(wrote);
  }
}
