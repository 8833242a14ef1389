#pragma once

#include "include/cef_v8.h"

namespace cefcompat {

// The contexts entered on TID_RENDERER, innermost last: a scope enters its
// context for its life (a native call or OnContextCreated running), and
// CefV8Context::Enter/Exit enter and leave one explicitly.
class ContextScope {
 public:
  explicit ContextScope(CefRefPtr<CefV8Context> context) { Enter(context); }
  ~ContextScope();
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

  static void Enter(CefRefPtr<CefV8Context> context);
  // Leaves `context` when it is the innermost one entered.
  static bool Exit(CefRefPtr<CefV8Context> context);
};

}  // namespace cefcompat
