#pragma once

#include "include/cef_browser_process_handler.h"
#include "include/cef_command_line.h"
#include "include/cef_client.h"
#include "include/cef_render_process_handler.h"

struct CefMainArgs {
  CefMainArgs() = default;
  CefMainArgs(int argc_arg, char** argv_arg) : argc(argc_arg), argv(argv_arg) {}
  int argc = 0;
  char** argv = nullptr;
};

class CefApp : public virtual CefBaseRefCounted {
 public:
  // Lets the application add switches before the runtime starts. `process_type`
  // is empty in the browser process.
  virtual void OnBeforeCommandLineProcessing(const CefString& process_type,
                                             CefRefPtr<CefCommandLine> command_line) {
    (void)process_type, (void)command_line;
  }
  virtual CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() { return nullptr; }
  virtual CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() { return nullptr; }
};

// -1 in the browser process; in a sub-process, runs it and returns its exit code.
int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> application, void* windows_sandbox_info);
// Starts Chromium and the runtime's threads. False, with the reason in the
// log, when Chromium cannot be started. Call once, from the Qt main thread.
bool CefInitialize(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> application,
                   void* windows_sandbox_info);
// Closes every browser, stops Chromium and joins the runtime's threads.
void CefShutdown();
// DPI awareness is the platform's default here.
inline void CefEnableHighDPISupport() {}
