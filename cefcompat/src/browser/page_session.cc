#include "browser/page_session.h"

#include "browser/runtime.h"

namespace cefcompat {

void PageSession::SetIds(std::string targetId, std::string sessionId) {
  targetId_ = std::move(targetId);
  sessionId_ = std::move(sessionId);
}

void PageSession::Send(const std::string& method, Json params, Connection::ReplyCallback callback) const {
  Runtime* runtime = Runtime::Get();
  if (!runtime || sessionId_.empty()) {
    if (callback) callback({false, {}, method + ": browser has no session"});
    return;
  }
  runtime->GetConnection().Send(method, std::move(params), sessionId_, std::move(callback));
}

void PageSession::SendToChromium(const std::string& method, Json params, Connection::ReplyCallback callback) {
  Runtime* runtime = Runtime::Get();
  if (!runtime) {
    if (callback) callback({false, {}, method + ": the runtime is gone"});
    return;
  }
  runtime->GetConnection().Send(method, std::move(params), "", std::move(callback));
}

void PageSession::On(const std::string& method, EventHandler handler) { handlers_.emplace(method, std::move(handler)); }

void PageSession::AddReportingScript(const std::string& binding, const std::string& script, ReportHandler report) {
  On("Runtime.bindingCalled", [binding, report = std::move(report)](const Json& params) {
    if (params.value("name", std::string()) != binding) return;
    const Json payload = Json::parse(params.value("payload", std::string("{}")), nullptr, false);
    if (payload.is_object()) report(payload, params);
  });
  Send("Runtime.addBinding", {{"name", binding}});
  Send("Page.addScriptToEvaluateOnNewDocument", {{"source", script}});
}

void PageSession::Dispatch(const std::string& method, const Json& params) const {
  const auto [first, last] = handlers_.equal_range(method);
  for (auto it = first; it != last; ++it) it->second(params);
}

}  // namespace cefcompat
