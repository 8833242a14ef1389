#include "render/context_scope.h"

namespace cefcompat {

thread_local std::vector<CefRefPtr<CefV8Context>> t_contexts;

}  // namespace cefcompat

CefRefPtr<CefV8Context> CefV8Context::GetCurrentContext() {
  return cefcompat::t_contexts.empty() ? nullptr : cefcompat::t_contexts.back();
}
CefRefPtr<CefV8Context> CefV8Context::GetEnteredContext() { return GetCurrentContext(); }
bool CefV8Context::InContext() { return !cefcompat::t_contexts.empty(); }
