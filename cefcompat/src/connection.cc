#include "connection.h"

#include <cstdlib>

#include <QDebug>

#include "log.h"

namespace cefcompat {

namespace {

// CEFCOMPAT_TRACE=1 writes every protocol message (cut at 300 bytes) to the log.
bool TraceEnabled() {
  static const bool enabled = std::getenv("CEFCOMPAT_TRACE") != nullptr;
  return enabled;
}

void Trace(const char* direction, const std::string& text) {
  if (TraceEnabled()) qDebug().noquote() << "[cefcompat]" << direction << QString::fromStdString(text.substr(0, 20000));
}

}  // namespace

Connection::Connection(std::unique_ptr<Transport> transport, Executor executor)
    : transport_(std::move(transport)), executor_(std::move(executor)) {}

Connection::~Connection() { Close(); }

void Connection::Start(std::function<void(const std::string&)> onClosed) {
  onClosed_ = std::move(onClosed);
  transport_->Start([this](std::string text) { OnMessage(std::move(text)); },
                    [this](const std::string& reason) { OnClosed(reason); });
}

void Connection::SetFastPath(FastPath fastPath) { fastPath_ = std::move(fastPath); }

void Connection::Send(const std::string& method, Json params, const std::string& sessionId,
                      ReplyCallback callback) {
  Json message = {{"method", method}, {"params", params.is_null() ? Json::object() : std::move(params)}};
  if (!sessionId.empty()) message["sessionId"] = sessionId;
  int64_t id = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!closed_) {
      id = nextId_++;
      pending_[id] = std::move(callback);
    }
  }
  if (id == 0) {
    if (callback) executor_([callback, method] { callback({false, {}, method + ": connection closed"}); });
    return;
  }
  message["id"] = id;
  // A failed write means the transport is closing; OnClosed fails the call.
  const std::string text = message.dump(-1, ' ', false, Json::error_handler_t::replace);
  Trace("->", text);
  transport_->Send(text);
}

void Connection::SetSessionHandler(const std::string& sessionId, EventHandler handler) {
  sessions_[sessionId] = std::move(handler);
}

void Connection::RemoveSession(const std::string& sessionId) { sessions_.erase(sessionId); }

void Connection::Close() { transport_->Close(); }

void Connection::OnMessage(std::string text) {
  Trace("<-", text);
  Json message = Json::parse(text, nullptr, false);
  if (message.is_discarded() || !message.is_object()) {
    Log(LOGSEVERITY_ERROR, "dropping malformed protocol message: " + text.substr(0, 200));
    return;
  }
  if (fastPath_ && fastPath_(message)) return;
  const auto id = message.find("id");
  if (id == message.end() || !id->is_number_integer()) {
    executor_([this, message = std::move(message)] { Route(message); });
    return;
  }
  ReplyCallback callback;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = pending_.find(id->get<int64_t>());
    if (it == pending_.end()) {
      Log(LOGSEVERITY_VERBOSE, "reply for unknown command id " + id->dump());
      return;
    }
    callback = std::move(it->second);
    pending_.erase(it);
  }
  if (!callback) return;
  Reply reply;
  if (message.contains("error")) {
    reply.error = message["error"].value("message", std::string("protocol error"));
  } else {
    reply.ok = true;
    reply.result = message.value("result", Json::object());
  }
  executor_([callback = std::move(callback), reply = std::move(reply)] { callback(reply); });
}

void Connection::OnClosed(const std::string& reason) {
  std::map<int64_t, ReplyCallback> failed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    failed.swap(pending_);
  }
  for (auto& entry : failed) {
    if (!entry.second) continue;
    executor_([callback = std::move(entry.second), reason] { callback({false, {}, "connection closed: " + reason}); });
  }
  if (onClosed_) executor_([this, reason] { onClosed_(reason); });
}

void Connection::Route(const Json& message) {
  const std::string sessionId = message.value("sessionId", std::string());
  const auto handler = sessions_.find(sessionId);
  if (handler == sessions_.end()) {
    Log(LOGSEVERITY_VERBOSE, "event for unknown session " + sessionId + ": " + message.value("method", std::string()));
    return;
  }
  // A copy: the handler may remove its own session while it runs.
  const EventHandler handle = handler->second;
  handle(message.value("method", std::string()), message.value("params", Json::object()));
}

}  // namespace cefcompat
