#pragma once

// The runtime's base: strings, values, command line, streams, logging, and
// the named task threads (TID_UI, TID_IO, the file thread) that everything
// else posts to.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <queue>
#include <string>
#include <thread>
#include <vector>

#include "include/internal/cef_types.h"

namespace cefcompat {

// A named thread running posted tasks in order (delayed ones when due).
class TaskThread {
 public:
  explicit TaskThread(std::string name);
  ~TaskThread();  // stops and joins; tasks not yet run are dropped
  TaskThread(const TaskThread&) = delete;
  TaskThread& operator=(const TaskThread&) = delete;

  // False once Stop() has been called.
  bool Post(std::function<void()> task, int64_t delayMs = 0);
  bool IsCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }
  // The task thread the caller runs on; null on any other thread.
  static TaskThread* Current();
  // Runs what is already due, then ends the thread. Safe to call twice; not
  // from the thread itself.
  void Stop();
  const std::string& Name() const { return name_; }
  // Unique for the life of the process, unlike the thread's address.
  uint64_t Serial() const { return serial_; }

 private:
  struct Item {
    std::chrono::steady_clock::time_point due;
    uint64_t sequence;
    std::function<void()> task;
    bool operator>(const Item& other) const {
      return due != other.due ? due > other.due : sequence > other.sequence;
    }
  };

  void Run();

  std::string name_;
  const uint64_t serial_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue_;
  uint64_t sequence_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

// The runtime's named threads, created by CefInitialize and ended by CefShutdown.
class Threads {
 public:
  static void Start();
  // The render side's thread, TID_RENDERER.
  static void StartRenderer();
  static void Stop();
  static bool Post(CefThreadId id, std::function<void()> task, int64_t delayMs = 0);
  // The running thread behind `id`; null when it does not exist (not started,
  // or ended by Stop()).
  static std::shared_ptr<TaskThread> Get(CefThreadId id);
  // The id of the running thread `thread`; false when it is none of them.
  static bool IdOf(const TaskThread* thread, CefThreadId* id);
  // To the embedder's Qt thread (the QCoreApplication's); false without one.
  static bool PostToQt(std::function<void()> task);
  static bool CurrentlyOn(CefThreadId id);
};

}  // namespace cefcompat
