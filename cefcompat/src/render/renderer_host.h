#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>

#include "protocol/connection.h"
#include "protocol/session_relay.h"
#include "include/cef_process_message.h"
#include "protocol/transport.h"

namespace cefcompat {

// The browser process's end of one browser's render side: starts it (a
// sub-process, or the in-process render thread with the single-process
// switch), gives it a protocol session of its own on the page, relays that
// session's traffic (SessionRelay) and carries process messages. State on TID_UI.
class RendererHost {
 public:
  using MessageHandler = std::function<void(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage>)>;
  using ReadyHandler = std::function<void(bool ok)>;
  using GoneHandler = std::function<void(const std::string& reason, bool killed)>;

  RendererHost(int browserId, std::string targetId, MessageHandler onMessage, GoneHandler onGone);
  ~RendererHost();

  // TID_UI. `onReady` runs once the render side has set up its session (or
  // failed or timed out): after it, new documents get their contexts reported.
  void Start(ReadyHandler onReady);
  // Any thread.
  void SendProcessMessage(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message);
  // TID_UI: ends the render side (the page is closing).
  void Stop();
  pid_t Pid() const { return pid_; }

 private:
  void OnLinkMessage(const Json& message);
  void ReportGone(const std::string& reason, int waitedMs);
  // A render sub-process and the socket pair to it (link_).
  bool SpawnWithLink(std::string& error);
  bool Spawn(int fd, std::string& error);

  const int browserId_;
  const std::string targetId_;
  MessageHandler onMessage_;
  GoneHandler onGone_;
  ReadyHandler onReady_;
  std::unique_ptr<Transport> link_;
  const std::shared_ptr<SessionRelay> relay_;  // what goes down the link
  std::string sessionId_;
  pid_t pid_ = -1;
  bool stopping_ = false;
  std::shared_ptr<bool> alive_;
};

}  // namespace cefcompat
