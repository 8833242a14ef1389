#include "entry/VellParentWatchdog.h"

#include <chrono>
#include <thread>

#include <unistd.h>

#include "platform/VellPlatform.h"

void VellParentWatchdog::Start(std::function<void()> action) {
  const int64_t parent = VellPlatform::GetParentProcessId();
  if (parent == 0) return;
  m_future = std::async(std::launch::async, [this, parent, action]() {
    while (!m_bStop) {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::nanoseconds(500000000);
      while (std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      // A parent that ended leaves us re-parented, or lingers as a zombie.
      if (!VellPlatform::IsProcessAlive(parent) || getppid() != parent) {
        action();
        return;
      }
    }
  });
}
