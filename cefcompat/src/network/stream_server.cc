#include "network/stream_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QUuid>
#include <cstring>

#include "base/ascii.h"
#include "base/log.h"
#include "include/wrapper/cef_stream_resource_handler.h"
#include "network/stream_request.h"

namespace cefcompat {

struct StreamServer::Item {
  CefRefPtr<ResourceJob> job;
  CefRefPtr<CefResponse> response;
  int64 length;
  std::mutex mutex;  // one reader of the stream at a time
};

namespace {
std::mutex g_serverMutex;
StreamServer* g_server = nullptr;

std::string Hex(int64 value) {
  char text[24];
  snprintf(text, sizeof(text), "%llx", static_cast<unsigned long long>(value));
  return text;
}

// The response's entity tag, when it has one (the name in any case).
std::string EntityTagOf(CefRefPtr<CefResponse> response) {
  CefResponse::HeaderMap headers;
  response->GetHeaderMap(headers);
  for (const auto& [name, value] : headers) {
    if (AsciiLower(name.ToString()) == "etag") return value.ToString();
  }
  return {};
}

// 256 random bits in hex: paths other local programs cannot guess.
std::string RandomToken() {
  return QUuid::createUuid().toString(QUuid::Id128).toStdString() +
         QUuid::createUuid().toString(QUuid::Id128).toStdString();
}

bool WriteAll(int socket, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t sent = send(socket, data, size, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}
}  // namespace

StreamServer* StreamServer::Instance() {
  std::lock_guard<std::mutex> lock(g_serverMutex);
  if (!g_server) g_server = new StreamServer();
  return g_server;
}

void StreamServer::Shutdown() {
  std::lock_guard<std::mutex> lock(g_serverMutex);
  delete g_server;
  g_server = nullptr;
}

namespace {
// A listening socket on 127.0.0.1 (loopback only) and its port; -1 when it could not be made.
int Listen(int& port) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof(address);
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener, 64) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    Log(LOGSEVERITY_ERROR, std::string("stream server not started: ") + strerror(errno));
    if (listener >= 0) close(listener);
    return -1;
  }
  port = ntohs(address.sin_port);
  return listener;
}
}  // namespace

StreamServer::StreamServer()
    : secret_(RandomToken()) {
  for (size_t i = 0; i < kPorts; ++i) {
    int port = 0;
    const int listener = Listen(port);
    if (listener < 0) break;
    listeners_.push_back(listener);
    ports_.push_back(port);
  }
  if (listeners_.empty()) return;
  if (pipe2(wake_, O_CLOEXEC) != 0) wake_[0] = wake_[1] = -1;
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

StreamServer::~StreamServer() {
  if (wake_[1] >= 0) (void)!write(wake_[1], "x", 1);
  if (acceptor_.joinable()) acceptor_.join();
  std::unique_lock<std::mutex> lock(mutex_);
  for (int connection : connections_) shutdown(connection, SHUT_RDWR);
  idle_.wait_for(lock, std::chrono::seconds(10), [this] { return connections_.empty(); });
  lock.unlock();
  for (int fd : listeners_) close(fd);
  for (int fd : wake_) {
    if (fd >= 0) close(fd);
  }
}

std::string StreamServer::Publish(CefRefPtr<ResourceJob> job, CefRefPtr<CefResponse> response, int64 length,
                                  bool keepable) {
  // Paths other local programs cannot guess: one-off, or, for what a cache
  // may keep, the same for every request of a URL (a keyed hash of it), so
  // that Chromium's HTTP cache finds what it kept and asks whether it changed.
  const std::string token = keepable ? KeptPath(job->Request()->GetURL().ToString()) : RandomToken();
  auto item = std::make_shared<Item>();
  item->job = job;
  item->response = response;
  item->length = length;
  std::lock_guard<std::mutex> lock(mutex_);
  // Requests of one URL may be under way side by side: each takes the
  // oldest body waiting. Those never asked for (the page went, or the cache
  // still held a fresh copy) give way after a few.
  std::deque<std::shared_ptr<Item>>& waiting = items_[token];
  waiting.push_back(item);
  if (waiting.size() > kWaitingPerPath) {
    waiting.front()->job->Cancel();
    waiting.pop_front();
  }
  if (ports_.empty()) return "http://127.0.0.1:0/" + token;
  // Chromium opens at most six connections to one host and port: streams
  // spread over the ports are sent side by side. A kept path keeps its port.
  const size_t at = keepable ? std::hash<std::string>()(token) : next_++;
  return "http://127.0.0.1:" + std::to_string(ports_[at % ports_.size()]) + "/" + token;
}

bool StreamServer::Keepable(CefRefPtr<ResourceJob> job, CefRefPtr<CefResponse> response, int64 length) {
  CefRefPtr<CefRequest> request = job->Request();
  const int status = response->GetStatus() > 0 ? response->GetStatus() : 200;
  return status == 200 && length >= 0 && request->GetMethod().ToString() == "GET" &&
         request->GetHeaderByName("Range").empty() && !EntityTagOf(response).empty();
}

std::string StreamServer::KeptPath(const std::string& url) const {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(QByteArray::fromStdString(secret_));
  hash.addData(QByteArray::fromStdString(url));
  return "k" + hash.result().toHex().toStdString();
}

void StreamServer::AcceptLoop() {
  std::vector<pollfd> fds = {{wake_[0], POLLIN, 0}};
  for (int listener : listeners_) fds.push_back({listener, POLLIN, 0});
  for (;;) {
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents) return;
    for (size_t i = 1; i < fds.size(); ++i) {
      if (fds[i].revents) Accept(fds[i].fd);
    }
  }
}

