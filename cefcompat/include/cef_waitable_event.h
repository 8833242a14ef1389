#pragma once
// An event threads wait on, as CEF declares it.

#include "include/cef_base.h"

class CefWaitableEvent : public virtual CefBaseRefCounted {
 public:
  // With `automatic_reset` the event resets itself as soon as one waiter has
  // seen it signaled (IsSignaled() counts as seeing it).
  static CefRefPtr<CefWaitableEvent> CreateWaitableEvent(bool automatic_reset, bool initially_signaled);

  virtual void Reset() = 0;
  virtual void Signal() = 0;
  virtual bool IsSignaled() = 0;
  // Waiting is refused on TID_UI and TID_IO (logged; Wait returns at once and
  // TimedWait returns false), where it would stall the runtime.
  virtual void Wait() = 0;
  virtual bool TimedWait(int64 max_ms) = 0;
};
