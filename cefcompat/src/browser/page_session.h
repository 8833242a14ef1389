#pragma once

#include <functional>
#include <map>
#include <string>

#include "protocol/connection.h"

namespace cefcompat {

// One browser's protocol session with its page target: commands go out on
// it, and each of its events reaches the parts of the browser that
// subscribed to the event's method, in the order they subscribed.
//
// Threads: subscriptions are made while the browser is being set up, before
// its first event; events are dispatched on TID_UI. Send from any thread.
class PageSession {
 public:
  using EventHandler = std::function<void(const Json& params)>;

  // TID_UI, once attached.
  void SetIds(std::string targetId, std::string sessionId);
  const std::string& TargetId() const { return targetId_; }
  const std::string& SessionId() const { return sessionId_; }

  // A command on this session; a browser without a session answers with an error.
  void Send(const std::string& method, Json params, Connection::ReplyCallback callback = nullptr) const;
  // A command on Chromium's own session (Target and Browser domains).
  static void SendToChromium(const std::string& method, Json params, Connection::ReplyCallback callback = nullptr);

  void On(const std::string& method, EventHandler handler);
  // `script` runs at the start of every document of the session and reports
  // through the page function `binding` (which it should delete from the
  // page), one JSON object per call: `report` gets it with the call's event
  // (its executionContextId). Reports that are no JSON object are dropped.
  using ReportHandler = std::function<void(const Json& report, const Json& params)>;
  void AddReportingScript(const std::string& binding, const std::string& script, ReportHandler report);
  void Dispatch(const std::string& method, const Json& params) const;

 private:
  std::string targetId_;
  std::string sessionId_;
  std::multimap<std::string, EventHandler> handlers_;
};

}  // namespace cefcompat
