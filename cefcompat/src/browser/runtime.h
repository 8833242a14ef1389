#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "browser/browser_impl.h"
#include "browser/stray_tabs.h"
#include "browser/windowed_mode.h"
#include "download/download_router.h"
#include "protocol/chromium_process.h"
#include "protocol/connection.h"
#include "include/cef_app.h"

namespace cefcompat {

// The browser-process runtime: Chromium, the protocol connection, and every
// browser by target. One per process, from CefInitialize to CefShutdown.
class Runtime {
 public:
  // Null when the runtime is not initialised (or shut down).
  static Runtime* Get();

  static bool Initialize(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> app);
  static void Shutdown();

  // Any thread: the connection to the Chromium of the moment. After Chromium
  // died it stays closed until a new Chromium answers.
  Connection& GetConnection() { return *connection_.load(); }
  const CefSettings& Settings() const { return settings_; }
  int NextBrowserId() { return ++lastBrowserId_; }
  pid_t ChromiumPid() const { return pid_.load(); }
  // Any thread: false while Chromium is gone (until it has been started again).
  bool IsRunning() { return !GetConnection().IsClosed(); }
  // TID_UI: runs `task(true)` now when Chromium is running, else once a new
  // one answers; `task(false)` when the runtime gives up or stops first.
  void WhenRunning(std::function<void(bool running)> task);

  // Any thread: creates a browser in `context` (null: the global one); its
  // surface is made on the Qt thread first.
  bool CreateBrowser(CefRefPtr<CefClient> client, const std::string& url, const CefBrowserSettings& settings,
                     const CefWindowInfo& windowInfo, CefRefPtr<RequestContextImpl> context);
  // TID_UI: adopts an existing target (popup, developer tools) as a browser.
  CefRefPtr<BrowserImpl> AdoptTarget(const std::string& targetId, CefRefPtr<CefClient> client, bool isPopup,
                                     const std::string& windowName, bool showWindow, bool withRenderer,
                                     CefRefPtr<RequestContextImpl> context = nullptr);
  // TID_UI.
  void Register(const std::string& targetId, CefRefPtr<BrowserImpl> browser);
  void Unregister(const std::string& targetId);
  // Null in windowless mode (headless Chromium, pages painted from screencasts).
  WindowedMode* Windowed() { return windowed_.get(); }
  // Reader thread: where screencast frames and paused requests of a session go.
  void SetScreencastSink(const std::string& sessionId, CefRefPtr<BrowserImpl> browser);
  // Any thread: the browser showing the frame `frameId`; null when none does.
  CefRefPtr<BrowserImpl> BrowserOfFrame(const std::string& frameId);
  // TID_UI (set up on start).
  DownloadRouter& Downloads() { return downloads_; }
  // TID_UI: Chromium's own tabs for links opened in a new tab or window.
  StrayTabs& Strays() { return strays_; }

 private:
  Runtime() = default;
  bool Start(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> app, std::string& error);
  // Starts Chromium and connects to it; the connection becomes current once
  // Chromium has answered. The start's thread, then TID_UI.
  bool Launch(std::string& error);
  void Stop();
  // TID_UI: after Chromium died, a new one after a back-off, a bounded number of times.
  void ScheduleRestart();
  void Restart();
  void FinishWaiting(bool running);
  void OnRootEvent(const std::string& method, const Json& params);
  void OnPopupTarget(const Json& targetInfo);
  void ReopenPopup(const std::string& targetId, CefRefPtr<BrowserImpl> opener, const std::string& url,
                   const std::string& windowName);
  void OnConnectionClosed(const Connection* connection, const std::string& reason);
  // Any thread.
  void OnSchemeFactoriesChanged();
  void CreateSurfaceThen(CefRefPtr<BrowserImpl> browser, const std::string& title, bool show,
                         std::function<void()> then);
  bool FastPath(const Json& message);

  CefSettings settings_;
  CefRefPtr<CefApp> app_;
  std::string tempDir_;
  std::string profileDir_;
  bool ownsProfile_ = false;
  std::vector<std::string> chromiumArgs_;
  double chromiumScale_ = 1.0;  // windowless: the pixel ratio Chromium renders at
  std::string logPath_;
  std::string product_;
  std::unique_ptr<WindowedMode> windowed_;  // made on start, used on TID_UI
  DownloadRouter downloads_;
  StrayTabs strays_;
  std::unique_ptr<ChromiumProcess> process_;  // the start's thread, then TID_UI
  std::atomic<pid_t> pid_{-1};
  // Every connection made, the current one last: a closed one stays until
  // the runtime stops, as other threads may still be using it.
  std::vector<std::unique_ptr<Connection>> connections_;  // the start's thread, then TID_UI
  std::atomic<Connection*> connection_{nullptr};
  int restartAttempts_ = 0;                           // TID_UI: since Chromium last ran steadily
  std::chrono::steady_clock::time_point launchedAt_;  // TID_UI
  std::vector<std::function<void(bool)>> waiting_;    // TID_UI: see WhenRunning
  std::atomic<bool> gaveUp_{false};
  std::atomic<int> lastBrowserId_{0};
  std::atomic<bool> stopping_{false};

  std::mutex browsersMutex_;
  std::map<std::string, CefRefPtr<BrowserImpl>> browsers_;   // by target id
  std::map<std::string, CefRefPtr<BrowserImpl>> screencast_;  // by session id: see SetScreencastSink
};

}  // namespace cefcompat
