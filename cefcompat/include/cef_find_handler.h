#pragma once

#include "include/cef_base.h"
#include "include/cef_browser.h"

// Results of CefBrowserHost::Find, on TID_UI.
class CefFindHandler : public virtual CefBaseRefCounted {
 public:
  // `count` matches; the active one is `activeMatchOrdinal` (from 1; 0 when
  // there is none) and lies at `selectionRect` in the view.
  virtual void OnFindResult(CefRefPtr<CefBrowser> browser, int identifier, int count, const CefRect& selectionRect,
                            int activeMatchOrdinal, bool finalUpdate) {
    (void)browser, (void)identifier, (void)count, (void)selectionRect, (void)activeMatchOrdinal, (void)finalUpdate;
  }
};
