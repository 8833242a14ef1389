#include "network/fetch_interceptor.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QUuid>
#include <atomic>
#include <cstring>

#include "browser/browser_impl.h"
#include "include/wrapper/cef_stream_resource_handler.h"
#include "base/log.h"
#include "browser/runtime.h"
#include "network/stream_request.h"
#include "base/task_thread.h"

namespace cefcompat {

namespace {

constexpr int64 kInlineBodyLimit = 256 * 1024;

// One paused request. Answered exactly once: the first answer wins, and a
// request nobody answered continues to the network when this goes.
class PendingFetch : public CefBaseRefCounted {
 public:
  PendingFetch(std::string requestId, std::string sessionId) : requestId_(std::move(requestId)), sessionId_(std::move(sessionId)) {}
  ~PendingFetch() override { Continue(); }

  void Continue(const std::string& url = std::string()) {
    Json params = {{"requestId", requestId_}};
    if (!url.empty()) params["url"] = url;
    Answer("Fetch.continueRequest", std::move(params));
  }
  void Fail(const std::string& reason) { Answer("Fetch.failRequest", {{"requestId", requestId_}, {"errorReason", reason}}); }
  void Fulfill(int status, const Json& headers, const std::string& body) {
    Answer("Fetch.fulfillRequest",
           {{"requestId", requestId_},
            {"responseCode", status},
            {"responseHeaders", headers},
            {"body", QByteArray::fromStdString(body).toBase64().toStdString()}});
  }

 private:
  void Answer(const std::string& method, Json params) {
    if (answered_.exchange(true)) return;
    // A request cancelled meanwhile (navigation, closed browser) makes this
    // fail on Chromium's side; nothing is left waiting either way.
    if (Runtime* runtime = Runtime::Get()) runtime->GetConnection().Send(method, std::move(params), sessionId_);
  }

  const std::string requestId_;
  const std::string sessionId_;
  std::atomic<bool> answered_{false};
  IMPLEMENT_REFCOUNTING(PendingFetch);
};

class FetchCallback : public CefRequestCallback {
 public:
  explicit FetchCallback(std::function<void(bool)> done) : done_(std::move(done)) {}
  void Continue(bool allow) override { Finish(allow); }
  void Cancel() override { Finish(false); }

