#include "download/download_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "base/task_thread.h"

namespace cefcompat {

namespace {

constexpr char kTemporarySuffix[] = ".part";
constexpr mode_t kFileMode = 0644;

std::string Reason(const std::string& what) { return what + ": " + std::strerror(errno); }

// Appends the file at `from` to `fd`; false with the reason.
bool AppendFile(int fd, const std::string& from, std::string& error) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    error = Reason("cannot read " + from);
    return false;
  }
  char buffer[1 << 16];
  ssize_t count = 0;
  while ((count = read(in, buffer, sizeof(buffer))) > 0) {
    for (ssize_t written = 0; written < count;) {
      const ssize_t step = write(fd, buffer + written, static_cast<size_t>(count - written));
      if (step < 0) {
        error = Reason("cannot write");
        close(in);
        return false;
      }
      written += step;
    }
  }
  if (count < 0) error = Reason("cannot read " + from);
  close(in);
  return count == 0;
}

// The parts into `temporary`: the only part is moved when it can be (the
// same file system), else each is copied.
bool FillTemporary(const std::string& temporary, const std::vector<std::string>& parts, std::string& error) {
  if (parts.size() == 1 && rename(parts.front().c_str(), temporary.c_str()) == 0) {
    chmod(temporary.c_str(), kFileMode);
    return true;
  }
  const int fd = open(temporary.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) {
    error = Reason("cannot open " + temporary);
    return false;
  }
  bool ok = true;
  for (const std::string& part : parts) {
    if (!(ok = AppendFile(fd, part, error))) break;
  }
  if (ok && fsync(fd) != 0) {
    error = Reason("cannot write " + temporary);
    ok = false;
  }
  close(fd);
  return ok;
}

void RemoveFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) unlink(path.c_str());
}

}  // namespace

bool DownloadTarget::Reserve(const std::string& path, std::string& error) {
  const std::filesystem::path target(path);
  if (target.filename().empty()) {
    error = "'" + path + "' names no file";
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(target.parent_path(), ec);
  if (ec) {
    error = "cannot make the folder " + target.parent_path().string() + ": " + ec.message();
    return false;
  }
  std::string pattern =
      (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string() + kTemporarySuffix;
  const int fd = mkstemps(pattern.data(), static_cast<int>(sizeof(kTemporarySuffix) - 1));
  if (fd < 0) {
    error = Reason("cannot write in " + target.parent_path().string());
    return false;
  }
  fchmod(fd, kFileMode);
  close(fd);
  path_ = path;
  temporary_ = pattern;
  return true;
}

void DownloadTarget::Assemble(std::vector<std::string> parts, std::function<void(const std::string& error)> done) {
  const std::string temporary = std::exchange(temporary_, std::string());
  const std::string path = path_;
  auto work = [temporary, path, parts, done] {
    std::string error;
    if (FillTemporary(temporary, parts, error) && rename(temporary.c_str(), path.c_str()) != 0) {
      error = Reason("cannot rename " + temporary + " to " + path);
    }
    if (!error.empty()) unlink(temporary.c_str());
    RemoveFiles(parts);
    Threads::Post(TID_UI, [done, error] { done(error); });
  };
  if (!Threads::Post(TID_FILE_BACKGROUND, work)) {
    unlink(temporary.c_str());
    RemoveFiles(parts);
    done("the runtime is stopping");
  }
}

void DownloadTarget::Discard(const std::vector<std::string>& parts) {
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
  RemoveFiles(parts);
}

}  // namespace cefcompat
