#pragma once

#include "include/cef_browser.h"

// Keyboard focus moving into and out of a browser. Called on TID_UI.
class CefFocusHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_focus_source_t FocusSource;

  // Tab (`next`) or Shift+Tab went past the page's last or first element: the
  // page lets the keyboard go, and the client gives it to its next control.
  virtual void OnTakeFocus(CefRefPtr<CefBrowser> browser, bool next) { (void)browser, (void)next; }
  // The page is taking the keyboard (a click into it: FOCUS_SOURCE_SYSTEM).
  // Return true to refuse: the page lets it go again.
  virtual bool OnSetFocus(CefRefPtr<CefBrowser> browser, FocusSource source) {
    (void)browser, (void)source;
    return false;
  }
  // The page has the keyboard.
  virtual void OnGotFocus(CefRefPtr<CefBrowser> browser) { (void)browser; }
};
