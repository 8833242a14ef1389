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

  struct Request {
    std::string url;  // "" when the page asked for none
    std::string name;
    bool userGesture = false;
    // As Chromium chooses: a window asked for with a size or a position (or
    // "popup") is a pop-up; a link's target and window.open without
    // features, a new tab.
    cef_window_open_disposition_t disposition = WOD_NEW_FOREGROUND_TAB;
    CefPopupFeatures features;
  };
  // The oldest popup the page asked for.
  Request TakePending();
  // The client's life span handler decides; without one every popup opens.
  bool Allow(const Request& request);

 private:
  CefBrowser* const opener_;  // owns this
  const CefRefPtr<CefClient> client_;
  const CefBrowserSettings settings_;
  std::deque<Json> pending_;
};

}  // namespace cefcompat
