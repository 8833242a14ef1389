#include "base/task_thread.h"

#include <QCoreApplication>

#include <array>
#include <atomic>
#include <memory>
#include <shared_mutex>

#include "include/cef_task.h"
#include "include/wrapper/cef_closure_task.h"

namespace cefcompat {

namespace {
std::atomic<uint64_t> g_nextTaskThreadSerial{1};
thread_local TaskThread* t_currentTaskThread = nullptr;
}  // namespace

TaskThread::TaskThread(std::string name)
    : name_(std::move(name)), serial_(g_nextTaskThreadSerial++), thread_([this] { Run(); }) {}

TaskThread::~TaskThread() { Stop(); }

bool TaskThread::Post(std::function<void()> task, int64_t delayMs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return false;
    queue_.push({std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<int64_t>(0, delayMs)),
                 sequence_++, std::move(task)});
  }
  wake_.notify_one();
  return true;
}

void TaskThread::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable() && !IsCurrent()) thread_.join();
}

TaskThread* TaskThread::Current() { return t_currentTaskThread; }

void TaskThread::Run() {
  t_currentTaskThread = this;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (!queue_.empty() && queue_.top().due <= now) {
      auto task = std::move(const_cast<Item&>(queue_.top()).task);
      queue_.pop();
      lock.unlock();
      task();
      // What the task held goes before the lock is taken again: a destructor
      // among it may post to this thread.
      task = nullptr;
      lock.lock();
      continue;
    }
    if (stopping_) return;
    if (queue_.empty()) {
      wake_.wait(lock);
    } else {
      // A copy: the queue may grow (and move its items) while we wait.
      const auto due = queue_.top().due;
      wake_.wait_until(lock, due);
    }
  }
}

namespace {

constexpr CefThreadId kThreadIds[] = {TID_UI, TID_IO, TID_FILE_BACKGROUND, TID_FILE_USER_VISIBLE, TID_FILE_USER_BLOCKING};

std::shared_mutex g_threadsMutex;
std::array<std::shared_ptr<TaskThread>, TID_RENDERER + 1> g_threads;

const char* NameOf(CefThreadId id) {
  switch (id) {
    case TID_UI:
      return "cef-ui";
    case TID_IO:
      return "cef-io";
    case TID_FILE_USER_VISIBLE:
      return "cef-file-visible";
    case TID_FILE_USER_BLOCKING:
      return "cef-file-blocking";
    default:
      return "cef-file";
  }
}

}  // namespace

void Threads::Start() {
  std::unique_lock<std::shared_mutex> lock(g_threadsMutex);
  for (auto id : kThreadIds) {
    if (!g_threads[id]) g_threads[id] = std::make_shared<TaskThread>(NameOf(id));
  }
}

void Threads::StartRenderer() {
  std::unique_lock<std::shared_mutex> lock(g_threadsMutex);
  if (!g_threads[TID_RENDERER]) g_threads[TID_RENDERER] = std::make_shared<TaskThread>("cef-renderer");
}

void Threads::Stop() {
  std::array<std::shared_ptr<TaskThread>, TID_RENDERER + 1> ending;
  {
    std::unique_lock<std::shared_mutex> lock(g_threadsMutex);
    ending.swap(g_threads);
  }
  for (auto& thread : ending) {
    if (thread) thread->Stop();
  }
}

bool Threads::Post(CefThreadId id, std::function<void()> task, int64_t delayMs) {
  std::shared_lock<std::shared_mutex> lock(g_threadsMutex);
  if (id < 0 || id > TID_RENDERER || !g_threads[id]) return false;
  return g_threads[id]->Post(std::move(task), delayMs);
}

std::shared_ptr<TaskThread> Threads::Get(CefThreadId id) {
  std::shared_lock<std::shared_mutex> lock(g_threadsMutex);
  if (id < 0 || id > TID_RENDERER) return nullptr;
  return g_threads[id];
}

bool Threads::IdOf(const TaskThread* thread, CefThreadId* id) {
  std::shared_lock<std::shared_mutex> lock(g_threadsMutex);
  for (size_t i = 0; i < g_threads.size(); ++i) {
    if (!thread || g_threads[i].get() != thread) continue;
    *id = static_cast<CefThreadId>(i);
    return true;
  }
  return false;
}

bool Threads::CurrentlyOn(CefThreadId id) {
  std::shared_lock<std::shared_mutex> lock(g_threadsMutex);
  return id >= 0 && id <= TID_RENDERER && g_threads[id] && g_threads[id]->IsCurrent();
}

bool Threads::PostToQt(std::function<void()> task) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return false;
  QMetaObject::invokeMethod(app, std::move(task));
  return true;
}

}  // namespace cefcompat

namespace {

class ClosureTask : public CefTask {
 public:
  explicit ClosureTask(std::function<void()> closure) : closure_(std::move(closure)) {}
  void Execute() override {
    if (closure_) closure_();
  }

 private:
  std::function<void()> closure_;
  IMPLEMENT_REFCOUNTING(ClosureTask);
};

}  // namespace

CefRefPtr<CefTask> CefCreateClosureTask(std::function<void()> closure) {
  return new ClosureTask(std::move(closure));
}

CefRefPtr<CefTask> CefCreateClosureTask(const base::Closure& closure) {
  return new ClosureTask([closure] { closure.Run(); });
}

CefRefPtr<CefTask> CefCreateClosureTask(base::OnceClosure closure) {
  // std::function needs a copyable target: the once-callback is shared.
  auto shared = std::make_shared<base::OnceClosure>(std::move(closure));
  return new ClosureTask([shared] { std::move(*shared).Run(); });
}

bool CefPostTask(CefThreadId threadId, CefRefPtr<CefTask> task) { return CefPostDelayedTask(threadId, task, 0); }

bool CefPostDelayedTask(CefThreadId threadId, CefRefPtr<CefTask> task, int64 delay_ms) {
  if (!task) return false;
  return cefcompat::Threads::Post(threadId, [task]() { task->Execute(); }, delay_ms);
}

bool CefPostTask(CefThreadId threadId, const base::Closure& closure) {
  return CefPostTask(threadId, CefCreateClosureTask(closure));
}

bool CefPostTask(CefThreadId threadId, base::OnceClosure closure) {
  return CefPostTask(threadId, CefCreateClosureTask(std::move(closure)));
}

bool CefPostDelayedTask(CefThreadId threadId, const base::Closure& closure, int64 delay_ms) {
  return CefPostDelayedTask(threadId, CefCreateClosureTask(closure), delay_ms);
}

bool CefPostDelayedTask(CefThreadId threadId, base::OnceClosure closure, int64 delay_ms) {
  return CefPostDelayedTask(threadId, CefCreateClosureTask(std::move(closure)), delay_ms);
}

bool CefCurrentlyOn(CefThreadId threadId) { return cefcompat::Threads::CurrentlyOn(threadId); }
