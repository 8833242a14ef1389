#include "render/native_binding.h"

#include <algorithm>
#include <utility>

#include "render/context_scope.h"
#include "render/extension.h"
#include "render/v8_value_codec.h"

namespace cefcompat {

namespace {

constexpr char kUndefinedAnswer[] = "{value: undefined}";

}  // namespace

void NativeBinding::OnCalled(const std::string& sessionId, const Json& params) {
  if (params.value("name", std::string()) != kBinding) return;
  const ContextTable::ContextKey key{sessionId, params.value("executionContextId", 0)};
  Json call = Json::parse(params.value("payload", std::string()), nullptr, false);
  if (call.is_object() && call.value("id", 0) > 0) return AnswerLater(contexts_.ContextFor(key), call);
  contexts_.State(key).calls.push_back(std::move(call));
}

void NativeBinding::AnswerNativeCall(CefRefPtr<V8ContextImpl> context) {
  auto& calls = contexts_.State({context->SessionId(), context->ContextId()}).calls;
  if (calls.empty()) return;  // the stub then throws "was not answered"
  const Json payload = std::move(calls.front());
  calls.pop_front();
  CefV8ValueList held;
  context->Evaluate("__cefcompat.state.result = " + RunNativeCall(context, payload, held));
}

void NativeBinding::AnswerLater(CefRefPtr<V8ContextImpl> context, const Json& payload) {
  CefV8ValueList held;
  const std::string answer = RunNativeCall(context, payload, held);
  context->Post("__cefcompat.settle(" + std::to_string(payload.value("id", 0)) + ", " + answer + ")", answer != kUndefinedAnswer);
}

std::string NativeBinding::RunNativeCall(CefRefPtr<V8ContextImpl> context, const Json& payload, CefV8ValueList& held) {
  if (!payload.is_object() || !payload.value("args", Json()).is_array()) {
    return "{exception: 'the native call could not be decoded'}";
  }
  const std::string name = payload.value("name", std::string());
  CefRefPtr<CefV8Handler> handler;
  for (const auto& extension : RegisteredExtensions()) {
    if (std::find(extension.natives.begin(), extension.natives.end(), name) != extension.natives.end()) handler = extension.handler;
  }
  CefV8ValueList arguments;
  const Json args = payload.value("args", Json::array());
  for (const auto& argument : args) arguments.push_back(V8ValueCodec::FromDescription(argument, context));
  CefRefPtr<CefV8Value> object = V8ValueCodec::FromDescription(payload.value("self", Json::object()), context);
  CefRefPtr<CefV8Value> retval;
  CefString exception;
  bool handled = false;
  if (handler) {
    ContextScope scope(context.get());
    handled = handler->Execute(name, object, arguments, retval, exception);
  }
  held = arguments;
  held.push_back(object);
  if (retval) held.push_back(retval);
  if (!exception.empty()) return "{exception: " + JsString(exception.ToString()) + "}";
  if (!handler || !handled) return "{exception: " + JsString("native function " + name + " is not handled") + "}";
  return retval ? "{value: " + V8ValueCodec::ToExpression(retval, context.get()) + "}" : kUndefinedAnswer;
}

}  // namespace cefcompat
