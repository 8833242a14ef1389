#pragma once

#include "browser/page_session.h"
#include "include/cef_browser.h"

namespace cefcompat {

// Windowless mode: a `<select>`'s list is a window of Chromium's own, which a
// page's screencast never shows. The page reports a list about to open
// (a click, or Alt+Down, F4 or Space on the focused select) instead of
// opening it, and the runtime shows the options as a Qt list under the
// select; the choice reaches the page as a person's does (`input` and
// `change`, the select focused). TID_UI.
class SelectPopupRunner {
 public:
  explicit SelectPopupRunner(CefBrowser* browser);
  // Subscribes, and puts the reporting script into every document of the session.
  void Install(PageSession& session);

 private:
  void OnReport(const Json& report, const Json& params);
  void Choose(int contextId, int index);

  CefBrowser* const browser_;  // owns this
  PageSession* session_ = nullptr;
};

}  // namespace cefcompat
