#pragma once

#include <vector>

#include "include/cef_v8.h"

namespace cefcompat {

// The contexts entered on TID_RENDERER, innermost last.
extern thread_local std::vector<CefRefPtr<CefV8Context>> t_contexts;

struct ContextScope {
  explicit ContextScope(CefRefPtr<CefV8Context> context) { t_contexts.push_back(context); }
  ~ContextScope() { t_contexts.pop_back(); }
};

}  // namespace cefcompat
