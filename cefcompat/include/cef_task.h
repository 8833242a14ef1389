#pragma once
// Tasks and the runtime's named threads.

#include "include/cef_base.h"

class CefTask : public virtual CefBaseRefCounted {
 public:
  virtual void Execute() = 0;
};

// Posts tasks to one of the runtime's threads. A runner stays bound to the
// thread it was made for: once that thread has ended (CefShutdown), posting
// through it returns false, also when the runtime is initialised again.
class CefTaskRunner : public virtual CefBaseRefCounted {
 public:
  // Null when the calling thread is none of the runtime's threads.
  static CefRefPtr<CefTaskRunner> GetForCurrentThread();
  // Null when the thread does not exist in this process.
  static CefRefPtr<CefTaskRunner> GetForThread(CefThreadId threadId);

  virtual bool IsSame(CefRefPtr<CefTaskRunner> that) = 0;
  virtual bool BelongsToCurrentThread() = 0;
  virtual bool BelongsToThread(CefThreadId threadId) = 0;
  virtual bool PostTask(CefRefPtr<CefTask> task) = 0;
  virtual bool PostDelayedTask(CefRefPtr<CefTask> task, int64 delay_ms) = 0;
};

// False when the thread does not exist (the runtime is not initialised or is
// shutting down); the task is then dropped.
bool CefPostTask(CefThreadId threadId, CefRefPtr<CefTask> task);
bool CefPostDelayedTask(CefThreadId threadId, CefRefPtr<CefTask> task, int64 delay_ms);
bool CefCurrentlyOn(CefThreadId threadId);
