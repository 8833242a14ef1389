#include "protocol/in_process_link.h"

#include <mutex>
#include <vector>

namespace cefcompat {

struct InProcessLink::Channel {
  struct End {
    std::mutex handing;  // held while a message is handed to this end
    MessageHandler onMessage;  // set once started
    CloseHandler onClose;
    std::vector<std::string> waiting;  // sent before Start
  };
  End ends[2];
  bool closed = false;  // written with both ends' locks held
};

std::pair<std::unique_ptr<InProcessLink>, std::unique_ptr<InProcessLink>> InProcessLink::CreatePair() {
  auto channel = std::make_shared<Channel>();
  return {std::unique_ptr<InProcessLink>(new InProcessLink(channel, 0)),
          std::unique_ptr<InProcessLink>(new InProcessLink(channel, 1))};
}

InProcessLink::InProcessLink(std::shared_ptr<Channel> channel, int side) : channel_(std::move(channel)), side_(side) {}

InProcessLink::~InProcessLink() { Close(); }

void InProcessLink::Start(MessageHandler onMessage, CloseHandler onClose) {
  Channel::End& end = channel_->ends[side_];
  {
    std::lock_guard<std::mutex> lock(end.handing);
    if (!channel_->closed) {
      end.onMessage = std::move(onMessage);
      end.onClose = std::move(onClose);
      for (auto& message : end.waiting) end.onMessage(std::move(message));
      end.waiting.clear();
      return;
    }
  }
  // Closed before this end started: it learns of it as a reader would.
  if (onClose) onClose("the link was closed");
}

bool InProcessLink::Send(const std::string& message) {
  Channel::End& peer = channel_->ends[1 - side_];
  std::lock_guard<std::mutex> lock(peer.handing);
  if (channel_->closed) return false;
  if (!peer.onMessage) {
    peer.waiting.push_back(message);
    return true;
  }
  peer.onMessage(message);
  return true;
}

void InProcessLink::Close() {
  CloseHandler handlers[2];
  {
    std::scoped_lock lock(channel_->ends[0].handing, channel_->ends[1].handing);
    if (channel_->closed) return;
    channel_->closed = true;
    for (int side = 0; side < 2; ++side) {
      Channel::End& end = channel_->ends[side];
      handlers[side] = std::move(end.onClose);
      end.onMessage = nullptr;
      end.waiting.clear();
    }
  }
  for (auto& handler : handlers) {
    if (handler) handler("the link was closed");
  }
}

}  // namespace cefcompat
