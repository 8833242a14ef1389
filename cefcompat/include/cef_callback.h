#pragma once

#include "include/cef_base.h"

// Resumes or cancels an asynchronous step (a resource handler's Open).
class CefCallback : public virtual CefBaseRefCounted {
 public:
  virtual void Continue() = 0;
  virtual void Cancel() = 0;
};

// Told once an asynchronous operation has completed.
class CefCompletionCallback : public virtual CefBaseRefCounted {
 public:
  virtual void OnComplete() = 0;
};
