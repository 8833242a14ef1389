#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/live_count.h"

namespace cefcompat {

// A message channel to Chromium. Messages are whole JSON texts.
class Transport {
 public:
  using MessageHandler = std::function<void(std::string)>;
  using CloseHandler = std::function<void(const std::string& reason)>;

  virtual ~Transport() = default;
  // Handlers are called on the transport's own reader thread (a link within
  // the process has none: on the sending thread); the close handler exactly
  // once, after the last message.
  virtual void Start(MessageHandler onMessage, CloseHandler onClose) = 0;
  // Any thread. False when the channel is closed.
  virtual bool Send(const std::string& message) = 0;
  // Ends reading; the close handler runs if it has not yet. Not from the reader thread.
  virtual void Close() = 0;
};

// Chromium's --remote-debugging-pipe: we write commands to one descriptor and
// read replies and events from the other, each message ended by a NUL byte.
class PipeTransport : public Transport {
 public:
  static constexpr size_t kMaxMessageBytes = 100u * 1024u * 1024u;

  PipeTransport(int writeFd, int readFd, size_t maxMessageBytes = kMaxMessageBytes);
  ~PipeTransport() override;

  void Start(MessageHandler onMessage, CloseHandler onClose) override;
  bool Send(const std::string& message) override;
  void Close() override;

 private:
  void ReadLoop();
  // Splits `chunk` into messages; oversized ones are dropped with a log line.
  void Consume(const char* chunk, size_t size);

  int writeFd_;
  int readFd_;
  const size_t maxMessageBytes_;
  int wakeFds_[2] = {-1, -1};
  std::mutex writeMutex_;
  std::atomic<bool> closed_{false};
  std::string buffer_;
  bool discarding_ = false;
  MessageHandler onMessage_;
  CloseHandler onClose_;
  std::thread reader_;
  LiveCount<PipeTransport> live_;
};

}  // namespace cefcompat
