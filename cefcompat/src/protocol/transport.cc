#include "protocol/transport.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/log.h"

namespace cefcompat {

PipeTransport::PipeTransport(int writeFd, int readFd, size_t maxMessageBytes)
    : writeFd_(writeFd), readFd_(readFd), maxMessageBytes_(maxMessageBytes) {
  if (pipe2(wakeFds_, O_CLOEXEC) != 0) wakeFds_[0] = wakeFds_[1] = -1;
}

PipeTransport::~PipeTransport() {
  Close();
  for (int fd : {writeFd_, readFd_, wakeFds_[0], wakeFds_[1]}) {
    if (fd >= 0) close(fd);
  }
}

void PipeTransport::Start(MessageHandler onMessage, CloseHandler onClose) {
  onMessage_ = std::move(onMessage);
  onClose_ = std::move(onClose);
  reader_ = std::thread([this] { ReadLoop(); });
}

bool PipeTransport::Send(const std::string& message) {
  std::lock_guard<std::mutex> lock(writeMutex_);
  if (closed_) return false;
  const char* data = message.c_str();
  size_t left = message.size() + 1;  // with the terminating NUL
  while (left > 0) {
    const ssize_t written = write(writeFd_, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      // EPIPE: the other end has gone (a render side whose browser just
      // closed, or Chromium, whose end is reported on its own); the reader
      // sees the close. Anything else is a fault of the pipe itself.
      const bool peerGone = written < 0 && errno == EPIPE;
      Log(peerGone ? LOGSEVERITY_INFO : LOGSEVERITY_WARNING,
          std::string("pipe write failed: ") + strerror(errno) + (peerGone ? "; the message is dropped" : ""));
      return false;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

void PipeTransport::Close() {
  if (!closed_.exchange(true) && wakeFds_[1] >= 0) {
    const char byte = 1;
    (void)!write(wakeFds_[1], &byte, 1);
  }
  if (reader_.joinable() && reader_.get_id() != std::this_thread::get_id()) reader_.join();
}

void PipeTransport::ReadLoop() {
  std::string reason = "transport closed";
  char chunk[64 * 1024];
  for (;;) {
    pollfd fds[2] = {{readFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
    const int ready = poll(fds, wakeFds_[0] >= 0 ? 2 : 1, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) {
      reason = "poll failed: " + std::string(strerror(errno));
      break;
    }
    if (fds[1].revents) break;
    const ssize_t got = read(readFd_, chunk, sizeof(chunk));
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) {
      reason = got == 0 ? "Chromium closed the pipe" : "pipe read failed: " + std::string(strerror(errno));
      break;
    }
    Consume(chunk, static_cast<size_t>(got));
  }
  closed_ = true;
  if (onClose_) onClose_(reason);
}

void PipeTransport::Consume(const char* chunk, size_t size) {
  const char* end = chunk + size;
  while (chunk < end) {
    const char* nul = static_cast<const char*>(memchr(chunk, '\0', static_cast<size_t>(end - chunk)));
    const char* stop = nul ? nul : end;
    if (!discarding_) buffer_.append(chunk, static_cast<size_t>(stop - chunk));
    if (!discarding_ && buffer_.size() > maxMessageBytes_) {
      Log(LOGSEVERITY_ERROR, "dropping a protocol message over " + std::to_string(maxMessageBytes_) + " bytes");
      discarding_ = true;
      buffer_.clear();
      buffer_.shrink_to_fit();
    }
    if (!nul) return;
    if (!discarding_) onMessage_(std::move(buffer_));
    buffer_.clear();
    discarding_ = false;
    chunk = nul + 1;
  }
}

}  // namespace cefcompat
