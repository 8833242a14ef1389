#pragma once
// Hooks for the runtime's own tests: faults that no CEF call can provoke.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "include/cef_browser.h"

namespace cefcompat {

// Crashes the renderer of `browser` (the protocol's Page.crash).
void CrashRendererForTesting(CefRefPtr<CefBrowser> browser);
// A full garbage collection in the page of `browser` (the protocol's
// HeapProfiler.collectGarbage), then `done` on TID_UI.
void CollectGarbageForTesting(CefRefPtr<CefBrowser> browser, std::function<void()> done);
// The Chromium process id; -1 when the runtime is not running.
pid_t ChromiumPidForTesting();
// The render sub-process of `browser`; -1 when it has none (single-process).
pid_t RenderSubProcessPidForTesting(CefRefPtr<CefBrowser> browser);
// How long a resource handler may leave a step (opening, reading, skipping)
// unanswered before its request fails with ERR_TIMED_OUT (30 s otherwise).
void SetResourceHandlerTimeoutForTesting(int ms);
// Live objects in this process: browsers of the browser side, browsers of
// the render side served here (single-process switch), and message channels
// (Chromium's pipe and each render side's link, at either end served here).
int LiveBrowsersForTesting();
int LiveRenderBrowsersForTesting();
int LiveTransportsForTesting();
// The storages Chromium holds besides its default one (the protocol's
// browser contexts), by id; waits up to 10 s for Chromium's answer.
std::vector<std::string> BrowserContextsForTesting();

}  // namespace cefcompat
