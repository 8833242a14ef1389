#pragma once

#include "include/cef_browser.h"

// Page display events. Called on TID_UI.
class CefDisplayHandler : public virtual CefBaseRefCounted {
 public:
  virtual void OnAddressChange(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, const CefString& url) {
    (void)browser, (void)frame, (void)url;
  }
  // The title when a main-frame load has ended (the URL for a page without
  // one), and whenever Chromium reports a change of its target. A title a
  // script sets later may be reported late: at the next such report.
  virtual void OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) {
    (void)browser, (void)title;
  }
  // Return true to stop the message from being written to the runtime's log.
  virtual bool OnConsoleMessage(CefRefPtr<CefBrowser> browser, cef_log_severity_t level,
                                const CefString& message, const CefString& source, int line) {
    (void)browser, (void)level, (void)message, (void)source, (void)line;
    return false;
  }
};
