#include "protocol/session_relay.h"

#include "protocol/link.h"
#include "browser/runtime.h"

namespace cefcompat {

namespace {
bool IsSetupScript(const Json& event) {
  const auto params = event.find("params");
  return params != event.end() && params->is_object() && LinkString(*params, "url") == kSetupScriptUrl;
}
}  // namespace

void SessionRelay::Attach(Transport* link) {
  std::lock_guard<std::mutex> lock(mutex_);
  link_ = link;
}

void SessionRelay::Watch(const std::string& sessionId) {
  Runtime* runtime = Runtime::Get();
  if (!runtime) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_) return;
    sessions_.insert(sessionId);
  }
  std::weak_ptr<SessionRelay> weak = weak_from_this();
  runtime->GetConnection().SetSessionTap(sessionId, [weak](const std::string& text, const Json& event) {
    if (auto self = weak.lock()) self->OnEvent(text, event);
  });
}

void SessionRelay::OnEvent(const std::string& text, const Json& event) {
  const std::string method = event.value("method", std::string());
  if (method == "Debugger.scriptParsed" && !IsSetupScript(event)) return;
  const bool attached = method == "Target.attachedToTarget";
  if (!attached && method != "Target.detachedFromTarget") {
    SendDown(text);
    return;
  }
  const std::string child = event.value("params", Json::object()).value("sessionId", std::string());
  // A child's first events follow its attachment on this same thread: watch it first.
  if (attached) Watch(child);
  SendDown(text);
  if (attached) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sessions_.erase(child);
  }
  if (Runtime* runtime = Runtime::Get()) runtime->GetConnection().RemoveSessionTap(child);
}

void SessionRelay::RelayCommand(const Json& command) {
  const Json id = command.value("id", Json());
  const std::string sessionId = LinkString(command, "sessionId");
  Runtime* runtime = Runtime::Get();
  if (!runtime || !Watches(sessionId)) {
    ReplyDown(id, sessionId, {false, {}, "not a session of this render side"});
    return;
  }
  std::weak_ptr<SessionRelay> weak = weak_from_this();
  const auto params = command.find("params");
  runtime->GetConnection().SendReplyOnReader(LinkString(command, "method"),
                                             params != command.end() && params->is_object() ? *params : Json::object(),
                                             sessionId, [weak, id, sessionId](const Connection::Reply& reply) {
                                               if (auto self = weak.lock()) self->ReplyDown(id, sessionId, reply);
                                             });
}

void SessionRelay::ReplyDown(const Json& id, const std::string& sessionId, const Connection::Reply& reply) {
  Json answer = {{"id", id}, {"sessionId", sessionId}};
  if (reply.ok) {
    answer["result"] = reply.result;
  } else {
    answer["error"] = {{"message", reply.error}};
  }
  SendDown(answer.dump(-1, ' ', false, Json::error_handler_t::replace));
}

bool SessionRelay::SendDown(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  return !stopped_ && link_ && link_->Send(text);
}

bool SessionRelay::Watches(const std::string& sessionId) {
  std::lock_guard<std::mutex> lock(mutex_);
  return !stopped_ && sessions_.count(sessionId) > 0;
}

void SessionRelay::Stop() {
  std::set<std::string> sessions;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    sessions.swap(sessions_);
  }
  Runtime* runtime = Runtime::Get();
  if (!runtime) return;
  for (const auto& session : sessions) runtime->GetConnection().RemoveSessionTap(session);
}

}  // namespace cefcompat
