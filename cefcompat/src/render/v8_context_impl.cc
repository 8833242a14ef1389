#include "render/v8_context_impl.h"

#include <cstdint>
#include <functional>
#include <utility>

#include "render/context_scope.h"
#include "render/render_browser.h"
#include "render/render_process.h"

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
  t_contexts.push_back(this);
  return true;
}

bool V8ContextImpl::Exit() {
  if (t_contexts.empty() || !t_contexts.back()->IsSame(this)) return false;
  t_contexts.pop_back();
  return true;
}

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
  std::function<CefRefPtr<CefV8Value>(const Json&)> convert = [&](const Json& value) -> CefRefPtr<CefV8Value> {
    if (value.is_null()) return CefV8Value::CreateNull();
    if (value.is_boolean()) return CefV8Value::CreateBool(value.get<bool>());
    if (value.is_number_integer() && value.get<int64_t>() >= INT32_MIN && value.get<int64_t>() <= INT32_MAX) return CefV8Value::CreateInt(value.get<int>());
    if (value.is_number()) return CefV8Value::CreateDouble(value.get<double>());
    if (value.is_string()) return CefV8Value::CreateString(value.get<std::string>());
    CefRefPtr<CefV8Value> object(new CefV8Value(value.is_array() ? CefV8Value::Kind::Array : CefV8Value::Kind::Object));
    for (const auto& [key, property] : value.items()) object->properties_[key] = convert(property);
    return object;
  };
  retval = result.value("type", std::string()) == "undefined" ? CefV8Value::CreateUndefined()
                                                              : convert(result.value("value", Json()));
  return true;
}

}  // namespace cefcompat
