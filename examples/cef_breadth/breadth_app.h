#pragma once

#include <memory>

#include "file_server.h"
#include "include/cef_app.h"

// The application: registers the launcher scheme (in every process, as CEF
// asks), and once the runtime is up serves it, starts the download's file
// server and opens the browser that runs the checks.
class BreadthApp : public CefApp, public CefBrowserProcessHandler {
 public:
  BreadthApp() = default;

  // After CefShutdown.
  void StopFileServer() { file_server_.reset(); }

  void OnRegisterCustomSchemes(CefRawPtr<CefSchemeRegistrar> registrar) OVERRIDE;
  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() OVERRIDE { return this; }

  // CefBrowserProcessHandler
  void OnContextInitialized() OVERRIDE;

 private:
  std::unique_ptr<FileServer> file_server_;

  IMPLEMENT_REFCOUNTING(BreadthApp);
  DISALLOW_COPY_AND_ASSIGN(BreadthApp);
};
