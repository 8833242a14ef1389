#pragma once

#include "include/cef_base.h"

class CefRequestContext;

// Told of a request context's life. Called on TID_UI.
class CefRequestContextHandler : public virtual CefBaseRefCounted {
 public:
  // The context's storage is ready in Chromium: its cookies can be read and
  // its browsers load pages.
  virtual void OnRequestContextInitialized(CefRefPtr<CefRequestContext> request_context) { (void)request_context; }
};
