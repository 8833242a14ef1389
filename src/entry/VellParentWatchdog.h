#pragma once

#include <functional>
#include <future>

// Ends a render sub-process whose launcher is gone: checks the parent every
// 500 ms (steady clock) on a thread of its own and runs the action once.
// Keep it for the life of the process (create it with new): the action ends
// the process from the watchdog's thread, and destroying the task's future
// there would wait for itself.
class VellParentWatchdog {
 public:
  // No task when the parent cannot be found.
  void Start(std::function<void()> action);

 private:
  std::future<void> m_future;
  bool m_bStop = false;
};