 private:
  void Finish(bool proceed) {
    if (called_.exchange(true)) return;
    auto done = done_;
    if (!Threads::Post(TID_IO, [done, proceed] { done(proceed); })) done(proceed);
  }
  std::function<void(bool)> done_;
  std::atomic<bool> called_{false};
  IMPLEMENT_REFCOUNTING(FetchCallback);
};

Json HeaderList(CefRefPtr<CefResponse> response, int64 length) {
  Json headers = Json::array();
  CefResponse::HeaderMap map;
  response->GetHeaderMap(map);
  bool hasType = false;
  for (const auto& [name, value] : map) {
    hasType = hasType || QByteArray::fromStdString(name.ToString()).toLower() == "content-type";
    headers.push_back({{"name", name.ToString()}, {"value", value.ToString()}});
  }
  if (!hasType && !response->GetMimeType().empty()) headers.push_back({{"name", "Content-Type"}, {"value", response->GetMimeType().ToString()}});
  if (length >= 0) headers.push_back({{"name", "Content-Length"}, {"value", std::to_string(length)}});
  return headers;
}

// Serves a handler's response: inline when small, from the loopback server otherwise.
void Serve(CefRefPtr<CefResourceHandler> handler, CefRefPtr<CefRequest> request, CefRefPtr<PendingFetch> pending) {
  bool handle = false;
  if (!handler->Open(request, handle, nullptr) || !handle) {
    pending->Fail("Aborted");
    return;
  }
  CefRefPtr<CefResponse> response = CefResponse::Create();
  response->SetStatus(200);
  int64 length = -1;
  CefString redirect;
  handler->GetResponseHeaders(response, length, redirect);
  if (!redirect.empty()) {
    pending->Fulfill(302, Json::array({{{"name", "Location"}, {"value", redirect.ToString()}}}), std::string());
    return;
  }
  const bool ranged = !request->GetHeaderByName("Range").empty() || !request->GetHeaderByName("range").empty();
  if (ranged || length < 0 || length > kInlineBodyLimit) {
    pending->Continue(StreamServer::Instance()->Publish(handler, response, length));
    return;
  }
  std::string body;
  body.reserve(static_cast<size_t>(length));
  char chunk[64 * 1024];
  for (int got = 0; handler->Read(chunk, sizeof(chunk), got, nullptr) && got > 0;) body.append(chunk, static_cast<size_t>(got));
  // A body cut short (a damaged archive entry) is a failed load, not a page.
  if (body.size() < static_cast<size_t>(length)) {
    Log(LOGSEVERITY_ERROR, "resource " + request->GetURL().ToString() + ": the body ended after " + std::to_string(body.size()) +
                               " of " + std::to_string(length) + " bytes");
    pending->Fail("Failed");
    return;
  }
  const int status = response->GetStatus() > 0 ? response->GetStatus() : 200;
  pending->Fulfill(status, HeaderList(response, static_cast<int64>(body.size())), body);
}

}  // namespace

FetchInterceptor::FetchInterceptor(BrowserImpl* browser, CefRefPtr<CefClient> client) : browser_(browser), client_(std::move(client)) {}

void FetchInterceptor::OnRequestPaused(const Json& params) {
  CefRefPtr<BrowserImpl> browser(browser_);
  FetchInterceptor* self = this;
  // The interceptor lives as long as its browser; the browser is kept alive by the task.
  Threads::Post(TID_IO, [browser, self, params] { self->Handle(params); });
}

void FetchInterceptor::Handle(const Json& params) {
  CefRefPtr<PendingFetch> pending(new PendingFetch(params.value("requestId", std::string()), browser_->SessionId()));
  auto requestHandler = client_ ? client_->GetRequestHandler() : nullptr;
  if (!requestHandler || !browser_->IsValid()) return;  // continues when `pending` goes
  const Json info = params.value("request", Json::object());
  CefRefPtr<CefRequest> request = CefRequest::Create();
  request->SetURL(info.value("url", std::string()));
  request->SetMethod(info.value("method", std::string("GET")));
  CefRequest::HeaderMap headers;
  const Json requestHeaders = info.value("headers", Json::object());
  for (const auto& [name, value] : requestHeaders.items()) {
    if (value.is_string()) headers.emplace(name, value.get<std::string>());
  }
  request->SetHeaderMap(headers);
  CefRefPtr<CefFrame> frame = browser_->GetFrameByProtocolId(params.value("frameId", std::string()));
  const bool isNavigation = params.value("resourceType", std::string()) == "Document";
  bool disableDefault = false;
  CefRefPtr<CefResourceRequestHandler> handler;
  try {
    handler = requestHandler->GetResourceRequestHandler(browser_, frame, request, isNavigation, false, CefString(), disableDefault);
  } catch (...) {
    Log(LOGSEVERITY_ERROR, "GetResourceRequestHandler threw; the request goes to the network");
  }
  if (!handler) return;
  const std::string networkId = params.value("networkId", std::string());
  if (!networkId.empty()) {
    std::lock_guard<std::mutex> lock(mutex_);
    tracked_[networkId] = {handler, request, frame};
  }
  CefRefPtr<BrowserImpl> browser(browser_);
  auto proceed = [browser, handler, frame, request, pending](bool allowed) {
    if (!allowed) return pending->Fail("Aborted");
    CefRefPtr<CefResourceHandler> resource;
    try {
      resource = handler->GetResourceHandler(browser.get(), frame, request);
      if (resource) Serve(resource, request, pending);
    } catch (...) {
      Log(LOGSEVERITY_ERROR, "a resource handler threw; the request goes to the network");
    }
  };
  cef_return_value_t result = RV_CONTINUE;
  try {
    result = handler->OnBeforeResourceLoad(browser_, frame, request, new FetchCallback(proceed));
  } catch (...) {
    Log(LOGSEVERITY_ERROR, "OnBeforeResourceLoad threw; the request goes to the network");
    return;
  }
  if (result == RV_CANCEL) return pending->Fail("Aborted");
  if (result == RV_CONTINUE) proceed(true);
  // RV_CONTINUE_ASYNC: the callback proceeds; `pending` stays alive in it.
}

void FetchInterceptor::OnResponse(const std::string& networkId, CefRefPtr<CefResponse> response) {
  Tracked tracked;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = tracked_.find(networkId);
    if (it == tracked_.end()) return;
    tracked = it->second;
    tracked_.erase(it);
  }
  CefRefPtr<BrowserImpl> browser(browser_);
  Threads::Post(TID_IO, [browser, tracked, response] {
    tracked.handler->OnResourceResponse(browser.get(), tracked.frame, tracked.request, response);
  });
}

