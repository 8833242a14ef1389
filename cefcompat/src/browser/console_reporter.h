#pragma once

#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

// A page's console messages and uncaught exceptions: to the client's display
// handler, and to the log when it does not take them. TID_UI.
class ConsoleReporter {
 public:
  ConsoleReporter(CefBrowser* browser, CefRefPtr<CefClient> client);
  void Subscribe(PageSession& session);

 private:
  void OnConsole(const Json& params);
  void OnException(const Json& params);
  void Report(cef_log_severity_t level, const std::string& message, const std::string& source, int line);

  CefBrowser* const browser_;  // owns this
  const CefRefPtr<CefClient> client_;
};

}  // namespace cefcompat
