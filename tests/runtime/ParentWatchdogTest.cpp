// A render sub-process whose launcher is killed ends itself: the sub-process
// executable is started by a stand-in launcher that is then killed with
// SIGKILL, while this test keeps the render link open so that only the
// watchdog can end it. This process adopts the orphan (child subreaper) to
// read its exit status.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <gtest/gtest.h>
#include <iostream>
#include <string>

namespace {

// Reads `fd` until `text` appears or the deadline passes.
bool WaitForOutput(int fd, const std::string& text, std::chrono::steady_clock::time_point deadline) {
  std::string seen;
  char buffer[4096];
  while (seen.find(text) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd entry{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0) return false;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    seen.append(buffer, static_cast<size_t>(n));
  }
  return true;
}

// Waits for `pid` (a child of this process) to end; its wait status, or -1 on time-out.
int WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
  const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidFd < 0) return -1;
  pollfd entry{pidFd, POLLIN, 0};
  const bool ended = poll(&entry, 1, static_cast<int>(timeout.count())) == 1;
  close(pidFd);
  int status = 0;
  return ended && waitpid(pid, &status, 0) == pid ? status : -1;
}

TEST(VellParentWatchdogTest, AnOrphanedRenderSubProcessEndsWithItsExitCode) {
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int link[2];
  int output[2];
  int pidPipe[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, link), 0);
  ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
  ASSERT_EQ(pipe2(pidPipe, O_CLOEXEC), 0);

  const pid_t launcher = fork();
  ASSERT_GE(launcher, 0);
  if (launcher == 0) {
    // The stand-in launcher: starts the render sub-process, then waits to be killed.
    const pid_t render = fork();
    if (render == 0) {
      dup2(link[1], 3);  // without close-on-exec
      dup2(output[1], 2);
      char* argv[] = {const_cast<char*>(VELL_SUBPROCESS_PATH), const_cast<char*>("--type=renderer"),
                      const_cast<char*>("--cefcompat-link-fd=3"), nullptr};
      execv(argv[0], argv);
      _exit(127);
    }
    (void)!write(pidPipe[1], &render, sizeof render);
    for (;;) pause();
  }
  close(output[1]);
  close(pidPipe[1]);
  pid_t render = 0;
  ASSERT_EQ(read(pidPipe[0], &render, sizeof render), static_cast<ssize_t>(sizeof render));

  // The watchdog knows its parent once the process has reached its bootstrap.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitForOutput(output[0], "VellManager::InitializeOnce initialize...", start + std::chrono::seconds(20)));
  kill(launcher, SIGKILL);
  waitpid(launcher, nullptr, 0);
  const auto killed = std::chrono::steady_clock::now();

  const int status = WaitForExit(render, std::chrono::seconds(10));
  const auto ended = std::chrono::steady_clock::now();
  if (status == -1) kill(render, SIGKILL);
  ASSERT_NE(status, -1) << "the orphan did not end";
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), -10086 & 0xFF);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(ended - killed);
  std::cout << "orphan ended " << took.count() << " ms after its launcher was killed\n";
  // About half a second is usual; a loaded machine gets ten times that.
  EXPECT_LE(took, std::chrono::seconds(5));
  close(link[0]);
  close(link[1]);
  close(output[0]);
  close(pidPipe[0]);
  prctl(PR_SET_CHILD_SUBREAPER, 0);
}

}  // namespace
