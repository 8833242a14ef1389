// The platform layer the parent watchdog of render sub-processes stands on.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "entry/VellDestructCallback.h"
#include "entry/VellExceptionHandler.h"
#include "platform/VellPlatform.h"

namespace {

TEST(VellPlatformTest, ParentAndLiveness) {
  EXPECT_EQ(VellPlatform::GetParentProcessId(), getppid());
  EXPECT_TRUE(VellPlatform::IsProcessAlive(getpid()));
  const pid_t child = fork();
  if (child == 0) _exit(0);
  // Until it is reaped the child is a zombie, which counts as ended.
  bool sawEnded = false;
  for (int i = 0; i < 1000 && !sawEnded; ++i) {
    sawEnded = !VellPlatform::IsProcessAlive(child);
    if (!sawEnded) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(sawEnded);
  waitpid(child, nullptr, 0);
  EXPECT_FALSE(VellPlatform::IsProcessAlive(child));
  EXPECT_FALSE(VellPlatform::IsProcessAlive(0));
}

TEST(VellDestructCallbackTest, RunsOncePerCopyWhenDestroyed) {
  int runs = 0;
  {
    VellDestructCallback first([&] { ++runs; });
    VellDestructCallback copy(first);
    EXPECT_EQ(runs, 0);
  }
  EXPECT_EQ(runs, 2);
  VellExceptionHandler::SimpleMonitor([&] { ++runs; });
  EXPECT_EQ(runs, 3);
}

}  // namespace
