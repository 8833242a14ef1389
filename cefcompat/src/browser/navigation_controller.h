#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <string>

#include "browser/frame_tree.h"
#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

// A browser's loads and history: reports each frame's load start, end and
// error and the browser's loading state to the client's load handler, and
// navigates frames and the history.
//
// Threads: TID_UI, except the state getters (any thread).
class NavigationController {
 public:
  // `browser` owns this and is what the client hears of.
  NavigationController(CefBrowser* browser, CefRefPtr<CefClient> client, PageSession& session, FrameTree& frames);
  void Subscribe(PageSession& session);
  // Runs once the main frame has stopped loading (before the loading state is reported).
  void SetOnMainFrameStopped(std::function<void()> then) { onMainFrameStopped_ = std::move(then); }
  // The error the runtime failed a document request with (by request id),
  // reported instead of Chromium's more general one; ERR_NONE when none.
  void SetFailureSource(std::function<cef_errorcode_t(const std::string& requestId)> source) {
    failureSource_ = std::move(source);
  }

  bool IsLoading() const { return loading_; }
  bool CanGoBack() const { return canGoBack_; }
  bool CanGoForward() const { return canGoForward_; }

  // Navigates a frame now; `then` (may be null) runs once Chromium replied.
  void Navigate(const std::string& protocolFrameId, const std::string& url, std::function<void()> then);
  void GoToOffset(int offset);
  void Reload(bool ignoreCache);
  void Stop();

 private:
  struct Loader {
    std::string frameId;
    std::string url;          // as the client knows it
    std::string chromiumUrl;  // as Chromium loads it (a custom scheme's stand-in)
  };
  void OnFrameNavigated(const Json& frame);
  void OnFrameStoppedLoading(const std::string& frameId);
  void OnResponseReceived(const Json& params);
  void OnLoadingFailed(const Json& params);
  void SetLoading(bool loading);
  // Whether Chromium's URL is a custom scheme's, which the runtime loads at its stand-in.
  static bool LoadsAtStandIn(const std::string& chromiumUrl);
  void RefreshHistory(std::function<void()> then);

  CefBrowser* const browser_;
  const CefRefPtr<CefClient> client_;
  PageSession& session_;
  FrameTree& frames_;
  std::function<void()> onMainFrameStopped_;
  std::function<cef_errorcode_t(const std::string&)> failureSource_;
  std::atomic<bool> loading_{false};
  std::atomic<bool> canGoBack_{false};
  std::atomic<bool> canGoForward_{false};
  std::map<std::string, Loader> loaders_;      // document request (loader) id -> its frame and URL
  std::map<std::string, int> documentStatus_;  // frame id -> HTTP status of its last document
  std::map<std::string, bool> errorPage_;      // frame id -> showing Chromium's error page
  bool historyReset_ = false;
};

}  // namespace cefcompat
