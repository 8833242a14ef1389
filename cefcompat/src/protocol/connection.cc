#include "protocol/connection.h"

#include <chrono>
#include <cstdlib>
#include <future>

#include <QDebug>

#include "base/log.h"
#include "protocol/message_parsing.h"

namespace cefcompat {

namespace {

// CEFCOMPAT_TRACE=1 writes every protocol message (cut at 300 bytes) to the log.
bool TraceEnabled() {
  static const bool enabled = std::getenv("CEFCOMPAT_TRACE") != nullptr;
  return enabled;
}

// Each line starts with the milliseconds since the first traced message.
void Trace(const char* direction, const std::string& text) {
  if (!TraceEnabled()) return;
  static const auto start = std::chrono::steady_clock::now();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  qDebug().noquote() << "[cefcompat]" << QString::number(ms, 'f', 1) << direction
                     << QString::fromStdString(text.substr(0, 20000));
}

// A member of a message as the protocol defines it, or `fallback` when the
// message has no such member or one of another type: nothing a peer sends may throw.
std::string StringMember(const Json& object, const char* key, const std::string& fallback = std::string()) {
  const auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : fallback;
}

Json ObjectMember(const Json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_object() ? *it : Json::object();
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
  SendCommand(method, std::move(params), sessionId, {std::move(callback), false});
}

void Connection::SendReplyOnReader(const std::string& method, Json params, const std::string& sessionId,
                                   ReplyCallback callback) {
  SendCommand(method, std::move(params), sessionId, {std::move(callback), true});
}

Connection::Reply Connection::Call(const std::string& method, Json params, const std::string& sessionId,
                                   int timeoutMs) {
  auto promise = std::make_shared<std::promise<Reply>>();
  auto future = promise->get_future();
  SendCommand(method, std::move(params), sessionId,
              {[promise](const Reply& reply) { promise->set_value(reply); }, true});
  if (future.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) {
    return {false, {}, method + " timed out after " + std::to_string(timeoutMs) + " ms"};
  }
  return future.get();
}

bool Connection::SendRaw(const Json& message) {
  const std::string text = message.dump(-1, ' ', false, Json::error_handler_t::replace);
  Trace("->", text);
  return transport_->Send(text);
}

void Connection::SendCommand(const std::string& method, Json params, const std::string& sessionId,
                             Pending pending) {
  Json message = {{"method", method}, {"params", params.is_null() ? Json::object() : std::move(params)}};
  if (!sessionId.empty()) message["sessionId"] = sessionId;
  int64_t id = 0;
  ReplyCallback refused;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!closed_) {
      id = nextId_++;
      pending_[id] = std::move(pending);
    } else {
      refused = std::move(pending.callback);
    }
  }
  if (id == 0) {
    if (refused) {
      const Reply reply{false, {}, method + ": connection closed"};
      if (pending.onReader) {
        refused(reply);
      } else {
        executor_([refused, reply] { refused(reply); });
      }
    }
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

void Connection::SetSessionTap(const std::string& sessionId, Tap tap) {
  std::lock_guard<std::mutex> lock(tapsMutex_);
  taps_[sessionId] = std::move(tap);
}

void Connection::RemoveSessionTap(const std::string& sessionId) {
  std::lock_guard<std::mutex> lock(tapsMutex_);
  taps_.erase(sessionId);
}

bool Connection::Tapped(const std::string& text, const Json& message) {
  const auto session = message.find("sessionId");
  if (session == message.end() || !session->is_string()) return false;
  Tap tap;
  {
    std::lock_guard<std::mutex> lock(tapsMutex_);
    const auto it = taps_.find(session->get_ref<const std::string&>());
    if (it == taps_.end()) return false;
    tap = it->second;
  }
  tap(text, message);
  return true;
}

void Connection::Close() { transport_->Close(); }

void Connection::OnMessage(std::string text) {
  Trace("<-", text);
  Json message = ParseProtocolMessage(text);
  if (message.is_discarded() || !message.is_object()) {
    Log(LOGSEVERITY_ERROR, "dropping malformed protocol message: " + text.substr(0, 200));
    return;
  }
  if (fastPath_ && fastPath_(message)) return;
  const auto id = message.find("id");
  if (id == message.end() || !id->is_number_integer()) {
    if (Tapped(text, message)) return;
    executor_([this, message = std::move(message)] { Route(message); });
    return;
  }
  Pending pending;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = pending_.find(id->get<int64_t>());
    if (it == pending_.end()) {
      Log(LOGSEVERITY_VERBOSE, "reply for unknown command id " + id->dump());
      return;
    }
    pending = std::move(it->second);
    pending_.erase(it);
  }
  if (!pending.callback) return;
  Reply reply;
  if (message.contains("error")) {
    reply.error = StringMember(ObjectMember(message, "error"), "message", "protocol error");
  } else {
    reply.ok = true;
    reply.result = ObjectMember(message, "result");
  }
  if (pending.onReader) {
    pending.callback(reply);
    return;
  }
  executor_([callback = std::move(pending.callback), reply = std::move(reply)] { callback(reply); });
}

void Connection::OnClosed(const std::string& reason) {
  std::map<int64_t, Pending> failed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    failed.swap(pending_);
  }
  for (auto& entry : failed) {
    if (!entry.second.callback) continue;
    const Reply reply{false, {}, "connection closed: " + reason};
    if (entry.second.onReader) {
      entry.second.callback(reply);
      continue;
    }
    executor_([callback = std::move(entry.second.callback), reply] { callback(reply); });
  }
  // Handed over with its one call: what the handler holds goes once it has run.
  if (onClosed_) executor_([onClosed = std::move(onClosed_), reason] { onClosed(reason); });
}

void Connection::Route(const Json& message) {
  const std::string sessionId = StringMember(message, "sessionId");
  const auto handler = sessions_.find(sessionId);
  if (handler == sessions_.end()) {
    Log(LOGSEVERITY_VERBOSE, "event for unknown session " + sessionId + ": " + StringMember(message, "method"));
    return;
  }
  // A copy: the handler may remove its own session while it runs.
  const EventHandler handle = handler->second;
  handle(StringMember(message, "method"), ObjectMember(message, "params"));
}

}  // namespace cefcompat
