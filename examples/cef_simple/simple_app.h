#pragma once

#include "include/cef_app.h"

// The application in both processes: it opens the first browser once the
// runtime is up, and on the render side it installs the page's `simple`
// extension and answers the browser's "ping".
class SimpleApp : public CefApp, public CefBrowserProcessHandler, public CefRenderProcessHandler {
 public:
  SimpleApp() = default;

  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() OVERRIDE { return this; }
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() OVERRIDE { return this; }

  // CefBrowserProcessHandler
  void OnContextInitialized() OVERRIDE;

  // CefRenderProcessHandler
  void OnWebKitInitialized() OVERRIDE;
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                CefProcessId source_process, CefRefPtr<CefProcessMessage> message) OVERRIDE;

 private:
  IMPLEMENT_REFCOUNTING(SimpleApp);
  DISALLOW_COPY_AND_ASSIGN(SimpleApp);
};
