#include "base/waitable_event.h"

#include <chrono>

#include "base/log.h"
#include "base/task_thread.h"

namespace cefcompat {

namespace {

bool WaitingAllowedHere(const char* function) {
  if (!Threads::CurrentlyOn(TID_UI) && !Threads::CurrentlyOn(TID_IO)) return true;
  Log(LOGSEVERITY_ERROR, std::string("CefWaitableEvent::") + function + " is not allowed on TID_UI or TID_IO");
  return false;
}

}  // namespace

WaitableEvent::WaitableEvent(bool automaticReset, bool initiallySignaled)
    : automaticReset_(automaticReset), signaledState_(initiallySignaled) {}

void WaitableEvent::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  signaledState_ = false;
}

void WaitableEvent::Signal() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    signaledState_ = true;
  }
  // An automatic event releases one waiter; the others keep waiting.
  if (automaticReset_) {
    signaled_.notify_one();
  } else {
    signaled_.notify_all();
  }
}

bool WaitableEvent::IsSignaled() {
  std::lock_guard<std::mutex> lock(mutex_);
  return TakeSignal();
}

void WaitableEvent::Wait() {
  if (!WaitingAllowedHere("Wait")) return;
  std::unique_lock<std::mutex> lock(mutex_);
  signaled_.wait(lock, [this] { return TakeSignal(); });
}

bool WaitableEvent::TimedWait(int64 max_ms) {
  if (!WaitingAllowedHere("TimedWait")) return false;
  std::unique_lock<std::mutex> lock(mutex_);
  const auto timeout = std::chrono::milliseconds(std::max<int64>(0, max_ms));
  return signaled_.wait_for(lock, timeout, [this] { return TakeSignal(); });
}

bool WaitableEvent::TakeSignal() {
  if (!signaledState_) return false;
  if (automaticReset_) signaledState_ = false;
  return true;
}

}  // namespace cefcompat

CefRefPtr<CefWaitableEvent> CefWaitableEvent::CreateWaitableEvent(bool automatic_reset, bool initially_signaled) {
  return new cefcompat::WaitableEvent(automatic_reset, initially_signaled);
}
