#pragma once

#include <functional>

class VellExceptionHandler {
 public:
  VellExceptionHandler() = delete;
  // Calls `fn` once; neither catches nor reports anything.
  static void SimpleMonitor(std::function<void()> fn) { fn(); }
};
