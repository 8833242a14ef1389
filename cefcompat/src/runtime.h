#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "browser_impl.h"
#include "chromium_process.h"
#include "connection.h"
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

  Connection& GetConnection() { return *connection_; }
  const CefSettings& Settings() const { return settings_; }
  int NextBrowserId() { return ++lastBrowserId_; }
  pid_t ChromiumPid() const { return process_.Pid(); }

  // Any thread: creates a browser; its surface is made on the Qt thread first.
  bool CreateBrowser(CefRefPtr<CefClient> client, const std::string& url, const CefBrowserSettings& settings,
                     const CefWindowInfo& windowInfo);
  // TID_UI: adopts an existing target (popup, developer tools) as a browser.
  CefRefPtr<BrowserImpl> AdoptTarget(const std::string& targetId, CefRefPtr<CefClient> client, bool isPopup,
                                     const std::string& windowName, bool showWindow, bool withRenderer);
  // TID_UI.
  void Register(const std::string& targetId, CefRefPtr<BrowserImpl> browser);
  void Unregister(const std::string& targetId);
  // Reader thread: where screencast frames and paused requests of a session go.
  void SetScreencastSink(const std::string& sessionId, CefRefPtr<BrowserImpl> browser);

 private:
  Runtime() = default;
  bool Start(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> app, std::string& error);
  void Stop();
  void OnRootEvent(const std::string& method, const Json& params);
  void OnPopupTarget(const Json& targetInfo);
  void OnConnectionClosed(const std::string& reason);
  void CreateSurfaceThen(CefRefPtr<BrowserImpl> browser, const std::string& title, bool show,
                         std::function<void()> then);
  bool FastPath(const Json& message);

  CefSettings settings_;
  CefRefPtr<CefApp> app_;
  std::string tempDir_;
  std::string profileDir_;
  bool ownsProfile_ = false;
  ChromiumProcess process_;
  std::unique_ptr<Connection> connection_;
  std::atomic<int> lastBrowserId_{0};
  std::atomic<bool> stopping_{false};

  std::mutex browsersMutex_;
  std::map<std::string, CefRefPtr<BrowserImpl>> browsers_;   // by target id
  std::map<std::string, CefRefPtr<BrowserImpl>> screencast_;  // by session id: see SetScreencastSink
};

}  // namespace cefcompat
