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
  // The page entered or left fullscreen (an element's requestFullscreen, or
  // Escape). The page's content fills the browser's area either way; the
  // client may make that area larger.
  virtual void OnFullscreenModeChange(CefRefPtr<CefBrowser> browser, bool fullscreen) {
    (void)browser, (void)fullscreen;
  }
  // The `title` under the mouse (empty when it leaves). Return true to show
  // it yourself; otherwise it is shown as a tooltip of the browser's window.
  virtual bool OnTooltip(CefRefPtr<CefBrowser> browser, CefString& text) {
    (void)browser, (void)text;
    return false;
  }
  // The link under the mouse (empty when it leaves).
  virtual void OnStatusMessage(CefRefPtr<CefBrowser> browser, const CefString& value) {
    (void)browser, (void)value;
  }
  // Return true to stop the message from being written to the runtime's log.
  virtual bool OnConsoleMessage(CefRefPtr<CefBrowser> browser, cef_log_severity_t level,
                                const CefString& message, const CefString& source, int line) {
    (void)browser, (void)level, (void)message, (void)source, (void)line;
    return false;
  }
  // The main frame's load, from 0 to 1 (an estimate from the requests it has
  // made and finished); 1 when it stops loading.
  virtual void OnLoadingProgressChange(CefRefPtr<CefBrowser> browser, double progress) {
    (void)browser, (void)progress;
  }
  // The page's cursor changed. `cursor` is 0 on this runtime. Return true
  // when the client shows the cursor itself; otherwise a windowless browser's
  // surface shows it (a windowed one's Chromium window always does).
  virtual bool OnCursorChange(CefRefPtr<CefBrowser> browser, CefCursorHandle cursor, cef_cursor_type_t type,
                              const CefCursorInfo& custom_cursor_info) {
    (void)browser, (void)cursor, (void)type, (void)custom_cursor_info;
    return false;
  }
};
