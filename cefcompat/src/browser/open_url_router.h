#pragma once

#include <chrono>
#include <string>

#include "browser/page_session.h"
#include "include/cef_client.h"
#include "network/intercepted_browser.h"

namespace cefcompat {

// A link a person opens in a new tab or window (a middle click, Ctrl+click,
// Shift+click, Ctrl+Shift+click, or the same with Enter): the client's request
// handler hears of it (OnOpenURLFromTab) and, unless it cancels, the link
// opens in this browser's main frame, as CEF does when no browser is made
// for it. Chromium's own tab for the link is closed unseen (StrayTabs).
//
// Chromium reports such a navigation as a new tab or a new window; which tab
// (background, or foreground with Shift) and whether a person asked for it
// come from the page's script, which reports each press of a mouse button
// or a key that a person makes.
//
// Threads: TID_UI.
class OpenUrlRouter {
 public:
  OpenUrlRouter(InterceptedBrowser* browser, CefRefPtr<CefClient> client);
  // Once attached.
  void Install(PageSession& session);

 private:
  void OnPress(const Json& report);
  void OnRequestedNavigation(const Json& params);
  // Chromium's disposition, with the last press's Shift.
  cef_window_open_disposition_t Disposition(const std::string& chromiumDisposition, bool gesture) const;

  InterceptedBrowser* const browser_;  // owns this
  const CefRefPtr<CefClient> client_;
  bool pressed_ = false;  // a press since the last link opened this way
  bool shiftHeld_ = false;
  std::chrono::steady_clock::time_point pressedAt_;
};

}  // namespace cefcompat
