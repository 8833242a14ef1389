#include "render/context_scope.h"

#include <vector>

namespace cefcompat {

namespace {

thread_local std::vector<CefRefPtr<CefV8Context>> t_contexts;

}  // namespace

ContextScope::~ContextScope() { t_contexts.pop_back(); }

void ContextScope::Enter(CefRefPtr<CefV8Context> context) { t_contexts.push_back(context); }

bool ContextScope::Exit(CefRefPtr<CefV8Context> context) {
  if (t_contexts.empty() || !t_contexts.back()->IsSame(context)) return false;
  t_contexts.pop_back();
  return true;
}

}  // namespace cefcompat

CefRefPtr<CefV8Context> CefV8Context::GetCurrentContext() {
  return cefcompat::t_contexts.empty() ? nullptr : cefcompat::t_contexts.back();
}
CefRefPtr<CefV8Context> CefV8Context::GetEnteredContext() { return GetCurrentContext(); }
bool CefV8Context::InContext() { return !cefcompat::t_contexts.empty(); }
