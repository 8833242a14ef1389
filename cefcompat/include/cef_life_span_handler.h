#pragma once

#include "include/cef_browser.h"

class CefClient;

// Browser life span. Called on TID_UI.
class CefLifeSpanHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_window_open_disposition_t WindowOpenDisposition;

  // A page asked for a new window (window.open, target=_blank). Return true to
  // refuse it: no popup browser is created.
  virtual bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                             const CefString& target_url, const CefString& target_frame_name,
                             WindowOpenDisposition target_disposition, bool user_gesture,
                             const CefPopupFeatures& popupFeatures, CefWindowInfo& windowInfo,
                             CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                             CefRefPtr<CefDictionaryValue>& extra_info, bool* no_javascript_access) {
    (void)browser, (void)frame, (void)target_url, (void)target_frame_name, (void)target_disposition;
    (void)user_gesture, (void)popupFeatures, (void)windowInfo, (void)client, (void)settings;
    (void)extra_info, (void)no_javascript_access;
    return false;
  }
  virtual void OnAfterCreated(CefRefPtr<CefBrowser> browser) { (void)browser; }
  // Return false to let the close go on.
  virtual bool DoClose(CefRefPtr<CefBrowser> browser) {
    (void)browser;
    return false;
  }
  // The last callback for this browser; it is no longer valid afterwards.
  virtual void OnBeforeClose(CefRefPtr<CefBrowser> browser) { (void)browser; }
};
