#pragma once

#include <memory>
#include <utility>

#include "base/live_count.h"
#include "protocol/transport.h"

namespace cefcompat {

// One end of a link between the browser side and a render side running in
// the same process (the single-process switch). A message sent on one end is
// handed to the other end's handler at once, on the sending thread, rather
// than written to a socket for a reader thread to wake up for: a native call
// crosses the link four times, and each crossing saves a thread's wake-up.
// Messages of one direction are handed over one at a time, in the order they
// were sent; those sent before the other end has started wait for it.
// Handlers must not close the link they are called from.
class InProcessLink : public Transport {
 public:
  static std::pair<std::unique_ptr<InProcessLink>, std::unique_ptr<InProcessLink>> CreatePair();
  ~InProcessLink() override;

  void Start(MessageHandler onMessage, CloseHandler onClose) override;
  // Any thread; false once the link is closed.
  bool Send(const std::string& message) override;
  // Either end closes both: each end's close handler runs once, on the
  // calling thread, after any message being handed over.
  void Close() override;

 private:
  struct Channel;
  InProcessLink(std::shared_ptr<Channel> channel, int side);

  const std::shared_ptr<Channel> channel_;
  const int side_;
  LiveCount<InProcessLink> live_;
};

}  // namespace cefcompat
