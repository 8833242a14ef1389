#pragma once

#include <functional>
#include <set>
#include <string>
#include <utility>

#include "include/cef_base.h"
#include "protocol/connection.h"

namespace cefcompat {

// The protocol sessions one browser's render side follows: the page's, and
// each cross-site frame's. Each is set up for the render side, its events
// going to the browser, until it is removed. TID_RENDERER.
class RenderSessions {
 public:
  using EventHandler = std::function<void(const std::string& sessionId, const std::string& method, const Json& params)>;

  // `owner` holds this table; the session handlers keep it until removed.
  RenderSessions(CefBaseRefCounted* owner, Connection& connection, EventHandler onEvent)
      : owner_(owner), connection_(connection), onEvent_(std::move(onEvent)) {}

  // Everything the render side needs on one session, then (for a frame that
  // waits for us) lets it run.
  void SetUp(const std::string& sessionId, bool isRoot);
  void Remove(const std::string& sessionId);
  void RemoveAll();

 private:
  CefBaseRefCounted* const owner_;
  Connection& connection_;
  const EventHandler onEvent_;
  std::set<std::string> sessions_;
};

}  // namespace cefcompat
