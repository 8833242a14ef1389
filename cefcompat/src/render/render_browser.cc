#include "render/render_browser.h"

#include "base/log.h"
#include "protocol/link.h"
#include "render/render_process.h"
#include "testing_hooks.h"

namespace cefcompat {

RenderBrowser::RenderBrowser(RenderProcess* process, int linkId, std::unique_ptr<Transport> link,
                             std::function<void(int)> onClosed)
    : process_(process),
      linkId_(linkId),
      onClosed_(std::move(onClosed)),
      connection_(std::make_unique<Connection>(
          std::move(link), [](std::function<void()> task) { RenderProcess::PostToRenderer(std::move(task)); })),
      sessions_(this, *connection_,
                [this](const std::string& sessionId, const std::string& method, const Json& params) {
                  OnEvent(sessionId, method, params);
                }),
      contexts_(this),
      binding_(contexts_),
      evaluator_(this, *connection_) {
  connection_->SetFastPath([this](const Json& message) {
    if (!message.contains("link")) return false;
    CefRefPtr<RenderBrowser> self(this);
    RenderProcess::PostToRenderer([self, message] { self->OnLink(message); });
    return true;
  });
}

void RenderBrowser::Start() {
  CefRefPtr<RenderBrowser> self(this);
  connection_->Start([self](const std::string&) { self->OnClosed(); });
}

void RenderBrowser::ExecuteInFrame(RenderFrame* frame, const std::string& code) {
  if (auto context = ContextOf(frame)) return Evaluate(static_cast<V8ContextImpl*>(context.get()), code);
  Log(LOGSEVERITY_VERBOSE, "ExecuteJavaScript: the frame has no context yet; dropped");
}

void RenderBrowser::LoadInFrame(RenderFrame* frame, const std::string& url) {
  connection_->Send("Page.navigate", {{"url", url}, {"frameId", frame->ProtocolId()}}, frame->sessionId,
                    [url](const Connection::Reply& reply) {
                      if (!reply.ok) Log(LOGSEVERITY_WARNING, "LoadURL(" + url + ") failed: " + reply.error);
                    });
}

void RenderBrowser::SendToBrowser(RenderFrame* frame, CefRefPtr<CefProcessMessage> message) {
  Json link;
  if (EncodeProcessMessage(frame->ProtocolId(), message, &link)) connection_->SendRaw(link);
}

CefRefPtr<CefRenderProcessHandler> RenderBrowser::Handler() const { return process_->Handler(); }

CefRefPtr<RenderFrame> RenderBrowser::EnsureFrame(const std::string& protocolId, const std::string& sessionId) {
  auto& frame = frames_[protocolId];
  if (!frame) frame = new RenderFrame(this, protocolId, protocolId == targetId_);
  frame->sessionId = sessionId;
  return frame;
}

CefRefPtr<RenderFrame> RenderBrowser::Frame(const std::string& protocolId) {
  const auto it = frames_.find(protocolId);
  return it == frames_.end() ? nullptr : it->second;
}

void RenderBrowser::OnLink(const Json& message) {
  const std::string kind = message.value("link", std::string());
  if (kind == "hello") {
    browserId_ = message.value("browserId", 0);
    targetId_ = message.value("targetId", std::string());
    EnsureFrame(targetId_, message.value("sessionId", std::string()));
    sessions_.SetUp(message.value("sessionId", std::string()), true);
    return;
  }
  if (kind != "message") return;
  CefRefPtr<RenderFrame> frame = Frame(message.value("frame", std::string()));
  if (!frame || !frame->IsValid()) {
    Log(LOGSEVERITY_VERBOSE, "process message for a frame that is gone; dropped");
    return;
  }
  if (auto handler = process_->Handler()) {
    handler->OnProcessMessageReceived(this, frame.get(), PID_BROWSER, DecodeProcessMessage(message));
  }
}

void RenderBrowser::OnEvent(const std::string& sessionId, const std::string& method, const Json& params) {
  if (method == "Runtime.bindingCalled") return binding_.OnCalled(sessionId, params);
  if (method == "Debugger.paused") return OnPaused(sessionId, params);
  if (method == "Page.frameNavigated") return OnFrameNavigated(sessionId, params);
  if (method == "Page.frameDetached") return OnFrameDetached(params);
  if (method == "Target.attachedToTarget") return OnAttached(params);
  if (method == "Target.detachedFromTarget") return OnDetached(params);
  contexts_.OnEvent(sessionId, method, params);
}

void RenderBrowser::OnFrameNavigated(const std::string& sessionId, const Json& params) {
  const Json frame = params.value("frame", Json::object());
  EnsureFrame(frame.value("id", std::string()), sessionId)->SetUrl(frame.value("url", std::string()));
}

void RenderBrowser::OnFrameDetached(const Json& params) {
  if (params.value("reason", std::string()) == "swap") return;  // the frame lives on in its own renderer
  if (auto frame = Frame(params.value("frameId", std::string()))) frame->Invalidate();
  frames_.erase(params.value("frameId", std::string()));
}

// A cross-site frame gets a session of its own; any other target only runs on.
void RenderBrowser::OnAttached(const Json& params) {
  const Json info = params.value("targetInfo", Json::object());
  const std::string child = params.value("sessionId", std::string());
  if (info.value("type", std::string()) != "iframe") {
    connection_->Send("Runtime.runIfWaitingForDebugger", Json::object(), child);
    return;
  }
  EnsureFrame(info.value("targetId", std::string()), child)->SetUrl(info.value("url", std::string()));
  sessions_.SetUp(child, false);
}

void RenderBrowser::OnDetached(const Json& params) {
  const std::string child = params.value("sessionId", std::string());
  contexts_.ReleaseSession(child);
  sessions_.Remove(child);
}

void RenderBrowser::OnPaused(const std::string& sessionId, const Json& params) {
  const Json frames = params.value("callFrames", Json::array());
  const Json top = frames.empty() ? Json::object() : frames[0];
  const ContextKey key = contexts_.ContextOfScript(sessionId, top.value("location", Json::object()).value("scriptId", std::string()));
  if (key.second == 0) return evaluator_.Resume(sessionId);  // a pause that is not ours
  const bool isCall = top.value("functionName", std::string()) == "call";
  // The document start pausing again after its setup began: a resume of an
  // earlier document ended its first pause, and the setup's own resume,
  // still to come, ends this one.
  if (!isCall && contexts_.State(key).started) return;
  CefRefPtr<V8ContextImpl> context = contexts_.ContextFor(key);
  evaluator_.BeginPause(sessionId, key.second, top.value("callFrameId", std::string()));
  if (isCall) {
    binding_.AnswerNativeCall(context);
  } else {
    contexts_.StartContext(context);
  }
  evaluator_.EndPause(sessionId);
}

void RenderBrowser::OnClosed() {
  if (closed_) return;
  closed_ = true;
  contexts_.ReleaseAll();
  for (auto& entry : frames_) entry.second->Invalidate();
  frames_.clear();
  // The connection's session handlers hold this browser.
  sessions_.RemoveAll();
  onClosed_(linkId_);
}

int LiveRenderBrowsersForTesting() { return LiveCount<RenderBrowser>::Get(); }

}  // namespace cefcompat
