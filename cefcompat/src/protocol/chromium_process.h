#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace cefcompat {

// The Chromium child process, started with --remote-debugging-pipe: the child
// reads commands on fd 3 and writes replies and events on fd 4.
class ChromiumProcess {
 public:
  ChromiumProcess() = default;
  ~ChromiumProcess();  // kills and reaps a child that is still running
  ChromiumProcess(const ChromiumProcess&) = delete;
  ChromiumProcess& operator=(const ChromiumProcess&) = delete;

  // $CEFCOMPAT_CHROMIUM, else /usr/lib/chromium/chromium, else chromium on PATH.
  static std::string FindBinary();

  // Starts `binary` with `args`; its standard error goes to `logPath`.
  bool Launch(const std::string& binary, const std::vector<std::string>& args, const std::string& logPath,
              std::string& error);
  // Ownership of the two pipe ends passes to the caller.
  int TakeWriteFd();
  int TakeReadFd();
  pid_t Pid() const { return pid_; }
  // True when the child has exited (reaped); `description` says how.
  bool HasExited(std::string* description = nullptr);
  // Waits up to `timeoutMs` for the child to exit.
  bool WaitForExit(int timeoutMs, std::string* description = nullptr);
  void Kill();

 private:
  static std::string DescribeStatus(int status);

  pid_t pid_ = -1;
  int writeFd_ = -1;
  int readFd_ = -1;
  bool exited_ = false;
  std::string exitDescription_;
};

}  // namespace cefcompat
