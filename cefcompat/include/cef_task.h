#pragma once
// Tasks and the runtime's named threads.

#include "include/cef_base.h"

class CefTask : public virtual CefBaseRefCounted {
 public:
  virtual void Execute() = 0;
};

// False when the thread does not exist (the runtime is not initialised or is
// shutting down); the task is then dropped.
bool CefPostTask(CefThreadId threadId, CefRefPtr<CefTask> task);
bool CefPostDelayedTask(CefThreadId threadId, CefRefPtr<CefTask> task, int64 delay_ms);
bool CefCurrentlyOn(CefThreadId threadId);
