#include "browser/devtools_host.h"

#include "base/log.h"
#include "browser/runtime.h"

namespace cefcompat {

void DevToolsHost::Show(CefRefPtr<CefBrowser> owner, const std::string& targetId, CefRefPtr<CefClient> client,
                        const std::string& title) {
  if (IsOpen()) return;
  Runtime* runtime = Runtime::Get();
  if (!runtime) return;
  runtime->GetConnection().Send(
      "Target.openDevTools", {{"targetId", targetId}}, "", [this, owner, client, title](const Connection::Reply& reply) {
        if (!reply.ok) {
          Log(LOGSEVERITY_ERROR, "ShowDevTools failed: " + reply.error +
                                     "; start with --remote-debugging-port to inspect from a browser instead");
          return;
        }
        Runtime* rt = Runtime::Get();
        if (!rt) return;
        auto devTools = rt->AdoptTarget(reply.result.value("targetId", std::string()), client, false, title, true, false);
        std::lock_guard<std::mutex> lock(mutex_);
        devTools_ = devTools.get();
      });
}

void DevToolsHost::Close() {
  CefRefPtr<CefBrowser> devTools;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    devTools.swap(devTools_);
  }
  if (devTools) devTools->GetHost()->CloseBrowser(true);
}

bool DevToolsHost::IsOpen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return devTools_ && devTools_->IsValid();
}

}  // namespace cefcompat
