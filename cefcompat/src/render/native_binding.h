#pragma once

#include <string>

#include "include/cef_v8.h"
#include "render/context_table.h"
#include "render/page_script.h"
#include "render/v8_context_impl.h"

namespace cefcompat {

// The native functions of registered extensions as a page calls them through
// the binding: each call runs its extension's handler, and the answer goes
// back where the page waits paused or settles the Promise of a call that
// answers later. TID_RENDERER.
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
  // Runs the handler of a described call; returns the answer as a JavaScript
  // object: {value} or {exception}. The call's values go to `held`: the page
  // keeps them until the answer that may name them is on its way.
  std::string RunNativeCall(CefRefPtr<V8ContextImpl> context, const Json& payload, CefV8ValueList& held);

  ContextTable& contexts_;
};

}  // namespace cefcompat