// Serves a new connection on `listener` on a thread of its own.
void StreamServer::Accept(int listener) {
  const int socket = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  if (socket < 0) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    connections_.insert(socket);
  }
  std::thread([this, socket] {
    Serve(socket);
    std::lock_guard<std::mutex> lock(mutex_);
    connections_.erase(socket);
    close(socket);
    idle_.notify_all();
  }).detach();
}

// Requests follow each other on one connection (keep-alive) until the client
// closes it, stays idle past the socket's time-out, or a response cannot be
// delimited.
void StreamServer::Serve(int socket) {
  timeval timeout{30, 0};
  setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
  setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
  // A response is written in pieces (its head, then its body): each goes out
  // at once, not when the client acknowledges the one before, which on a
  // keep-alive connection it may delay by tens of milliseconds.
  const int noDelay = 1;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof(noDelay));
  std::string received;
  for (;;) {
    const std::string head = ReadHead(socket, received);
    if (head.empty() || !Answer(socket, head)) return;
  }
}

// The next request head on `socket`; what was read past it stays in `received`.
std::string StreamServer::ReadHead(int socket, std::string& received) {
  constexpr size_t kMaxHead = 65536;
  char buffer[4096];
  size_t end = received.find("\r\n\r\n");
  while (end == std::string::npos && received.size() < kMaxHead) {
    const ssize_t got = recv(socket, buffer, sizeof(buffer), 0);
    if (got <= 0) return std::string();
    received.append(buffer, static_cast<size_t>(got));
    end = received.find("\r\n\r\n");
  }
  if (end == std::string::npos) return std::string();
  std::string head = received.substr(0, end + 4);
  received.erase(0, end + 4);
  return head;
}

