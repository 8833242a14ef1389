#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/live_count.h"
#include "include/cef_browser.h"
#include "include/cef_render_process_handler.h"
#include "protocol/connection.h"
#include "protocol/transport.h"
#include "render/context_evaluator.h"
#include "render/context_table.h"
#include "render/native_binding.h"
#include "render/render_frame.h"
#include "render/render_sessions.h"
#include "render/v8_context_impl.h"

namespace cefcompat {

class RenderProcess;

// One browser as its render side sees it: its sessions (the page and any
// cross-site frames), frames and live contexts. It keeps its frames and the
// link's own messages, and hands the protocol's events to its parts: the
// sessions, the context table, the native binding and the evaluator, which
// share its connection. TID_RENDERER.
class RenderBrowser : public CefBrowser {
 public:
  RenderBrowser(RenderProcess* process, int linkId, std::unique_ptr<Transport> link, std::function<void(int)> onClosed);

  void Start();

  // CefBrowser
  CefRefPtr<CefBrowserHost> GetHost() override { return nullptr; }
  bool IsValid() override { return !closed_; }
  bool CanGoBack() override { return false; }
  void GoBack() override {}
  bool CanGoForward() override { return false; }
  void GoForward() override {}
  bool IsLoading() override { return false; }
  void Reload() override {}
  void ReloadIgnoreCache() override {}
  void StopLoad() override {}
  int GetIdentifier() override { return browserId_; }
  bool IsSame(CefRefPtr<CefBrowser> that) override { return that && that->GetIdentifier() == browserId_; }
  bool IsPopup() override { return false; }
  bool HasDocument() override { return true; }
  CefRefPtr<CefFrame> GetMainFrame() override { return Frame(targetId_).get(); }
  CefRefPtr<CefFrame> GetFrame(int64 identifier) override {
    for (auto& entry : frames_) {
      if (entry.second->GetIdentifier() == identifier) return entry.second.get();
    }
    return nullptr;
  }
  size_t GetFrameCount() override { return frames_.size(); }
  void GetFrameIdentifiers(std::vector<int64>& identifiers) override {
    identifiers.clear();
    for (auto& entry : frames_) identifiers.push_back(entry.second->GetIdentifier());
  }

  // Used by frames, contexts and values.
  void Evaluate(V8ContextImpl* context, const std::string& expression) { evaluator_.Evaluate(context, expression); }
  Connection::Reply EvaluateAndWait(V8ContextImpl* context, const std::string& expression) {
    return evaluator_.EvaluateAndWait(context, expression);
  }
  std::string ScriptSource(V8ContextImpl* context, const std::string& scriptId) {
    return evaluator_.ScriptSource(context, scriptId);
  }
  bool PausedIn(V8ContextImpl* context) const { return evaluator_.PausedIn(context); }
  CefRefPtr<CefV8Context> ContextOf(RenderFrame* frame) { return contexts_.ContextOf(frame); }
  void ExecuteInFrame(RenderFrame* frame, const std::string& code);
  void LoadInFrame(RenderFrame* frame, const std::string& url);
  void SendToBrowser(RenderFrame* frame, CefRefPtr<CefProcessMessage> message);

  // Used by the context table.
  CefRefPtr<CefRenderProcessHandler> Handler() const;
  const std::string& TargetId() const { return targetId_; }
  CefRefPtr<RenderFrame> EnsureFrame(const std::string& protocolId, const std::string& sessionId);

 private:
  using ContextKey = ContextTable::ContextKey;

  CefRefPtr<RenderFrame> Frame(const std::string& protocolId);
  void OnLink(const Json& message);
  void OnEvent(const std::string& sessionId, const std::string& method, const Json& params);
  void OnFrameNavigated(const std::string& sessionId, const Json& params);
  void OnFrameDetached(const Json& params);
  void OnAttached(const Json& params);
  void OnDetached(const Json& params);
  void OnPaused(const std::string& sessionId, const Json& params);
  void OnClosed();

  RenderProcess* process_;
  const int linkId_;
  std::function<void(int)> onClosed_;
  std::unique_ptr<Connection> connection_;
  int browserId_ = 0;
  std::string targetId_;
  bool closed_ = false;
  RenderSessions sessions_;
  std::map<std::string, CefRefPtr<RenderFrame>> frames_;
  ContextTable contexts_;
  NativeBinding binding_;
  ContextEvaluator evaluator_;
  LiveCount<RenderBrowser> live_;
  IMPLEMENT_REFCOUNTING(RenderBrowser);
};

}  // namespace cefcompat
