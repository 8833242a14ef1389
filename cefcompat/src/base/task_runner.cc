#include "base/task_runner.h"

#include "base/log.h"

namespace cefcompat {

TaskRunner::TaskRunner(const std::shared_ptr<TaskThread>& thread) : thread_(thread), serial_(thread->Serial()) {}

bool TaskRunner::IsSame(CefRefPtr<CefTaskRunner> that) {
  auto* other = dynamic_cast<TaskRunner*>(that.get());
  return other && other->serial_ == serial_;
}

bool TaskRunner::BelongsToCurrentThread() {
  const TaskThread* current = TaskThread::Current();
  return current && current->Serial() == serial_;
}

bool TaskRunner::BelongsToThread(CefThreadId threadId) {
  const auto thread = Threads::Get(threadId);
  return thread && thread->Serial() == serial_;
}

bool TaskRunner::PostTask(CefRefPtr<CefTask> task) { return PostDelayedTask(task, 0); }

bool TaskRunner::PostDelayedTask(CefRefPtr<CefTask> task, int64 delay_ms) {
  if (!task) {
    Log(LOGSEVERITY_ERROR, "CefTaskRunner::PostTask: null task");
    return false;
  }
  const auto thread = thread_.lock();
  if (!thread) return false;
  return thread->Post([task] { task->Execute(); }, delay_ms);
}

}  // namespace cefcompat

CefRefPtr<CefTaskRunner> CefTaskRunner::GetForCurrentThread() {
  CefThreadId id;
  if (!cefcompat::Threads::IdOf(cefcompat::TaskThread::Current(), &id)) return nullptr;
  return GetForThread(id);
}

CefRefPtr<CefTaskRunner> CefTaskRunner::GetForThread(CefThreadId threadId) {
  const auto thread = cefcompat::Threads::Get(threadId);
  if (!thread) return nullptr;
  return new cefcompat::TaskRunner(thread);
}