// Writes the response to one request; false when the connection must close.
bool StreamServer::Answer(int socket, const std::string& head) {
  const std::string token = StreamToken(head);
  std::shared_ptr<Item> item;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = items_.find(token);
    if (it != items_.end()) {
      item = it->second.front();  // one request per published body
      it->second.pop_front();
      if (it->second.empty()) items_.erase(it);
    }
  }
  if (!item) {
    const char* notFound = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
    return WriteAll(socket, notFound, strlen(notFound));
  }
  std::lock_guard<std::mutex> itemLock(item->mutex);
  if (AnswerUnchanged(socket, head, *item)) return true;
  auto* streamHandler = dynamic_cast<CefStreamResourceHandler*>(item->job->Handler().get());
  const bool seekable = streamHandler && streamHandler->Stream();
  const ByteRange range = RequestedRange(head, item->length);
  // Another handler's range starts where its Skip got to.
  if (range.partial && !seekable && range.from > 0 &&
      item->job->WaitFor([&](ResourceJob::Done done) { item->job->Skip(range.from, done); }) != ERR_NONE) {
    const std::string refused = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" +
                                std::to_string(item->length) + "\r\nContent-Length: 0\r\n\r\n";
    item->job->Cancel();
    return WriteAll(socket, refused.data(), refused.size());
  }
  const bool partial = range.partial;
  const bool chunked = !partial && item->length < 0;
  std::string response = partial ? "HTTP/1.1 206 Partial Content\r\n"
                                 : "HTTP/1.1 " + std::to_string(item->response->GetStatus()) + " OK\r\n";
  CefResponse::HeaderMap headers;
  item->response->GetHeaderMap(headers);
  for (const auto& [name, value] : headers) response += name.ToString() + ": " + value.ToString() + "\r\n";
  if (!item->response->GetMimeType().empty()) response += "Content-Type: " + item->response->GetMimeType().ToString() + "\r\n";
  if (item->length >= 0) response += "Accept-Ranges: bytes\r\n";
  if (partial) {
    response += "Content-Range: bytes " + std::to_string(range.from) + "-" + std::to_string(range.to) + "/" +
                std::to_string(item->length) + "\r\n";
    response += "Content-Length: " + std::to_string(range.to - range.from + 1) + "\r\n";
  } else if (chunked) {
    response += "Transfer-Encoding: chunked\r\n";
  } else {
    response += "Content-Length: " + std::to_string(item->length) + "\r\n";
  }
  response += "Access-Control-Allow-Origin: *\r\nConnection: keep-alive\r\n\r\n";
  const int64 left = partial ? range.to - range.from + 1 : item->length;
  if (WriteAll(socket, response.data(), response.size()) && SendBody(socket, *item, partial ? range.from : 0, left, chunked)) {
    return true;
  }
  // A body cut short fails on the client's side once the connection closes.
  item->job->Cancel();
  return false;
}

// A conditional request for the version the cache holds: 304, the body
// neither read nor sent. True when it was answered so.
bool StreamServer::AnswerUnchanged(int socket, const std::string& head, Item& item) {
  const std::string tag = EntityTagOf(item.response);
  if (tag.empty() || HeaderValue(head, "If-None-Match") != tag) return false;
  std::string response = "HTTP/1.1 304 Not Modified\r\n";
  CefResponse::HeaderMap headers;
  item.response->GetHeaderMap(headers);
  for (const auto& [name, value] : headers) response += name.ToString() + ": " + value.ToString() + "\r\n";
  response += "Connection: keep-alive\r\n\r\n";
  item.job->Cancel();
  // A connection that broke meanwhile ends at its next read.
  (void)WriteAll(socket, response.data(), response.size());
  return true;
}

bool StreamServer::SendBody(int socket, Item& item, int64 from, int64 left, bool chunked) {
  auto* streamHandler = dynamic_cast<CefStreamResourceHandler*>(item.job->Handler().get());
  CefRefPtr<CefStreamReader> stream = streamHandler ? streamHandler->Stream() : nullptr;
  if (stream) stream->Seek(from, SEEK_SET);
  constexpr int kChunk = 256 * 1024;
  std::vector<char> chunk(stream ? kChunk : 0);
  while (left != 0) {
    const int want = left < 0 ? kChunk : static_cast<int>(std::min<int64>(left, kChunk));
    int64 got = 0;
    const char* data = chunk.data();
    if (stream) {
      got = static_cast<int64>(stream->Read(chunk.data(), 1, static_cast<size_t>(want)));
    } else {
      got = item.job->WaitFor([&](ResourceJob::Done done) { item.job->Read(want, done); });
      data = item.job->Data();
    }
    if (got < 0) {
      Log(LOGSEVERITY_WARNING, "resource " + item.job->Request()->GetURL().ToString() + ": the body failed (error " +
                                   std::to_string(got) + ") while it was sent");
      return false;
    }
    if (got == 0) break;
    const std::string size = chunked ? Hex(got) + "\r\n" : std::string();
    if (!WriteAll(socket, size.data(), size.size()) || !WriteAll(socket, data, static_cast<size_t>(got)) ||
        (chunked && !WriteAll(socket, "\r\n", 2))) {
      return false;
    }
    if (left > 0) left -= got;
  }
  if (chunked) return WriteAll(socket, "0\r\n\r\n", 5);
  return left == 0;
}

}  // namespace cefcompat
