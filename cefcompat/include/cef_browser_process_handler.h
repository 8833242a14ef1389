#pragma once

#include "include/cef_base.h"

class CefBrowserProcessHandler : public virtual CefBaseRefCounted {
 public:
  // The runtime is up: browsers may be created. TID_UI.
  virtual void OnContextInitialized() {}
};
