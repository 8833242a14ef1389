#pragma once

#include "include/cef_base.h"

// The answer to a request that was held (RV_CONTINUE_ASYNC): Continue(true)
// lets it go on, Continue(false) or Cancel() ends it. Only the first call
// counts; a callback released unanswered lets the request go on.
class CefRequestCallback : public virtual CefBaseRefCounted {
 public:
  virtual void Continue(bool allow) = 0;
  virtual void Cancel() = 0;
};
