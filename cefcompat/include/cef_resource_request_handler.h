#pragma once

#include "include/cef_browser.h"
#include "include/cef_request_callback.h"
#include "include/cef_resource_handler.h"

// Per-request callbacks of one browser's resource loads. TID_IO.
class CefResourceRequestHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_return_value_t ReturnValue;
  typedef cef_urlrequest_status_t URLRequestStatus;

  // RV_CONTINUE lets the request go on, RV_CANCEL ends it, RV_CONTINUE_ASYNC
  // holds it until `callback` is answered.
  virtual ReturnValue OnBeforeResourceLoad(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                           CefRefPtr<CefRequest> request, CefRefPtr<CefRequestCallback> callback) {
    (void)browser, (void)frame, (void)request, (void)callback;
    return RV_CONTINUE;
  }
  virtual CefRefPtr<CefResourceHandler> GetResourceHandler(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                           CefRefPtr<CefRequest> request) {
    (void)browser, (void)frame, (void)request;
    return nullptr;
  }
  // Return true to restart the request (not done on this runtime).
  virtual bool OnResourceResponse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                  CefRefPtr<CefRequest> request, CefRefPtr<CefResponse> response) {
    (void)browser, (void)frame, (void)request, (void)response;
    return false;
  }
  virtual void OnProtocolExecution(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefRequest> request, bool& allow_os_execution) {
    (void)browser, (void)frame, (void)request, (void)allow_os_execution;
  }
};
