#pragma once

#include <vector>

#include "include/cef_v8.h"

namespace cefcompat {

class V8ContextImpl;

// The frames of the page's script below a native call that waits, read from
// the page while it is paused. A copy: valid for as long as it is held.
class V8StackTraceImpl : public CefV8StackTrace {
 public:
  explicit V8StackTraceImpl(std::vector<CefRefPtr<CefV8StackFrame>> frames) : frames_(std::move(frames)) {}

  // The innermost `limit` frames below the call waiting in `context`; none
  // when no call waits there. TID_RENDERER.
  static CefRefPtr<V8StackTraceImpl> Capture(V8ContextImpl* context, int limit);

  bool IsValid() override { return true; }
  int GetFrameCount() override { return static_cast<int>(frames_.size()); }
  CefRefPtr<CefV8StackFrame> GetFrame(int index) override;

 private:
  const std::vector<CefRefPtr<CefV8StackFrame>> frames_;
  IMPLEMENT_REFCOUNTING(V8StackTraceImpl);
};

}  // namespace cefcompat
