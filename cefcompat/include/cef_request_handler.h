#pragma once

#include "include/cef_browser.h"
#include "include/cef_resource_request_handler.h"

class CefRequest;

class CefRequestHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_termination_status_t TerminationStatus;
  typedef cef_window_open_disposition_t WindowOpenDisposition;

  // Before a frame navigates to an http(s) URL (and to each URL it is
  // redirected to): true cancels the navigation, the frame keeps its document
  // and OnLoadError reports ERR_ABORTED. `request` cannot be changed here.
  virtual bool OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                              CefRefPtr<CefRequest> request, bool user_gesture, bool is_redirect) {
    (void)browser, (void)frame, (void)request, (void)user_gesture, (void)is_redirect;
    return false;
  }
  // A person opens a link in a new tab or window (a middle click, Ctrl, Shift
  // or both held), with the disposition Chromium derives from the click.
  // Called on TID_UI before OnBeforeBrowse; true cancels the navigation,
  // false lets it go on in the source browser's main frame. `frame` is the
  // frame the link is in.
  virtual bool OnOpenURLFromTab(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                const CefString& target_url, WindowOpenDisposition target_disposition,
                                bool user_gesture) {
    (void)browser, (void)frame, (void)target_url, (void)target_disposition, (void)user_gesture;
    return false;
  }
  virtual CefRefPtr<CefResourceRequestHandler> GetResourceRequestHandler(
      CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
      bool is_navigation, bool is_download, const CefString& request_initiator, bool& disable_default_handling) {
    (void)browser, (void)frame, (void)request, (void)is_navigation, (void)is_download;
    (void)request_initiator, (void)disable_default_handling;
    return nullptr;
  }
  // The page's renderer died. The browser stays valid; reloading starts a new one.
  virtual void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, TerminationStatus status) {
    (void)browser, (void)status;
  }
};
