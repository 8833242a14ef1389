#include "render/v8_context_impl.h"

#include <utility>

#include "render/context_scope.h"
#include "render/render_browser.h"
#include "render/render_process.h"
#include "render/v8_value_codec.h"

namespace cefcompat {

namespace {

// Statements posted to a context are sent at the latest once they reach this size.
constexpr size_t kPostedFlushBytes = 256 * 1024;
// Statements nobody waits for (released handles, answers of undefined) are sent
// at the latest this long after they are posted.
constexpr int64_t kLazyFlushMs = 4;

}  // namespace

V8ContextImpl::V8ContextImpl(CefRefPtr<RenderBrowser> browser, std::string sessionId, int contextId,
                             CefRefPtr<RenderFrame> frame)
    : browser_(std::move(browser)), sessionId_(std::move(sessionId)), contextId_(contextId), frame_(std::move(frame)) {}

V8ContextImpl::~V8ContextImpl() = default;

bool V8ContextImpl::Enter() {
  ContextScope::Enter(this);
  return true;
}

bool V8ContextImpl::Exit() { return ContextScope::Exit(this); }

CefRefPtr<CefBrowser> V8ContextImpl::GetBrowser() { return browser_.get(); }

void V8ContextImpl::Evaluate(const std::string& expression) { browser_->Evaluate(this, expression); }

void V8ContextImpl::Post(const std::string& statement, bool soon) {
  CefRefPtr<V8ContextImpl> self(this);
  if (!RenderProcess::OnRendererThread()) {
    RenderProcess::PostToRenderer([self, statement, soon] { self->Post(statement, soon); });
    return;
  }
  if (!valid_) return;
  posted_ += statement;
  posted_ += ";\n";
  if (posted_.size() >= kPostedFlushBytes) return Evaluate(std::string());
  bool& pending = soon ? flushSoon_ : flushLater_;
  if (pending) return;
  pending = true;
  RenderProcess::PostToRenderer(
      [self, soon] {
        (soon ? self->flushSoon_ : self->flushLater_) = false;
        self->Evaluate(std::string());
      },
      soon ? 0 : kLazyFlushMs);
}

bool V8ContextImpl::Eval(const CefString& code, const CefString&, int, CefRefPtr<CefV8Value>& retval,
                         CefRefPtr<CefV8Exception>& exception) {
  if (!valid_) {
    exception = new CefV8Exception("the context is gone");
    return false;
  }
  const auto reply = browser_->EvaluateAndWait(this, code.ToString());
  if (!reply.ok) {
    exception = new CefV8Exception(reply.error);
    return false;
  }
  if (reply.result.contains("exceptionDetails")) {
    const Json details = reply.result["exceptionDetails"];
    exception = new CefV8Exception(details.value("exception", Json::object()).value("description", details.value("text", std::string("exception"))));
    return false;
  }
  const Json result = reply.result.value("result", Json::object());
  retval = result.value("type", std::string()) == "undefined" ? CefV8Value::CreateUndefined()
                                                              : V8ValueCodec::FromValue(result.value("value", Json()));
  return true;
}

}  // namespace cefcompat
