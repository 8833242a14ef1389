#pragma once
// render/ is the render side: the browsers, frames, JavaScript contexts and
// values a CefRenderProcessHandler sees, each browser served over its link to
// the launcher. It runs on TID_RENDERER; RendererHost is the launcher's end, on TID_UI.

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "protocol/connection.h"
#include "include/cef_app.h"
#include "include/cef_render_process_handler.h"
#include "base/task_thread.h"
#include "protocol/transport.h"

namespace cefcompat {

class RenderBrowser;

// The render side of this process: the TID_RENDERER thread and the browsers
// it serves, each over its own link. In a render sub-process there is one
// link; with the single-process switch the launcher's own render side serves
// every browser.
class RenderProcess {
 public:
  // The render side inside the launcher (single-process switch).
  static RenderProcess* InProcess();
  // A render sub-process: serves the link `fd` until it closes; returns the exit code.
  static int RunSubProcess(CefRefPtr<CefApp> app, int fd);
  // The render side whose TID_RENDERER is the calling thread, if any.
  static RenderProcess* Current();
  // Any thread.
  static bool PostToRenderer(std::function<void()> task, int64_t delayMs = 0);
  static bool OnRendererThread();
  static void SetApp(CefRefPtr<CefApp> app);
  // Ends the in-process render side (runtime shutdown).
  static void ShutdownInProcess();

  // Serves a browser over `link`, which this side starts. Any thread.
  void AddLink(std::unique_ptr<Transport> link);
  CefRefPtr<CefRenderProcessHandler> Handler() const { return handler_; }

 private:
  RenderProcess();
  void Initialize();
  void OnLinkClosed(int linkId);

  CefRefPtr<CefRenderProcessHandler> handler_;
  bool initialized_ = false;
  std::map<int, CefRefPtr<RenderBrowser>> browsers_;  // TID_RENDERER
  int nextLink_ = 0;
  std::mutex doneMutex_;
  std::condition_variable done_;
  bool anyClosed_ = false;
};

}  // namespace cefcompat
