#pragma once

#include <atomic>
#include <string>
#include <utility>

#include "include/cef_v8.h"
#include "render/native_targets.h"
#include "render/render_frame.h"

namespace cefcompat {

class RenderBrowser;

// One JavaScript context of a page, known by its session and context id. What
// runs in it goes through its browser; statements posted to it are gathered
// and sent together.
class V8ContextImpl : public CefV8Context {
 public:
  V8ContextImpl(CefRefPtr<RenderBrowser> browser, std::string sessionId, int contextId, CefRefPtr<RenderFrame> frame);
  ~V8ContextImpl() override;
  bool IsValid() override { return valid_; }
  CefRefPtr<CefBrowser> GetBrowser() override;
  CefRefPtr<CefFrame> GetFrame() override { return frame_.get(); }
  CefRefPtr<CefV8Value> GetGlobal() override {
    CefRefPtr<CefV8Value> global(new CefV8Value(CefV8Value::Kind::Object));
    global->BindHandle(this, 0);
    return global;
  }
  bool Enter() override;
  bool Exit() override;
  bool IsSame(CefRefPtr<CefV8Context> that) override {
    auto* other = static_cast<V8ContextImpl*>(that.get());
    return other && other->sessionId_ == sessionId_ && other->contextId_ == contextId_;
  }
  bool Eval(const CefString& code, const CefString& script_url, int start_line, CefRefPtr<CefV8Value>& retval,
            CefRefPtr<CefV8Exception>& exception) override;

  // Runs `expression` in this context, fire and forget, after what was posted.
  void Evaluate(const std::string& expression);
  // Like Evaluate, but gathered with the other statements posted to this
  // context into one evaluation, sent after the current task (`soon`) or
  // within kLazyFlushMs, and in any case before the next evaluation in the
  // context. Any thread.
  void Post(const std::string& statement, bool soon = true);
  // The posted statements not sent yet. TID_RENDERER.
  std::string TakePosted() { return std::exchange(posted_, std::string()); }
  void Invalidate() { valid_ = false; }
  // What the native side made in this context. TID_RENDERER.
  NativeTargets& Natives() { return natives_; }
  const std::string& SessionId() const { return sessionId_; }
  int ContextId() const { return contextId_; }
  RenderBrowser* Browser() { return browser_.get(); }

 private:
  // The exception an evaluation of `source` (the code Eval was given, named
  // `url`) threw; lines in the code count from `startLine`.
  CefRefPtr<CefV8Exception> ExceptionOf(const Json& details, const std::string& source, const std::string& url,
                                        int startLine);
  static std::string ScriptUrl(const Json& details, const std::string& scriptId);

  CefRefPtr<RenderBrowser> browser_;
  const std::string sessionId_;
  const int contextId_;
  CefRefPtr<RenderFrame> frame_;
  std::atomic<bool> valid_{true};
  std::string posted_;  // TID_RENDERER
  bool flushSoon_ = false;   // a flush is posted for now; TID_RENDERER
  bool flushLater_ = false;  // a flush is posted for kLazyFlushMs; TID_RENDERER
  NativeTargets natives_;
  IMPLEMENT_REFCOUNTING(V8ContextImpl);
};

}  // namespace cefcompat
