#include "render/render_sessions.h"

#include "render/page_script.h"
#include "render/setup_script.h"

namespace cefcompat {

namespace {

// What the page's debugger may keep of scripts that are no longer in use.
constexpr double kDebuggerScriptCacheBytes = 4 * 1024 * 1024;

}  // namespace

void RenderSessions::SetUp(const std::string& sessionId, bool isRoot) {
  sessions_.insert(sessionId);
  CefRefPtr<CefBaseRefCounted> owner(owner_);
  connection_.SetSessionHandler(sessionId, [owner, this, sessionId](const std::string& method, const Json& params) {
    onEvent_(sessionId, method, params);
  });
  connection_.Send("Runtime.enable", Json::object(), sessionId);
  connection_.Send("Page.enable", Json::object(), sessionId);
  // Without a bound the debugger keeps every script the page has run and no
  // longer uses, each evaluation of ours included: about 1 KB per native call.
  connection_.Send("Debugger.enable", {{"maxScriptsCacheSize", kDebuggerScriptCacheBytes}}, sessionId);
  connection_.Send("Runtime.addBinding", {{"name", kBinding}}, sessionId);
  connection_.Send("Page.addScriptToEvaluateOnNewDocument", {{"source", SetupScriptSource()}}, sessionId);
  connection_.Send("Target.setAutoAttach", {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}},
                   sessionId, [owner, this, sessionId, isRoot](const Connection::Reply&) {
                     connection_.Send("Runtime.runIfWaitingForDebugger", Json::object(), sessionId);
                     if (isRoot) connection_.SendRaw({{"link", "ready"}});
                   });
}

void RenderSessions::Remove(const std::string& sessionId) {
  sessions_.erase(sessionId);
  connection_.RemoveSession(sessionId);
}

void RenderSessions::RemoveAll() {
  for (const auto& session : sessions_) connection_.RemoveSession(session);
  sessions_.clear();
}

}  // namespace cefcompat
