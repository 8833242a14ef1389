#pragma once

#include <deque>
#include <map>
#include <string>
#include <utility>

#include "include/cef_v8.h"
#include "render/page_script.h"
#include "render/v8_context_impl.h"

namespace cefcompat {

class RenderBrowser;
class RenderFrame;

// The live contexts of one browser's render side and what the protocol told
// of each. The handler hears here of a context's creation and release.
// TID_RENDERER.
class ContextTable {
 public:
  using ContextKey = std::pair<std::string, int>;
  // What the protocol told of a context, from its creation to its release.
  struct ContextState {
    std::string frameId;     // its frame, when it is the frame's main world
    std::string scriptId;    // our script in it
    std::deque<Json> calls;  // calls (as described by the page) waiting for their pause
    bool started = false;    // its setup (OnContextCreated) has begun
  };

  // `browser` owns this table.
  explicit ContextTable(RenderBrowser* browser) : browser_(browser) {}

  // The protocol's news of the session's contexts and of our script in them.
  void OnEvent(const std::string& sessionId, const std::string& method, const Json& params);
  ContextState& State(const ContextKey& key) { return states_[key]; }
  CefRefPtr<V8ContextImpl> ContextFor(const ContextKey& key);
  // The live context of the key; null when there is none.
  CefRefPtr<V8ContextImpl> Find(const ContextKey& key) const;
  CefRefPtr<CefV8Context> ContextOf(RenderFrame* frame);
  // The context in which our script has this id; a context id of 0 when there is none.
  ContextKey ContextOfScript(const std::string& sessionId, const std::string& scriptId) const;
  // While the document waits at its start: OnContextCreated, then the document may go on.
  void StartContext(CefRefPtr<V8ContextImpl> context);
  // Every context of the session is gone. Context and script ids are unique
  // only per renderer: nothing known of these may be taken for a later one's.
  void ReleaseSession(const std::string& sessionId);
  void ReleaseAll();

 private:
  void OnScriptParsed(const std::string& sessionId, const Json& params);
  void OnExecutionContextCreated(const std::string& sessionId, const Json& params);
  void Release(const ContextKey& key);

  RenderBrowser* const browser_;
  std::map<ContextKey, CefRefPtr<V8ContextImpl>> contexts_;
  std::map<ContextKey, ContextState> states_;
};

}  // namespace cefcompat
