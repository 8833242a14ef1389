#include "render/context_table.h"

#include <malloc.h>

#include <vector>

#include "protocol/link.h"
#include "render/context_scope.h"
#include "render/render_browser.h"

namespace cefcompat {

void ContextTable::OnEvent(const std::string& sessionId, const std::string& method, const Json& params) {
  if (method == "Debugger.scriptParsed") return OnScriptParsed(sessionId, params);
  if (method == "Runtime.executionContextCreated") return OnExecutionContextCreated(sessionId, params);
  if (method == "Runtime.executionContextDestroyed") return Release({sessionId, params.value("executionContextId", 0)});
  if (method == "Runtime.executionContextsCleared") ReleaseSession(sessionId);
}

void ContextTable::OnScriptParsed(const std::string& sessionId, const Json& params) {
  if (params.value("url", std::string()) != kSetupScriptUrl) return;
  states_[{sessionId, params.value("executionContextId", 0)}].scriptId = params.value("scriptId", std::string());
}

void ContextTable::OnExecutionContextCreated(const std::string& sessionId, const Json& params) {
  const Json context = params.value("context", Json::object());
  const Json aux = context.value("auxData", Json::object());
  if (!aux.value("isDefault", false)) return;
  states_[{sessionId, context.value("id", 0)}].frameId = aux.value("frameId", std::string());
}

CefRefPtr<V8ContextImpl> ContextTable::ContextFor(const ContextKey& key) {
  auto& context = contexts_[key];
  if (context) return context;
  const auto state = states_.find(key);
  const bool hasFrame = state != states_.end() && !state->second.frameId.empty();
  const std::string& frameId = hasFrame ? state->second.frameId : browser_->TargetId();
  CefRefPtr<RenderFrame> frame = browser_->EnsureFrame(frameId, key.first);
  context = new V8ContextImpl(browser_, key.first, key.second, frame);
  return context;
}

CefRefPtr<V8ContextImpl> ContextTable::Find(const ContextKey& key) const {
  const auto it = contexts_.find(key);
  return it == contexts_.end() ? nullptr : it->second;
}

CefRefPtr<CefV8Context> ContextTable::ContextOf(RenderFrame* frame) {
  for (auto& entry : contexts_) {
    if (entry.second->GetFrame().get() == frame) return entry.second.get();
  }
  return nullptr;
}

ContextTable::ContextKey ContextTable::ContextOfScript(const std::string& sessionId,
                                                      const std::string& scriptId) const {
  for (const auto& [key, state] : states_) {
    if (key.first == sessionId && state.scriptId == scriptId) return key;
  }
  return {sessionId, 0};
}

void ContextTable::StartContext(CefRefPtr<V8ContextImpl> context) {
  states_[{context->SessionId(), context->ContextId()}].started = true;
  if (auto handler = browser_->Handler()) {
    ContextScope scope(context.get());
    handler->OnContextCreated(browser_, context->GetFrame(), context.get());
  }
  browser_->Evaluate(context.get(), "__cefcompat.state.started = true");
}

void ContextTable::Release(const ContextKey& key) {
  const auto it = contexts_.find(key);
  states_.erase(key);
  if (it == contexts_.end()) return;
  CefRefPtr<V8ContextImpl> context = it->second;
  contexts_.erase(it);
  context->Invalidate();
  if (auto handler = browser_->Handler()) handler->OnContextReleased(browser_, context->GetFrame(), context.get());
  // What the page held of the native side's goes with it: buffers are released now.
  context->Natives().ReleaseAll();
  // What a page's calls took is free now: hand it back to the system rather
  // than keep a burst's peak for the life of the process.
  malloc_trim(0);
}

void ContextTable::ReleaseSession(const std::string& sessionId) {
  std::vector<ContextKey> keys;
  for (auto& entry : contexts_) {
    if (entry.first.first == sessionId) keys.push_back(entry.first);
  }
  for (auto& key : keys) Release(key);
  for (auto it = states_.begin(); it != states_.end();) {
    it = it->first.first == sessionId ? states_.erase(it) : std::next(it);
  }
}

void ContextTable::ReleaseAll() {
  std::vector<ContextKey> keys;
  for (auto& entry : contexts_) keys.push_back(entry.first);
  for (auto& key : keys) Release(key);
}

}  // namespace cefcompat
