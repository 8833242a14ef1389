#include "render/context_table.h"

#include <malloc.h>

#include <vector>

#include "render/context_scope.h"
#include "render/render_browser.h"

namespace cefcompat {

CefRefPtr<V8ContextImpl> ContextTable::ContextFor(const ContextKey& key) {
  auto& context = contexts_[key];
  if (context) return context;
  const auto state = states_.find(key);
  const bool hasFrame = state != states_.end() && !state->second.frameId.empty();
  CefRefPtr<RenderFrame> frame = browser_->EnsureFrame(hasFrame ? state->second.frameId : browser_->TargetId(), key.first);
  context = new V8ContextImpl(browser_, key.first, key.second, frame);
  return context;
}

CefRefPtr<CefV8Context> ContextTable::ContextOf(RenderFrame* frame) {
  for (auto& entry : contexts_) {
    if (entry.second->GetFrame().get() == frame) return entry.second.get();
  }
  return nullptr;
}

ContextTable::ContextKey ContextTable::ContextOfScript(const std::string& sessionId, const std::string& scriptId) const {
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
