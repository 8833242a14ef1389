#pragma once

#include <memory>

#include "base/task_thread.h"
#include "include/cef_task.h"

namespace cefcompat {

// CefTaskRunner on one TaskThread. It holds the thread weakly: once the
// runtime has let the thread go, the runner refuses every task. Any thread.
class TaskRunner : public CefTaskRunner {
 public:
  explicit TaskRunner(const std::shared_ptr<TaskThread>& thread);

  bool IsSame(CefRefPtr<CefTaskRunner> that) override;
  bool BelongsToCurrentThread() override;
  bool BelongsToThread(CefThreadId threadId) override;
  bool PostTask(CefRefPtr<CefTask> task) override;
  bool PostDelayedTask(CefRefPtr<CefTask> task, int64 delay_ms) override;

 private:
  std::weak_ptr<TaskThread> thread_;
  const uint64_t serial_;
  IMPLEMENT_REFCOUNTING(TaskRunner);
};

}  // namespace cefcompat