void FetchInterceptor::OnExternalProtocol(const std::string& url, const std::string& frameId) {
  CefRefPtr<BrowserImpl> browser(browser_);
  CefRefPtr<CefClient> client = client_;
  Threads::Post(TID_IO, [browser, client, url, frameId] {
    auto requestHandler = client ? client->GetRequestHandler() : nullptr;
    if (!requestHandler) return;
    CefRefPtr<CefRequest> request = CefRequest::Create();
    request->SetURL(url);
    CefRefPtr<CefFrame> frame = browser->GetFrameByProtocolId(frameId);
    bool disableDefault = false;
    auto handler = requestHandler->GetResourceRequestHandler(browser.get(), frame, request, true, false, CefString(), disableDefault);
    bool allow = false;
    if (handler) handler->OnProtocolExecution(browser.get(), frame, request, allow);
    Log(LOGSEVERITY_INFO, "external protocol " + url + (allow ? ": handed to the operating system" : ": not opened"));
    if (!allow) return;
    if (auto* app = QCoreApplication::instance()) {
      QMetaObject::invokeMethod(app, [url] { QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); });
    }
  });
}

// ---- loopback stream server ----------------------------------------------------

struct StreamServer::Item {
  CefRefPtr<CefResourceHandler> handler;
  CefRefPtr<CefResponse> response;
  int64 length;
  std::mutex mutex;  // one reader of the stream at a time
};

namespace {
std::mutex g_serverMutex;
StreamServer* g_server = nullptr;

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

StreamServer::StreamServer() {
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

std::string StreamServer::Publish(CefRefPtr<CefResourceHandler> handler, CefRefPtr<CefResponse> response, int64 length) {
  // An unguessable path per published stream: other local programs cannot read it.
  const std::string token = QUuid::createUuid().toString(QUuid::Id128).toStdString() +
                            QUuid::createUuid().toString(QUuid::Id128).toStdString();
  auto item = std::make_shared<Item>();
  item->handler = handler;
  item->response = response;
  item->length = length;
  std::lock_guard<std::mutex> lock(mutex_);
  items_[token] = item;
  // Chromium opens at most six connections to one host and port: streams
  // spread over the ports are sent side by side.
  const int port = ports_.empty() ? 0 : ports_[next_++ % ports_.size()];
  return "http://127.0.0.1:" + std::to_string(port) + "/" + token;
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
      item = it->second;
      items_.erase(it);  // one request per published stream
    }
  }
  if (!item) {
    const char* notFound = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
    return WriteAll(socket, notFound, strlen(notFound));
  }
  std::lock_guard<std::mutex> itemLock(item->mutex);
  auto* streamHandler = dynamic_cast<CefStreamResourceHandler*>(item->handler.get());
  CefRefPtr<CefStreamReader> stream = streamHandler ? streamHandler->Stream() : nullptr;
  const ByteRange range = stream ? RequestedRange(head, item->length) : ByteRange{};
  const bool partial = range.partial;
  const int64 from = range.from;
  const int64 to = range.to;
  // Without a length the end of the body is the end of the connection.
  const bool delimited = partial || item->length >= 0;
  std::string response = partial ? "HTTP/1.1 206 Partial Content\r\n"
                                 : "HTTP/1.1 " + std::to_string(item->response->GetStatus()) + " OK\r\n";
  CefResponse::HeaderMap headers;
  item->response->GetHeaderMap(headers);
  for (const auto& [name, value] : headers) response += name.ToString() + ": " + value.ToString() + "\r\n";
  if (!item->response->GetMimeType().empty()) response += "Content-Type: " + item->response->GetMimeType().ToString() + "\r\n";
  if (stream) response += "Accept-Ranges: bytes\r\n";
  if (partial) {
    response += "Content-Range: bytes " + std::to_string(from) + "-" + std::to_string(to) + "/" + std::to_string(item->length) + "\r\n";
    response += "Content-Length: " + std::to_string(to - from + 1) + "\r\n";
  } else if (item->length >= 0) {
    response += "Content-Length: " + std::to_string(item->length) + "\r\n";
  }
  response += std::string("Access-Control-Allow-Origin: *\r\nConnection: ") + (delimited ? "keep-alive" : "close") +
              "\r\n\r\n";
  bool ok = WriteAll(socket, response.data(), response.size());
  int64 left = partial ? to - from + 1 : item->length;
  if (stream) stream->Seek(partial ? from : 0, SEEK_SET);
  char chunk[256 * 1024];
  while (ok && (left != 0)) {
    int got = 0;
    const int want = left < 0 ? static_cast<int>(sizeof(chunk)) : static_cast<int>(std::min<int64>(left, sizeof(chunk)));
    if (stream) {
      got = static_cast<int>(stream->Read(chunk, 1, static_cast<size_t>(want)));
    } else if (!item->handler->Read(chunk, want, got, nullptr)) {
      got = 0;
    }
    if (got <= 0) break;
    ok = WriteAll(socket, chunk, static_cast<size_t>(got));
    if (left > 0) left -= got;
  }
  // A body cut short leaves the client waiting for bytes that never come.
  return ok && delimited && left == 0;
}

}  // namespace cefcompat
