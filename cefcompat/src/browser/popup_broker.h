#pragma once

#include <deque>
#include <string>

#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

// The popups a page opens: what the page asked for (URL, window name, user
// gesture) waits here until Chromium reports the new target, and the
// opener's client decides whether it may open. TID_UI.
class PopupBroker {
 public:
  PopupBroker(CefBrowser* opener, CefRefPtr<CefClient> client, const CefBrowserSettings& settings);
  void Subscribe(PageSession& session);

  // The oldest popup the page asked for ("" when none), with its window name and gesture.
  std::string TakePending(std::string& name, bool& userGesture);
  // The client's life span handler decides; without one every popup opens.
  bool Allow(const std::string& url, const std::string& name, bool userGesture);

 private:
  CefBrowser* const opener_;  // owns this
  const CefRefPtr<CefClient> client_;
  const CefBrowserSettings settings_;
  std::deque<Json> pending_;
};

}  // namespace cefcompat
