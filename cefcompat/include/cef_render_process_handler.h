#pragma once

#include "include/cef_browser.h"
#include "include/cef_process_message.h"
#include "include/cef_v8.h"

// The render side of the browsers. Every callback runs on TID_RENDERER.
class CefRenderProcessHandler : public virtual CefBaseRefCounted {
 public:
  // Once per render process, before any context exists.
  virtual void OnWebKitInitialized() {}
  // A new context, before any script of its document runs.
  virtual void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                CefRefPtr<CefV8Context> context) {
    (void)browser, (void)frame, (void)context;
  }
  virtual void OnContextReleased(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                 CefRefPtr<CefV8Context> context) {
    (void)browser, (void)frame, (void)context;
  }
  virtual bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                        CefProcessId source_process, CefRefPtr<CefProcessMessage> message) {
    (void)browser, (void)frame, (void)source_process, (void)message;
    return false;
  }
};
