#pragma once

#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

class ScreencastView;

// The page taking and letting go of the keyboard, for the client's focus
// handler. A script in the main document reports when the page gets the
// focus, and keeps Tab and Shift+Tab that would go past its last or first
// element: the page then lets the keyboard go (to the surface's top-level
// window, in windowed mode) and the client is told to move on. TID_UI.
class FocusReporter {
 public:
  FocusReporter(CefBrowser* browser, CefRefPtr<CefClient> client, ScreencastView& view);
  // Subscribes, and puts the reporting script into every document of the session.
  void Install(PageSession& session);
  // CefBrowserHost::SetFocus. A Chromium window takes X's keyboard focus (and
  // its page reports it); a windowless page is focused as the surface is.
  void SetFocus(bool focus);

 private:
  void OnReport(const Json& report);
  void OnGot();
  void LetGo();
  CefRefPtr<CefFocusHandler> Handler() const;

  CefBrowser* const browser_;  // owns this
  const CefRefPtr<CefClient> client_;
  ScreencastView& view_;
  PageSession* session_ = nullptr;
  bool focused_ = false;
};

}  // namespace cefcompat
