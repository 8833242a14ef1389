#pragma once

#include <string>

#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

// Find in page: each request runs a search of the main frame's visible text
// in the page, which selects the active match and scrolls it into view; the
// client's find handler hears the count, the active match (from 1, wrapping
// at the ends) and where it lies. TID_UI.
class FindRunner {
 public:
  // `browser` owns this and is what the client hears of.
  FindRunner(CefBrowser* browser, CefRefPtr<CefClient> client, PageSession& session);
  void Find(int identifier, const std::string& text, bool forward, bool matchCase, bool findNext);
  void Stop(bool clearSelection);

 private:
  void Report(int identifier, const Json& result);

  CefBrowser* const browser_;
  const CefRefPtr<CefClient> client_;
  PageSession& session_;
  std::string text_;  // the search under way ("" when none)
  bool matchCase_ = false;
  int active_ = 0;  // its active match, from 1
};

}  // namespace cefcompat
