#pragma once

#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

// Windowed mode: keys a person types go straight to Chromium's window, not
// through CefBrowserHost::SendKeyEvent. A script in the main document reports
// each key (capture phase, before the page's own handlers) so that the
// client's keyboard handler still hears of it: OnPreKeyEvent, then
// OnKeyEvent. The page has the key already: neither can keep it from the page.
// TID_UI.
class KeyReporter {
 public:
  KeyReporter(CefBrowser* browser, CefRefPtr<CefClient> client);
  // Puts the reporting script into every document of the session.
  void Install(PageSession& session);

 private:
  void OnReport(const Json& report);

  CefBrowser* const browser_;  // owns this
  const CefRefPtr<CefClient> client_;
};

}  // namespace cefcompat
