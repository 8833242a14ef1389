#pragma once

#include <string>

#include "include/cef_v8.h"
#include "render/context_table.h"
#include "render/page_script.h"
#include "render/v8_context_impl.h"

namespace cefcompat {

// What a page sends through the binding: calls into the native side (each
// runs as a NativeCall, and its answer goes back where the page waits paused
// or settles the Promise of a call that answers later), and the ids of what
// the native side made that the page has collected. TID_RENDERER.
class NativeBinding {
 public:
  explicit NativeBinding(ContextTable& contexts) : contexts_(contexts) {}

  // Runtime.bindingCalled in `sessionId`.
  void OnCalled(const std::string& sessionId, const Json& params);
  // A call that waits paused: the answer is read where the page paused.
  void AnswerNativeCall(CefRefPtr<V8ContextImpl> context);

 private:
  // A call whose page went on: the answer settles its Promise.
  void AnswerLater(CefRefPtr<V8ContextImpl> context, const Json& payload);
  void OnCollected(const ContextTable::ContextKey& key, const Json& ids);

  ContextTable& contexts_;
};

}  // namespace cefcompat
