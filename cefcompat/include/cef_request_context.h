#pragma once

#include "include/cef_base.h"
#include "include/cef_cookie.h"

// The profile a browser loads in. This runtime has one: the global context.
class CefRequestContext : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefRequestContext> GetGlobalContext();
  bool IsGlobal() { return true; }
  // The same as CefCookieManager::GetGlobalManager(callback).
  CefRefPtr<CefCookieManager> GetCookieManager(CefRefPtr<CefCompletionCallback> callback);

 private:
  IMPLEMENT_REFCOUNTING(CefRequestContext);
};
