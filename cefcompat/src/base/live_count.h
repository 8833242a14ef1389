#pragma once

#include <atomic>

namespace cefcompat {

// A member that counts the live objects of its owner's class, so that the
// runtime's own tests can check that what a browser's life made is freed
// once it has closed (see testing_hooks.h). Any thread.
template <typename Owner>
class LiveCount {
 public:
  LiveCount() { ++count_; }
  LiveCount(const LiveCount&) : LiveCount() {}
  LiveCount& operator=(const LiveCount&) = default;
  ~LiveCount() { --count_; }

  static int Get() { return count_; }

 private:
  static inline std::atomic<int> count_{0};
};

}  // namespace cefcompat
