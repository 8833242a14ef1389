#pragma once

#include <string>

#include "include/cef_v8.h"
#include "render/native_targets.h"
#include "render/page_script.h"
#include "render/v8_context_impl.h"

namespace cefcompat {

// One call of the page into the native side, as the page described it: a
// native function of an extension, or what the native side made (a
// function, or an object's accessor or interceptor). Run() answers it as a
// JavaScript object: {value}, {exception}, or {pass: true} when an
// interceptor leaves the property to the object. The call's values live as
// long as it does: the page keeps them until the answer that may name them is
// on its way. TID_RENDERER.
class NativeCall {
 public:
  // The answer that gives nothing back.
  static constexpr char kUndefinedAnswer[] = "{value: undefined}";

  NativeCall(CefRefPtr<V8ContextImpl> context, const Json& payload);

  std::string Run();

 private:
  std::string RunExtensionFunction();
  std::string RunMadeFunction(const NativeTargets::Target& target);
  std::string RunAccessor(const NativeTargets::Target& target, bool isSet);
  std::string RunInterceptor(const NativeTargets::Target& target, bool isSet, bool byIndex);
  // A function's outcome; one that is not handled throws as CEF's callers expect.
  std::string FunctionAnswer(bool handled, const CefString& exception);
  // `retval_`, or undefined when the handler left it unset.
  std::string ValueAnswer();
  CefRefPtr<CefV8Value> Argument(size_t index) const;

  CefRefPtr<V8ContextImpl> context_;
  std::string name_;
  int64_t on_ = 0;  // what the native side made that answers; 0 for an extension's function
  std::string op_;
  CefRefPtr<CefV8Value> object_;
  CefV8ValueList arguments_;
  CefRefPtr<CefV8Value> retval_;
  bool decoded_ = false;
};

}  // namespace cefcompat
