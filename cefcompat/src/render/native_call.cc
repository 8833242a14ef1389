#include "render/native_call.h"

#include <algorithm>
#include <cstdlib>

#include "base/log.h"
#include "render/context_scope.h"
#include "render/extension.h"
#include "render/v8_value_codec.h"

namespace cefcompat {

namespace {

std::string ExceptionAnswer(const std::string& message) { return "{exception: " + JsString(message) + "}"; }

constexpr char kPassAnswer[] = "{pass: true}";

}  // namespace

NativeCall::NativeCall(CefRefPtr<V8ContextImpl> context, const Json& payload) : context_(std::move(context)) {
  if (!payload.is_object() || !payload.value("args", Json()).is_array()) return;
  decoded_ = true;
  name_ = payload.value("name", std::string());
  on_ = payload.value("on", int64_t{0});
  op_ = payload.value("op", std::string());
  for (const auto& argument : payload["args"]) arguments_.push_back(V8ValueCodec::FromDescription(argument, context_));
  object_ = V8ValueCodec::FromDescription(payload.value("self", Json::object()), context_);
}

std::string NativeCall::Run() {
  if (!decoded_) return ExceptionAnswer("the native call could not be decoded");
  if (on_ == 0) return RunExtensionFunction();
  const NativeTargets::Target* target = context_->Natives().Find(on_);
  if (!target) {
    Log(LOGSEVERITY_WARNING, "a page called " + name_ + ", which the native side no longer holds");
    return ExceptionAnswer("native " + name_ + " is gone");
  }
  // A copy: the handler may make or let go of targets while it runs.
  const NativeTargets::Target held = *target;
  if (op_ == "fn") return RunMadeFunction(held);
  if (op_ == "get" || op_ == "set") return RunAccessor(held, op_ == "set");
  if (op_ == "nget" || op_ == "nset") return RunInterceptor(held, op_ == "nset", false);
  if (op_ == "iget" || op_ == "iset") return RunInterceptor(held, op_ == "iset", true);
  return ExceptionAnswer("the native call could not be decoded");
}

std::string NativeCall::RunExtensionFunction() {
  CefRefPtr<CefV8Handler> handler;
  for (const auto& extension : RegisteredExtensions()) {
    if (std::find(extension.natives.begin(), extension.natives.end(), name_) != extension.natives.end()) {
      handler = extension.handler;
    }
  }
  CefString exception;
  bool handled = false;
  if (handler) {
    ContextScope scope(context_.get());
    handled = handler->Execute(name_, object_, arguments_, retval_, exception);
  }
  return FunctionAnswer(handled, exception);
}

std::string NativeCall::RunMadeFunction(const NativeTargets::Target& target) {
  CefString exception;
  bool handled = false;
  if (target.handler) {
    ContextScope scope(context_.get());
    handled = target.handler->Execute(target.name, object_, arguments_, retval_, exception);
  }
  return FunctionAnswer(handled, exception);
}

std::string NativeCall::RunAccessor(const NativeTargets::Target& target, bool isSet) {
  if (!target.accessor) return kUndefinedAnswer;
  CefString exception;
  bool handled = false;
  {
    ContextScope scope(context_.get());
    handled = isSet ? target.accessor->Set(name_, object_, Argument(0), exception)
                    : target.accessor->Get(name_, object_, retval_, exception);
  }
  if (!exception.empty()) return ExceptionAnswer(exception.ToString());
  return handled && !isSet ? ValueAnswer() : kUndefinedAnswer;
}

std::string NativeCall::RunInterceptor(const NativeTargets::Target& target, bool isSet, bool byIndex) {
  if (!target.interceptor) return kPassAnswer;
  const int index = byIndex ? static_cast<int>(std::strtol(name_.c_str(), nullptr, 10)) : 0;
  CefString exception;
  bool handled = false;
  {
    ContextScope scope(context_.get());
    auto& interceptor = *target.interceptor;
    if (isSet) {
      handled = byIndex ? interceptor.Set(index, object_, Argument(0), exception)
                        : interceptor.Set(name_, object_, Argument(0), exception);
    } else {
      handled = byIndex ? interceptor.Get(index, object_, retval_, exception)
                        : interceptor.Get(name_, object_, retval_, exception);
    }
  }
  if (!exception.empty()) return ExceptionAnswer(exception.ToString());
  if (!handled) return kPassAnswer;
  if (isSet) return kUndefinedAnswer;
  return retval_ ? ValueAnswer() : kPassAnswer;
}

std::string NativeCall::FunctionAnswer(bool handled, const CefString& exception) {
  if (!exception.empty()) return ExceptionAnswer(exception.ToString());
  if (!handled) return ExceptionAnswer("native function " + name_ + " is not handled");
  return ValueAnswer();
}

std::string NativeCall::ValueAnswer() {
  return retval_ ? "{value: " + V8ValueCodec::ToExpression(retval_, context_.get()) + "}" : kUndefinedAnswer;
}

CefRefPtr<CefV8Value> NativeCall::Argument(size_t index) const {
  return index < arguments_.size() ? arguments_[index] : CefV8Value::CreateUndefined();
}

}  // namespace cefcompat
