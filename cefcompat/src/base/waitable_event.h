#pragma once

#include <condition_variable>
#include <mutex>

#include "include/cef_waitable_event.h"

namespace cefcompat {

// CefWaitableEvent on a mutex and a condition variable. Any thread.
class WaitableEvent : public CefWaitableEvent {
 public:
  WaitableEvent(bool automaticReset, bool initiallySignaled);

  void Reset() override;
  void Signal() override;
  bool IsSignaled() override;
  void Wait() override;
  bool TimedWait(int64 max_ms) override;

 private:
  // Takes the signal (resetting an automatic event); false when not signaled. Under mutex_.
  bool TakeSignal();

  const bool automaticReset_;
  std::mutex mutex_;
  std::condition_variable signaled_;
  bool signaledState_;
  IMPLEMENT_REFCOUNTING(WaitableEvent);
};

}  // namespace cefcompat
