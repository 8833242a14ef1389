#include "protocol/chromium_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <thread>

namespace cefcompat {

namespace {

bool IsExecutable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

std::string SearchPath(const std::string& name) {
  const char* path = getenv("PATH");
  if (!path) return {};
  std::string dirs = path;
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty() && IsExecutable(dir + "/" + name)) return dir + "/" + name;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

}  // namespace

ChromiumProcess::~ChromiumProcess() {
  if (pid_ > 0 && !HasExited()) {
    Kill();
    WaitForExit(5000);
  }
  for (int fd : {writeFd_, readFd_}) {
    if (fd >= 0) close(fd);
  }
}

std::string ChromiumProcess::FindBinary() {
  if (const char* overridden = getenv("CEFCOMPAT_CHROMIUM"); overridden && *overridden) return overridden;
  if (IsExecutable("/usr/lib/chromium/chromium")) return "/usr/lib/chromium/chromium";
  return SearchPath("chromium");
}

bool ChromiumProcess::Launch(const std::string& binary, const std::vector<std::string>& args,
                             const std::string& logPath, std::string& error) {
  if (!IsExecutable(binary)) {
    error = "Chromium binary not found or not executable: '" + binary +
            "' (install the chromium package or set CEFCOMPAT_CHROMIUM)";
    return false;
  }
  int toChild[2];
  int fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) {
    error = std::string("pipe failed: ") + strerror(errno);
    return false;
  }
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    error = std::string("pipe failed: ") + strerror(errno);
    close(toChild[0]), close(toChild[1]);
    return false;
  }
  std::vector<std::string> argvStorage{binary};
  argvStorage.insert(argvStorage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : argvStorage) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t parent = getpid();

  const pid_t pid = fork();
  if (pid < 0) {
    error = std::string("fork failed: ") + strerror(errno);
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
    return false;
  }
  if (pid == 0) {
    // Child: only async-signal-safe calls until exec. Chromium dies with us.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    // Move both ends above the target numbers first so dup2 cannot clobber them;
    // the copies made by dup2 are inheritable.
    const int in = fcntl(toChild[0], F_DUPFD, 10);
    const int out = fcntl(fromChild[1], F_DUPFD, 10);
    if (in < 0 || out < 0 || dup2(in, 3) < 0 || dup2(out, 4) < 0) _exit(126);
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) dup2(devNull, 0), dup2(devNull, 1);
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (log >= 0) dup2(log, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  pid_ = pid;
  writeFd_ = toChild[1];
  readFd_ = fromChild[0];
  return true;
}

int ChromiumProcess::TakeWriteFd() { return std::exchange(writeFd_, -1); }
int ChromiumProcess::TakeReadFd() { return std::exchange(readFd_, -1); }

bool ChromiumProcess::HasExited(std::string* description) {
  if (!exited_ && pid_ > 0) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_ || (done < 0 && errno == ECHILD)) {
      exited_ = true;
      exitDescription_ = done == pid_ ? DescribeStatus(status) : "exited (status unknown)";
    }
  }
  if (exited_ && description) *description = exitDescription_;
  return exited_;
}

bool ChromiumProcess::WaitForExit(int timeoutMs, std::string* description) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!HasExited(description)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

void ChromiumProcess::Kill() {
  if (pid_ > 0 && !exited_) kill(pid_, SIGKILL);
}

std::string ChromiumProcess::DescribeStatus(int status) {
  if (WIFEXITED(status)) return "exited with code " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return "ended with status " + std::to_string(status);
}

}  // namespace cefcompat
