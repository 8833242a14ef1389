#pragma once

#include "include/cef_browser_process_handler.h"
#include "include/cef_command_line.h"
#include "include/cef_client.h"
#include "include/cef_render_process_handler.h"
#include "include/cef_scheme.h"

class CefApp : public virtual CefBaseRefCounted {
 public:
  // Lets the application add switches before the runtime starts. `process_type`
  // is empty in the browser process.
  virtual void OnBeforeCommandLineProcessing(const CefString& process_type,
                                             CefRefPtr<CefCommandLine> command_line) {
    (void)process_type, (void)command_line;
  }
  // Adds the application's custom schemes, the same in every process: called
  // by CefInitialize before Chromium starts and by CefExecuteProcess in each
  // render sub-process. `registrar` is valid only during the call.
  virtual void OnRegisterCustomSchemes(CefRawPtr<CefSchemeRegistrar> registrar) { (void)registrar; }
  virtual CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() { return nullptr; }
  virtual CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() { return nullptr; }
};

// -1 in the browser process; in a sub-process, runs it and returns its exit code.
int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> application, void* windows_sandbox_info);
// Starts Chromium and the runtime's threads. False, with the reason in the
// log, when Chromium cannot be started. Call once, from the Qt main thread.
// When no Qt application exists yet and `multi_threaded_message_loop` is 0,
// the runtime makes a QGuiApplication for its surfaces on the calling thread;
// CefShutdown deletes it.
bool CefInitialize(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> application,
                   void* windows_sandbox_info);
// Runs the message loop of the thread that called CefInitialize until
// CefQuitMessageLoop. On this runtime that is the Qt event loop (the Qt
// application CefInitialize made, or the embedder's); client callbacks still
// run on TID_UI, a thread of the runtime, not on this one.
void CefRunMessageLoop();
// Ends CefRunMessageLoop; callable from any thread, also before the loop has
// started (it then returns at once).
void CefQuitMessageLoop();
// Handles what is pending in the message loop, then returns. On the thread
// that called CefInitialize only (elsewhere it logs once and does nothing).
void CefDoMessageLoopWork();
// Closes every browser, stops Chromium and joins the runtime's threads. Call it
// on the thread that called CefInitialize: called on a runtime thread (which it
// would have to join) it logs an error and does nothing.
void CefShutdown();
// DPI awareness is the platform's default here.
inline void CefEnableHighDPISupport() {}
