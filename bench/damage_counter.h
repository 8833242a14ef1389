#pragma once
// Frames presented in an X window, counted from the X server's damage
// reports on a connection and thread of their own, so that the count goes on
// whatever the Qt thread is doing.

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

struct _XDisplay;

class DamageCounter {
 public:
  struct Counts {
    int reports = 0;  // damage reports read
    int frames = 0;   // reports grouped into frames (one presentation may come in pieces)
  };

  DamageCounter() = default;
  ~DamageCounter();
  DamageCounter(const DamageCounter&) = delete;
  DamageCounter& operator=(const DamageCounter&) = delete;

  // Starts counting damage to `window`; false when X or its DAMAGE extension is missing.
  bool Start(unsigned long window);
  Counts Stop();

 private:
  void Loop(unsigned long window);

  _XDisplay* display_ = nullptr;
  int damageEventBase_ = -1;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  std::vector<std::chrono::steady_clock::time_point> reports_;  // the thread's until Stop joins it
};
