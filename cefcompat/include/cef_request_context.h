#pragma once

#include "include/cef_base.h"

// The profile a browser loads in. This runtime has one: the global context.
class CefRequestContext : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefRequestContext> GetGlobalContext();
  bool IsGlobal() { return true; }

 private:
  IMPLEMENT_REFCOUNTING(CefRequestContext);
};
