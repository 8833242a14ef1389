#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "protocol/connection.h"
#include "protocol/transport.h"

namespace cefcompat {

// Carries one render side's traffic between Chromium and the render side's
// link on the threads it comes from, without a hop through TID_UI: events of
// the render side's sessions (its page's and the child targets attached to
// them) go down the link as Chromium wrote them; its commands go up, and
// their replies come back down; process messages go down from any thread.
class SessionRelay : public std::enable_shared_from_this<SessionRelay> {
 public:
  // The link to write to; it stays valid until Stop() has returned. TID_UI.
  void Attach(Transport* link);

  // Any thread.
  void Watch(const std::string& sessionId);
  // A protocol command written by the render side. The link's reader thread.
  void RelayCommand(const Json& command);
  // Writes a message down the link; false before Attach() or after Stop(). Any thread.
  bool SendDown(const std::string& text);
  // No traffic goes down the link once this returns. TID_UI.
  void Stop();

 private:
  void OnEvent(const std::string& text, const Json& event);
  void ReplyDown(const Json& id, const std::string& sessionId, const Connection::Reply& reply);
  bool Watches(const std::string& sessionId);

  Transport* link_ = nullptr;
  std::mutex mutex_;  // held while writing down the link, so Stop() waits for a write under way
  std::set<std::string> sessions_;
  bool stopped_ = false;
};

}  // namespace cefcompat
