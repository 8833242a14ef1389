#include "render/v8_context_impl.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "render/context_scope.h"
#include "render/render_browser.h"
#include "render/render_process.h"
#include "render/v8_exception_impl.h"
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
  if (!valid_) return false;
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

bool V8ContextImpl::Eval(const CefString& code, const CefString& script_url, int start_line,
                         CefRefPtr<CefV8Value>& retval, CefRefPtr<CefV8Exception>& exception) {
  if (!valid_) {
    exception = new V8ExceptionImpl("the context is gone");
    return false;
  }
  // The URL names the script as a sourceURL comment, which ends at white space.
  const std::string url = script_url.ToString();
  const bool named = !url.empty() && std::none_of(url.begin(), url.end(),
                                                  [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
  const std::string source = code.ToString() + (named ? "\n//# sourceURL=" + url : std::string());
  // While the page waits in a native call, evaluations run on its paused frame: the code then runs through
  // the page's global eval, as a script of its own.
  const bool paused = browser_->PausedIn(this);
  const auto reply = browser_->EvaluateAndWait(this, paused ? "__cefcompat.run(" + JsString(source) + ")" : source);
  if (!reply.ok) {
    exception = new V8ExceptionImpl(reply.error);
    return false;
  }
  if (reply.result.contains("exceptionDetails")) {
    exception = ExceptionOf(reply.result["exceptionDetails"], source, url, start_line);
    return false;
  }
  const Json result = reply.result.value("result", Json::object());
  retval = result.value("type", std::string()) == "undefined" ? CefV8Value::CreateUndefined()
                                                              : V8ValueCodec::FromValue(result.value("value", Json()));
  return true;
}

// The URL of the script the details point into, as their stack names it; empty when it does not.
std::string V8ContextImpl::ScriptUrl(const Json& details, const std::string& scriptId) {
  const Json frames = details.value("stackTrace", Json::object()).value("callFrames", Json::array());
  for (const auto& frame : frames) {
    if (frame.value("scriptId", std::string()) == scriptId) return frame.value("url", std::string());
  }
  return std::string();
}

CefRefPtr<CefV8Exception> V8ContextImpl::ExceptionOf(const Json& details, const std::string& source,
                                                     const std::string& url, int startLine) {
  // The error may lie in another script the code called into: its own source, name and lines then.
  const std::string scriptId = details.value("scriptId", std::string());
  const std::string thrownIn = scriptId.empty() ? std::string() : browser_->ScriptSource(this, scriptId);
  const bool inCode = thrownIn.empty() || thrownIn == source;
  if (inCode) return V8ExceptionImpl::FromDetails(details, source, url, std::max(startLine, 1));
  return V8ExceptionImpl::FromDetails(details, thrownIn, ScriptUrl(details, scriptId), 1);
}

}  // namespace cefcompat
