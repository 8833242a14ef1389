#pragma once

#include "include/cef_browser.h"

// Keyboard events, before (OnPreKeyEvent) and after (OnKeyEvent) the page. TID_UI.
class CefKeyboardHandler : public virtual CefBaseRefCounted {
 public:
  // Return true to consume the event: the page does not get it.
  virtual bool OnPreKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event, CefEventHandle os_event,
                             bool* is_keyboard_shortcut) {
    (void)browser, (void)event, (void)os_event, (void)is_keyboard_shortcut;
    return false;
  }
  virtual bool OnKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event, CefEventHandle os_event) {
    (void)browser, (void)event, (void)os_event;
    return false;
  }
};
