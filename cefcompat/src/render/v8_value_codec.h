#pragma once

#include <string>

#include "include/cef_v8.h"
#include "render/page_script.h"

namespace cefcompat {

class V8ContextImpl;

// Values between a page and the native side: a value as the page describes
// it (the prelude's describe(): functions, objects, arrays and ArrayBuffers
// by handle) or as an evaluation returns it by value into a
// CefV8Value, and a CefV8Value into the JavaScript expression that gives it in
// a context.
class V8ValueCodec {
 public:
  static CefRefPtr<CefV8Value> FromDescription(const Json& d, CefRefPtr<V8ContextImpl> context);
  // Objects and arrays become values of their own, bound to no page object.
  static CefRefPtr<CefV8Value> FromValue(const Json& value);
  static std::string ToExpression(CefRefPtr<CefV8Value> value, V8ContextImpl* context);
};

}  // namespace cefcompat
